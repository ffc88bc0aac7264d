# Builds the three programs for the terminal itself: Windows CE 4.10 on an ARMV4I CPU (ARMv4
# with Thumb interworking), with the arm-mingw32ce cross compilers of CeGCC.
#
#   cmake -S . -B build/wince-arm -DCMAKE_TOOLCHAIN_FILE=cmake/wince-arm.cmake [-DCEGCC_ROOT=DIR]
#
# The toolchain is taken from CEGCC_ROOT (CMake or environment variable; its bin/ holds the
# compilers), else from PATH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(WINCE_ARM ON)

# Compiler checks run in projects of their own; they need the same root.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CEGCC_ROOT)
if(NOT CEGCC_ROOT AND DEFINED ENV{CEGCC_ROOT})
    set(CEGCC_ROOT "$ENV{CEGCC_ROOT}")
endif()

# find_cegcc(VAR TOOL): the toolchain's arm-mingw32ce-TOOL, or a clear stop when it is missing.
macro(find_cegcc var tool)
    if(CEGCC_ROOT)
        find_program(${var} arm-mingw32ce-${tool} HINTS "${CEGCC_ROOT}/bin" NO_DEFAULT_PATH)
        set(_cegcc_where "in ${CEGCC_ROOT}/bin")
    else()
        find_program(${var} arm-mingw32ce-${tool})
        set(_cegcc_where "on PATH (or set CEGCC_ROOT to the toolchain's root)")
    endif()
    if(NOT ${var})
        message(FATAL_ERROR "The Windows CE ARM cross toolchain was not found: no "
                            "arm-mingw32ce-${tool} ${_cegcc_where}. scripts/build-ce.sh says "
                            "what to install.")
    endif()
endmacro()
find_cegcc(CMAKE_C_COMPILER gcc)
find_cegcc(CMAKE_CXX_COMPILER g++)
find_cegcc(CMAKE_RC_COMPILER windres)

# The terminal's CPU, and the Windows CE version every CE project states itself: without
# UNDER_CE and _WIN32_WCE the headers fall back to an older system and a narrow WinMain.
set(_wince_defines "-DUNDER_CE -D_WIN32_WCE=0x410")
set(CMAKE_C_FLAGS_INIT "-march=armv4t ${_wince_defines}")
set(CMAKE_CXX_FLAGS_INIT "-march=armv4t ${_wince_defines}")
set(CMAKE_RC_FLAGS_INIT "${_wince_defines}")

# Everything the programs call is in COREDLL, which the compiler driver links by itself; the
# desktop import libraries (kernel32, user32, ...) do not exist here.
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "Libraries linked into every C program" FORCE)
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "Libraries linked into every C++ program" FORCE)
