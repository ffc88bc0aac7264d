# The three programs of the terminal and the libraries they are made of. Included by the desktop
# build (cmake/win32.cmake, MinGW-w64) and by the Windows CE build (WINCE_ARM, set by
# cmake/wince-arm.cmake).
enable_language(RC)

# What every program of the terminal is built with: small, no exceptions or RTTI, warnings as
# errors, and the platform's own sprintf (MinGW's replacement printf would add some 24 KB and
# desktop-only imports).
# Libraries take only the compile options, so that test programs linking them keep their own
# entry point and symbols.
add_library(tool_compile_options INTERFACE)
target_compile_options(tool_compile_options INTERFACE
    $<$<COMPILE_LANGUAGE:CXX>:-Os -fno-exceptions -fno-rtti -Wall -Wextra -Werror>)
target_compile_definitions(tool_compile_options INTERFACE UNICODE _UNICODE
    __USE_MINGW_ANSI_STDIO=0)
add_library(tool_options INTERFACE)
target_link_libraries(tool_options INTERFACE tool_compile_options)
# No link time in the header (GNU ld writes one by default): the same sources give the same
# bytes. Nothing reads it for programs without bound imports, on Windows CE as on Windows XP.
target_link_options(tool_options INTERFACE -Wl,--no-insert-timestamp)
if(WINCE_ARM)
    # The CE compiler driver links COREDLL and its static runtime by itself, and its WinMain
    # already takes a UTF-16 command line. It knows no desktop subsystem options.
    # The header as a Windows CE 4.10 SDK linker writes it: subsystem version 4.10 (GNU ld says
    # 3.0), no DYNAMIC_BASE or NX_COMPAT flags, which the system predates, and a 64 KB stack
    # reserve instead of 2 MB of the process's 32 MB slot.
    # No start-up files: common/wince_startup.cpp is the entry point, so that the programs import
    # only what their own code calls.
    target_link_options(tool_options INTERFACE -s -nostartfiles -Wl,-e,WinMainCRTStartup
        -Wl,--major-subsystem-version,4,--minor-subsystem-version,10
        -Wl,--disable-dynamicbase,--disable-nxcompat -Wl,--stack,65536)
    set(CMAKE_CXX_CREATE_WIN32_EXE "")
    set(CMAKE_CXX_CREATE_CONSOLE_EXE "")
else()
    # Static runtime, stripped; wWinMain is the entry point.
    target_link_options(tool_options INTERFACE -municode -static -static-libgcc -static-libstdc++
                                               -s)
endif()

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
product_code(modem_core)

# add_tool(NAME SOURCES ...): a GUI program of the terminal. Modem tools add MODEM_SHELL, which
# links the application shell in as an object file (it holds the entry point).
function(add_tool name)
    cmake_parse_arguments(TOOL "MODEM_SHELL" "" "SOURCES;LIBS" ${ARGN})
    set(sources ${TOOL_SOURCES})
    if(TOOL_MODEM_SHELL)
        list(APPEND sources ${CMAKE_SOURCE_DIR}/common/app_shell.cpp)
    endif()
    if(WINCE_ARM)
        list(APPEND sources ${CMAKE_SOURCE_DIR}/common/wince_startup.cpp)
    endif()
    add_executable(${name} WIN32 ${sources})
    target_link_libraries(${name} PRIVATE ${TOOL_LIBS} tool_options)
    product_code(${name})
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()

foreach(dir IN ITEMS wavemeter identview portswap)
    add_subdirectory(${dir})
endforeach()
