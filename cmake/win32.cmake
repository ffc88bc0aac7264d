# Win32 programs (MinGW-w64) and their tests under Wine.
enable_language(RC)

# What every program of the terminal is built with: small, no exceptions or RTTI, static
# runtime, stripped, warnings as errors.
# Libraries take only the compile options, so that test programs linking them keep their own
# entry point and symbols.
add_library(tool_compile_options INTERFACE)
target_compile_options(tool_compile_options INTERFACE
    $<$<COMPILE_LANGUAGE:CXX>:-Os -fno-exceptions -fno-rtti -Wall -Wextra -Werror>)
target_compile_definitions(tool_compile_options INTERFACE UNICODE _UNICODE)
add_library(tool_options INTERFACE)
target_link_libraries(tool_options INTERFACE tool_compile_options)
target_link_options(tool_options INTERFACE -municode -static -static-libgcc -static-libstdc++ -s)

set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} --codepage=65001")

# The modem-tool core, linked into wavemeter and identview (the shell separately, below).
add_library(modem_core STATIC
    common/centering.cpp
    common/modem_link.cpp
    common/modem_port.cpp
    common/reply_line.cpp)
target_include_directories(modem_core PUBLIC common)
target_link_libraries(modem_core PRIVATE tool_compile_options)
target_compile_definitions(modem_core PUBLIC UNICODE _UNICODE)

# add_tool(NAME SOURCES ...): a GUI program of the terminal. Modem tools add MODEM_SHELL, which
# links the application shell in as an object file (it holds the entry point).
function(add_tool name)
    cmake_parse_arguments(TOOL "MODEM_SHELL" "" "SOURCES;LIBS" ${ARGN})
    set(sources ${TOOL_SOURCES})
    if(TOOL_MODEM_SHELL)
        list(APPEND sources ${CMAKE_SOURCE_DIR}/common/app_shell.cpp)
    endif()
    add_executable(${name} WIN32 ${sources})
    target_link_libraries(${name} PRIVATE ${TOOL_LIBS} tool_options)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()

foreach(dir IN ITEMS wavemeter identview portswap tools/winprobe tools/proccounters)
    if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
        add_subdirectory(${dir})
    endif()
endforeach()

# A plain dialog program: the yardstick for start-up time.
add_tool(minimal_dialog SOURCES
    tools/minimal_dialog/minimal_dialog.cpp tools/minimal_dialog/minimal_dialog.rc)

# Benchmark of one AT exchange on the card's port (console program, run by bench/link_bench.sh).
add_executable(exchange_bench bench/exchange_bench.cpp)
target_link_libraries(exchange_bench PRIVATE modem_core tool_compile_options)
target_link_options(exchange_bench PRIVATE -static)
set_target_properties(exchange_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

# Each program's own code calls only functions the terminal's Windows CE core services offer.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME portability.imports
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/portability/check_imports.py
            ${CMAKE_BINARY_DIR} ${CMAKE_NM})
set_tests_properties(portability.imports PROPERTIES LABELS portability)

option(BUILD_WINE_TESTS "Build the Win32 tests that run under Wine" ON)
if(BUILD_WINE_TESTS)
    add_subdirectory(tests/wine)
endif()
