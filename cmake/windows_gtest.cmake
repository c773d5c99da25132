# GoogleTest built from the packaged sources (/usr/src/googletest) for the Windows presets, so that
# test programs run under Wine can share test sources with the native suites.
# kit_windows_gtest() defines the target kit_windows_gtest (gtest with its main) once.
function(kit_windows_gtest)
  if(TARGET kit_windows_gtest)
    return()
  endif()
  set(root /usr/src/googletest/googletest)
  if(NOT EXISTS ${root}/src/gtest-all.cc)
    message(FATAL_ERROR "GoogleTest sources not found in ${root} (package googletest)")
  endif()
  add_library(kit_windows_gtest STATIC ${root}/src/gtest-all.cc ${root}/src/gtest_main.cc)
  target_include_directories(kit_windows_gtest SYSTEM PUBLIC ${root}/include)
  target_include_directories(kit_windows_gtest PRIVATE ${root})
  # The mingw run time here has no std::mutex, which GoogleTest's Notification needs.
  target_compile_options(kit_windows_gtest PUBLIC
    -include ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/windows_gtest/notification.h)
  # Not our code: its warnings are not ours to fix.
  target_compile_options(kit_windows_gtest PRIVATE -w -Wno-error)
endfunction()
