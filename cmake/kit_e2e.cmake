# End-to-end tests: native GoogleTest programs that run the win64 binaries under Wine through
# the harness in tests/e2e/harness.
set(KIT_WIN64_BIN_DIR "${CMAKE_SOURCE_DIR}/build/win64/bin" CACHE PATH
    "Folder of the win64 binaries that the end-to-end tests run (testing programs in testing/)")
set(KIT_WIN32_BIN_DIR "${CMAKE_SOURCE_DIR}/build/win32/bin" CACHE PATH
    "Folder of the shipping win32 binaries (checked, never run)")
set(KIT_E2E_WINE_DIR "${CMAKE_BINARY_DIR}/wine" CACHE PATH
    "Folder of the end-to-end tests' WINEPREFIX, HOME and state")
find_program(KIT_WINE64 wine64 HINTS /usr/lib/wine /usr/lib64/wine NO_CACHE)
if(NOT KIT_WINE64)
  set(KIT_WINE64 /usr/lib/wine/wine64)
endif()

# kit_e2e_test(name SOURCES a.cpp ... [LIBS lib ...] [TIMEOUT seconds])
# A GoogleTest program linked with the harness; each test gets LABELS e2e, needs the fixture
# that starts Wine and holds the prefix's lock (E2E tests run one at a time).
function(kit_e2e_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE e2e_harness ${ARG_LIBS} GTest::gtest GTest::gmock
                                        GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES
    LABELS e2e FIXTURES_REQUIRED wine RESOURCE_LOCK wine_prefix TIMEOUT ${ARG_TIMEOUT})
endfunction()
