# Win32 programs (MinGW-w64), the test tools that run beside them, and their tests under Wine.
include(cmake/programs.cmake)

foreach(dir IN ITEMS tools/winprobe tools/proccounters)
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

# Each program's own code, and each final program, calls only functions the terminal's Windows
# CE core services offer (and, on the desktop, what MinGW's start-up code needs); the checks
# themselves are tried on doctored copies of the programs.
# They read programs with pefile, which the install step takes from Debian: Debian's own
# interpreter sees it, whatever other python3 comes first on PATH.
if(EXISTS /usr/bin/python3 AND NOT Python3_EXECUTABLE)
    set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "Debian's Python interpreter")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME portability.imports
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/portability/check_imports.py
            ${CMAKE_BINARY_DIR} ${CMAKE_NM})
add_test(NAME portability.checks
    COMMAND ${Python3_EXECUTABLE} -m unittest tests.portability.test_checks
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
# The Windows XP check of the PC setup program's i686 build, tried on small i686 programs.
add_test(NAME portability.xp
    COMMAND ${Python3_EXECUTABLE} -m unittest tests.portability.test_xp_check
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(portability.imports portability.checks portability.xp PROPERTIES
    LABELS portability
    ENVIRONMENT WIN_BUILD=${CMAKE_BINARY_DIR})

# The PC setup program, a desktop program only (its i686 build is checked against Windows XP
# with the interpreter found above).
add_subdirectory(setup)

# The release archive and installation cabinet, packed from these programs as a trial of
# scripts/package.sh.
add_test(NAME package.archive
    COMMAND ${Python3_EXECUTABLE} -m unittest tests.package.test_package
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
add_test(NAME package.cabinet
    COMMAND ${Python3_EXECUTABLE} -m unittest tests.package.test_cabinet
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(package.archive package.cabinet PROPERTIES LABELS package
    ENVIRONMENT WIN_BUILD=${CMAKE_BINARY_DIR})

option(BUILD_WINE_TESTS "Build the Win32 tests that run under Wine" ON)
if(BUILD_WINE_TESTS)
    add_subdirectory(tests/wine)
endif()
