# Small helpers so that every target gets the same warnings, include root and test wiring.
include(${CMAKE_CURRENT_LIST_DIR}/def_exports.cmake)

function(xmt_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow)
  # GCC 12 at -O2/-O3 reports impossible memcpy overlaps inside std::string's own inline
  # code (-Wrestrict false positives, GCC bugs 105329/105651); they say nothing about ours.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(XMT_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# xmt_library(<name> SOURCES ... [DEPS ...] [WIN32_LIBS ...])
# A static library of the tree; includes are written from the repository root.
function(xmt_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;WIN32_LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_DEPS})
  if(WIN32 AND A_WIN32_LIBS)
    target_link_libraries(${name} PUBLIC ${A_WIN32_LIBS})
  endif()
  xmt_warnings(${name})
endfunction()

# xmt_test(<name> SOURCES ... [DEPS ...] [LOADS <library> ...])
# One GoogleTest program, registered as one CTest test (one Wine start per program).
# Each test gets its own host and root folders below the build tree, and finds the sample
# data through XMT_TESTDATA_DIR. LOADS names study libraries the test loads by file name:
# they are built first, and <library>_FILE_NAME holds each one's file name (the file sits
# beside the test program); under Wine, tests that load the same library never run at once.
function(xmt_test name)
  if(NOT BUILD_TESTING)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;LOADS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE XMT_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/testdata")
  foreach(lib IN LISTS A_LOADS)
    add_dependencies(${name} ${lib})
    target_compile_definitions(${name} PRIVATE ${lib}_FILE_NAME="$<TARGET_FILE_NAME:${lib}>")
  endforeach()
  xmt_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set(home ${CMAKE_BINARY_DIR}/testhome/${name})
  file(MAKE_DIRECTORY ${home}/host ${home}/root)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "XMT_HOST_DIR=${home}/host;XMT_ROOT=${home}/root;XMT_TEST_TMP=${home}"
    WORKING_DIRECTORY ${home}
    TIMEOUT 300)
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "XMT_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
    # Under Wine a loaded library's own log is one file for every test (below the prefix's
    # C:/Database/DO_DER, or beside the programs): tests that load the same library take
    # turns, so that none reads back a log another is appending to.
    if(A_LOADS)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${A_LOADS}")
    endif()
  endif()
endfunction()

# xmt_shared_library(<name> DEF <file.def> SOURCES ... DEPS ...)
# A study library the platform loads, in one call:
# - no "lib" prefix; only the names of the .def file leave it (the .def on Windows, a version
#   script made from it on Linux, where the exports need default visibility to get past
#   -fvisibility=hidden: XMT_EXPORT in the library's C header);
# - a test that it exports exactly those names and (win64) imports only Windows system DLLs;
# - the library is recorded in the global list XMT_STUDY_LIBRARIES, which the simulator and
#   the fuzz targets read once every folder is configured (xmt_after_all_libraries).
function(xmt_shared_library name)
  cmake_parse_arguments(A "" "DEF" "SOURCES;DEPS" ${ARGN})
  add_library(${name} SHARED ${A_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX "")
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  xmt_warnings(${name})
  get_filename_component(def ${A_DEF} ABSOLUTE)
  if(WIN32)
    target_sources(${name} PRIVATE ${def})
  else()
    target_compile_definitions(${name} PRIVATE
      "XMT_EXPORT=__attribute__((visibility(\"default\")))")
    xmt_def_exports(${def} exports)
    set(names "")
    foreach(export IN LISTS exports)
      string(APPEND names "    ${export};\n")
    endforeach()
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}.map)
    file(WRITE ${script} "{\n  global:\n${names}  local: *;\n};\n")
    target_link_options(${name} PRIVATE -Wl,--version-script=${script} -Wl,-Bsymbolic -Wl,--no-undefined)
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${script})
  endif()
  set_property(GLOBAL APPEND PROPERTY XMT_STUDY_LIBRARIES ${name})
  if(BUILD_TESTING)
    xmt_binary_check(${name}_exports_check $<TARGET_FILE:${name}> DEF ${def})
  endif()
endfunction()

# xmt_binary_check(<test> <file> [DEF <file.def>])
# A test on the build host (not under Wine) that a built binary imports only Windows' own
# system DLLs (win64) and, with DEF, exports exactly the names of the .def file.
function(xmt_binary_check test file)
  cmake_parse_arguments(A "" "DEF" "" ${ARGN})
  if(WIN32)
    find_program(XMT_OBJDUMP NAMES x86_64-w64-mingw32-objdump objdump REQUIRED)
    set(kind pe)
  else()
    find_program(XMT_OBJDUMP NAMES objdump REQUIRED)
    set(kind elf)
  endif()
  find_program(XMT_NM NAMES nm REQUIRED)
  add_test(NAME ${test}
    COMMAND ${CMAKE_COMMAND} -DLIB=${file} -DDEF=${A_DEF} -DOBJDUMP=${XMT_OBJDUMP}
      -DNM=${XMT_NM} -DKIND=${kind} -P ${PROJECT_SOURCE_DIR}/cmake/check_exports.cmake)
endfunction()

