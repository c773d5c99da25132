# SQLite for the reader's database service, as target kit_sqlite. Native builds use the system
# library. Windows builds compile the amalgamation in: it is taken from the npm package that
# carries it, once, into third_party/sqlite (ignored by git, reused by every preset).
include_guard(GLOBAL)

if(NOT WIN32)
  find_package(SQLite3 REQUIRED)
  set_target_properties(SQLite::SQLite3 PROPERTIES IMPORTED_GLOBAL TRUE)
  add_library(kit_sqlite INTERFACE)
  target_link_libraries(kit_sqlite INTERFACE SQLite::SQLite3)
else()
  set(KIT_SQLITE_PACKAGE "better-sqlite3@12.11.1")
  set(KIT_SQLITE_DIR "${CMAKE_SOURCE_DIR}/third_party/sqlite")

  if(NOT EXISTS "${KIT_SQLITE_DIR}/sqlite3.c" OR NOT EXISTS "${KIT_SQLITE_DIR}/sqlite3.h")
    find_program(KIT_NPM npm REQUIRED)
    set(download "${CMAKE_BINARY_DIR}/sqlite-download")
    file(REMOVE_RECURSE "${download}")
    file(MAKE_DIRECTORY "${download}")
    message(STATUS "Fetching the SQLite amalgamation from ${KIT_SQLITE_PACKAGE}")
    execute_process(
      COMMAND "${KIT_NPM}" pack "${KIT_SQLITE_PACKAGE}" --silent --pack-destination "${download}"
      WORKING_DIRECTORY "${download}"
      RESULT_VARIABLE result
      OUTPUT_VARIABLE tarball
      OUTPUT_STRIP_TRAILING_WHITESPACE
      TIMEOUT 300)
    if(NOT result EQUAL 0 OR NOT EXISTS "${download}/${tarball}")
      message(FATAL_ERROR "npm pack ${KIT_SQLITE_PACKAGE} failed (${result})")
    endif()
    file(ARCHIVE_EXTRACT INPUT "${download}/${tarball}" DESTINATION "${download}/unpacked"
         PATTERNS package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h)
    # Written beside the final folder and renamed, so that a preset configuring at the same
    # time never sees half a file.
    file(MAKE_DIRECTORY "${CMAKE_SOURCE_DIR}/third_party")
    set(staging "${CMAKE_SOURCE_DIR}/third_party/sqlite-${CMAKE_CXX_COMPILER_ID}-${CMAKE_SYSTEM_PROCESSOR}")
    file(REMOVE_RECURSE "${staging}")
    file(COPY "${download}/unpacked/package/deps/sqlite3/sqlite3.c"
              "${download}/unpacked/package/deps/sqlite3/sqlite3.h"
         DESTINATION "${staging}")
    if(NOT EXISTS "${KIT_SQLITE_DIR}/sqlite3.c")
      file(RENAME "${staging}" "${KIT_SQLITE_DIR}")
    else()
      file(REMOVE_RECURSE "${staging}")
    endif()
    file(REMOVE_RECURSE "${download}")
  endif()

  # Third-party code: its warnings are not ours to fix, so they are off for this target only.
  add_library(kit_sqlite STATIC "${KIT_SQLITE_DIR}/sqlite3.c")
  set_source_files_properties("${KIT_SQLITE_DIR}/sqlite3.c" PROPERTIES LANGUAGE C)
  target_compile_options(kit_sqlite PRIVATE -w)
  target_compile_definitions(kit_sqlite PRIVATE
    SQLITE_DQS=0
    SQLITE_OMIT_LOAD_EXTENSION
    SQLITE_DEFAULT_FOREIGN_KEYS=1
    SQLITE_THREADSAFE=1)
  target_include_directories(kit_sqlite SYSTEM PUBLIC "${KIT_SQLITE_DIR}")
endif()
