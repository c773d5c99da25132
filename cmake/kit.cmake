# Settings shared by every target of the kit.
option(KIT_SANITIZE "Build native code with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KIT_FUZZ "Build the portable logic and its libFuzzer targets (clang, ASan, UBSan)" OFF)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
# Test-support Windows programs (helpers, stand-ins) never ship: they go beside the
# deliverables, in a folder of their own.
set(KIT_TESTING_BIN_DIR ${CMAKE_BINARY_DIR}/bin/testing)

add_compile_options(-Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Werror)

if(WIN32)
  # widl reads the Windows IDL files and, for importlib("stdole2.tlb"), the folder that holds
  # stdole2.tlb; the defaults are where Debian's libwine-dev and wine64 put them.
  set(KIT_WIDL_INCLUDE_DIR /usr/include/wine/wine/windows
      CACHE PATH "Folder of the Windows IDL files that widl includes")
  set(KIT_WIDL_LIBRARY_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows
      CACHE PATH "Folder holding stdole2.tlb for widl's importlib")
  set(KIT_WIDL_PATHS -I${KIT_WIDL_INCLUDE_DIR} -L${KIT_WIDL_LIBRARY_DIR})

  # Windows binaries must need nothing beyond the system DLLs.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -O coff")
else()
  if(KIT_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
  endif()
  if(KIT_FUZZ)
    # Coverage for the fuzzer everywhere; the fuzzer's own main only in the targets.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# Places a test-support Windows program in the testing folder.
function(kit_testing_program target)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KIT_TESTING_BIN_DIR})
endfunction()

# Adds every immediate subfolder that has a CMakeLists.txt, so that areas of the code base can
# bring their own tests without editing a shared list.
function(kit_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# A native GoogleTest program: kit_unit_test(name SOURCES a.cpp ... LIBS lib ...)
function(kit_unit_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()