# xmt_after_all_libraries(<function>)
# Calls <function>(<libraries>) once the whole tree is configured, with every study library
# made by xmt_shared_library, whatever folder order they were added in.
function(xmt_after_all_libraries fn)
  # A deferred call reads its arguments when it runs, so the name is written into it now.
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY \"${PROJECT_SOURCE_DIR}\" CALL xmt_call_with_libraries ${fn})")
endfunction()
function(xmt_call_with_libraries fn)
  get_property(libs GLOBAL PROPERTY XMT_STUDY_LIBRARIES)
  cmake_language(CALL ${fn} "${libs}")
endfunction()

# Wine prefix for the win64 tests: created once per build tree, wineserver kept running.
function(xmt_wine_fixture)
  set(script ${PROJECT_SOURCE_DIR}/cmake/wine-fixture.sh)
  add_test(NAME wine_start COMMAND ${script} start)
  add_test(NAME wine_stop COMMAND ${script} stop)
  set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300
    ENVIRONMENT "XMT_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
  set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine
    ENVIRONMENT "XMT_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
endfunction()

# xmt_all_headers_check(<target> <folder> ...)
# Compiles two generated files that include every header of the folders and of the folder
# of every study library made so far (test-only testing/ folders, backend headers
# *_posix.h / *_win32.h / win32_api.h and *_internal.h left out), one in order and one in reverse order,
# each ending in a check that no Windows macro renames our names. Call it after the
# libraries' folders are added.
function(xmt_all_headers_check target)
  set(folders ${ARGN})
  get_property(libs GLOBAL PROPERTY XMT_STUDY_LIBRARIES)
  foreach(lib IN LISTS libs)
    get_target_property(dir ${lib} SOURCE_DIR)
    file(RELATIVE_PATH dir ${PROJECT_SOURCE_DIR} ${dir})
    list(APPEND folders ${dir})
  endforeach()
  list(REMOVE_DUPLICATES folders)
  set(headers "")
  foreach(folder IN LISTS folders)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
      ${PROJECT_SOURCE_DIR}/${folder}/*.h)
    list(APPEND headers ${found})
  endforeach()
  # win32_api.h is the platform layer's own: with it in the file, its clean-up would hide a
  # header that includes <windows.h> raw.
  list(FILTER headers EXCLUDE
    REGEX "(^|/)testing/|_posix\\.h$|_win32\\.h$|_internal\\.h$|win32_api\\.h$")
  if(NOT WIN32)
    # The Windows backend's own headers (win32_*.h) need <windows.h>.
    list(FILTER headers EXCLUDE REGEX "(^|/)win32_[^/]*\\.h$")
  endif()
  list(SORT headers)
  set(check "\n#if defined(MessageBox) || defined(WriteProfileString) || defined(min) || ")
  string(APPEND check "defined(max)\n#error a Windows macro renames one of our names\n#endif\n")
  string(APPEND check "#include \"common/platform/platform.h\"\n")
  string(APPEND check "void XmtAllHeadersCheck() {\n  (void)&Platform::MessageBox;\n")
  string(APPEND check "  (void)&Platform::WriteProfileString;\n}\n")
  set(forward "// Generated by xmt_all_headers_check.\n")
  foreach(h IN LISTS headers)
    string(APPEND forward "#include \"${h}\"\n")
  endforeach()
  list(REVERSE headers)
  set(backward "// Generated by xmt_all_headers_check.\n")
  foreach(h IN LISTS headers)
    string(APPEND backward "#include \"${h}\"\n")
  endforeach()
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target})
  file(CONFIGURE OUTPUT ${dir}/forward.cpp CONTENT "${forward}${check}")
  file(CONFIGURE OUTPUT ${dir}/backward.cpp CONTENT "${backward}${check}")
  add_library(${target} OBJECT ${dir}/forward.cpp ${dir}/backward.cpp)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  xmt_warnings(${target})
endfunction()

# xmt_cost_test(<name> SOURCES ... [DEPS ...])
# A test program that counts what its calls allocate (common/testing/cost_meter.h): the
# counting allocators are compiled into it and malloc and its kin wrapped at link time.
function(xmt_cost_test name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  xmt_test(${name}
    SOURCES ${A_SOURCES} ${PROJECT_SOURCE_DIR}/common/testing/cost_meter.cpp
    DEPS ${A_DEPS})
  if(TARGET ${name})
    target_link_options(${name} PRIVATE -Wl,--wrap=malloc -Wl,--wrap=calloc -Wl,--wrap=realloc)
  endif()
endfunction()

# xmt_alloc_fault_test(<name> SOURCES ... [DEPS ...])
# A test program whose allocations can be made to fail one at a time
# (common/testing/alloc_fault.h): the failing allocators are compiled into it and malloc and
# its kin wrapped at link time.
function(xmt_alloc_fault_test name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  xmt_test(${name}
    SOURCES ${A_SOURCES} ${PROJECT_SOURCE_DIR}/common/testing/alloc_fault.cpp
      ${PROJECT_SOURCE_DIR}/common/testing/injection_run.cpp
    DEPS ${A_DEPS})
  if(TARGET ${name})
    target_link_options(${name} PRIVATE -Wl,--wrap=malloc -Wl,--wrap=calloc -Wl,--wrap=realloc)
  endif()
endfunction()
