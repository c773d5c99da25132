# Settings shared by every target of the kit.
option(KIT_SANITIZE "Build native code with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
# Test-support Windows programs (helpers, stand-ins) never ship: they go beside the
# deliverables, in a folder of their own.
set(KIT_TESTING_BIN_DIR ${CMAKE_BINARY_DIR}/bin/testing)

add_compile_options(-Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Werror)

if(WIN32)
  # Windows binaries must need nothing beyond the system DLLs.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -O coff")
else()
  if(KIT_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# Places a test-support Windows program in the testing folder.
function(kit_testing_program target)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KIT_TESTING_BIN_DIR})
endfunction()
