# SPDX-License-Identifier: GPL-3.0-or-later
# orvane_add_test(NAME SOURCES src... LIBS lib... [LABELS label...])
# One QtTest executable registered with CTest, always run headless.
function(orvane_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test)
    target_compile_definitions(${name} PRIVATE ORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                               ORVANE_BINARY_DIR="${PROJECT_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        LABELS "${T_LABELS}"
        TIMEOUT 300)
endfunction()

# orvane_add_benchmark(NAME SOURCES src... LIBS lib...)
# A QtTest QBENCHMARK executable: built by default, run on demand, never by ctest.
function(orvane_add_benchmark name)
    cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${B_SOURCES})
    target_link_libraries(${name} PRIVATE ${B_LIBS} Qt6::Test)
endfunction()
