# Project-wide build helpers shared by the native and the windows tree.

# Particle arithmetic must give the same bits under GCC for Linux and MinGW-w64:
# no fused multiply-add, no fast-math reassociation.
function(orvalis_deterministic_floats target)
    target_compile_options(${target} PRIVATE -ffp-contract=off -fno-fast-math)
endfunction()

if(ORVALIS_WINDOWS)
    # GoogleTest built from the Debian sources with the cross toolchain.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL SYSTEM)
    set(ORVALIS_GTEST_MAIN gtest_main)
    set(ORVALIS_GMOCK gmock)
    # Wine state for the test run: prefix, display and server live here.
    set(ORVALIS_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
    # Win32 helpers of the end-to-end tests (tests/e2e/tools).
    set(ORVALIS_E2E_TOOLS_DIR ${CMAKE_BINARY_DIR}/e2e-tools)
else()
    find_package(GTest REQUIRED)
    set(ORVALIS_GTEST_MAIN GTest::gtest_main)
    set(ORVALIS_GMOCK GTest::gmock)
endif()
include(GoogleTest)

# orvalis_add_gtest(target SOURCES ... LIBS ...)
# A GoogleTest program; under the windows tree every test runs through Wine in the unit-test prefix.
function(orvalis_add_gtest target)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} ${ORVALIS_GTEST_MAIN} ${ORVALIS_GMOCK})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
    if(ORVALIS_WINDOWS)
        gtest_add_tests(TARGET ${target} TEST_PREFIX "win." TEST_LIST tests)
        orvalis_wine_test_properties(${tests})
    else()
        gtest_discover_tests(${target} TEST_PREFIX "native.")
    endif()
endfunction()

# Tests that start Windows programs need the unit-test Wine session (prefix, Xvfb, wineserver).
function(orvalis_wine_test_properties)
    set_tests_properties(${ARGN} PROPERTIES
        FIXTURES_REQUIRED wine_unit
        ENVIRONMENT "ORVALIS_WINE_DIR=${ORVALIS_WINE_DIR}/unit;ORVALIS_TEST_OUTPUT=${CMAKE_BINARY_DIR}/test-output"
        TIMEOUT 180)
endfunction()

# End-to-end tests run the real programs, each on its own Xvfb display, one at a time in their own
# prefix (a Wine server keeps the display it first met, so tests with different displays can't overlap).
function(orvalis_e2e_test_properties)
    set_tests_properties(${ARGN} PROPERTIES
        FIXTURES_REQUIRED wine_e2e
        RESOURCE_LOCK wine_e2e_prefix
        ENVIRONMENT "ORVALIS_WINE_DIR=${ORVALIS_WINE_DIR}/e2e;ORVALIS_BIN_DIR=${ORVALIS_BIN_DIR};ORVALIS_SOURCE_DIR=${CMAKE_SOURCE_DIR};ORVALIS_E2E_TOOLS_DIR=${ORVALIS_E2E_TOOLS_DIR};ORVALIS_TEST_OUTPUT=${CMAKE_BINARY_DIR}/test-output"
        TIMEOUT 300)
endfunction()

# One ctest test <prefix>.<name> per top-level `def test_<name>(` of a Python test script, run as
# `script <name>` (tests/support/runner.py): a test function is registered by writing it, and editing the
# script re-runs the configure step. The caller has found Python3; the test names go to the variable `out`.
function(orvalis_python_tests script prefix out)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${script})
    file(STRINGS ${script} definitions REGEX "^def test_[A-Za-z0-9_]+\\(")
    set(names)
    foreach(definition ${definitions})
        string(REGEX REPLACE "^def test_([A-Za-z0-9_]+)\\(.*" "\\1" name "${definition}")
        add_test(NAME ${prefix}.${name} COMMAND ${Python3_EXECUTABLE} ${script} ${name})
        list(APPEND names ${prefix}.${name})
    endforeach()
    set(${out} ${names} PARENT_SCOPE)
endfunction()
