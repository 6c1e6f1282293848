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

# xmt_test(<name> SOURCES ... [DEPS ...])
# One GoogleTest program, registered as one CTest test (one Wine start per program).
# Each test gets its own host and root folders below the build tree.
function(xmt_test name)
  if(NOT BUILD_TESTING)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest_main GTest::gmock)
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
  endif()
endfunction()

# xmt_shared_library(<name> DEF <file.def> SOURCES ... DEPS ...)
# A library the platform loads: no "lib" prefix, only the names of the .def file exported
# (the .def on Windows, a version script made from it on Linux).
function(xmt_shared_library name)
  cmake_parse_arguments(A "" "DEF" "SOURCES;DEPS" ${ARGN})
  add_library(${name} SHARED ${A_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX "")
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  xmt_warnings(${name})
  if(WIN32)
    target_sources(${name} PRIVATE ${A_DEF})
  else()
    xmt_def_exports(${A_DEF} exports)
    set(names "")
    foreach(export IN LISTS exports)
      string(APPEND names "    ${export};\n")
    endforeach()
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}.map)
    file(WRITE ${script} "{\n  global:\n${names}  local: *;\n};\n")
    target_link_options(${name} PRIVATE -Wl,--version-script=${script} -Wl,-Bsymbolic -Wl,--no-undefined)
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${script})
  endif()
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
