# Cross-building for Windows x86-64 with Debian's MinGW-w64 (POSIX threads, for std::thread).
# VIRASVET_WINDOWS_PREFIX: the folder the Windows libraries were installed to (scripts/windows.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_AR ${triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${triple}-gcc-ranlib-posix CACHE FILEPATH "")

# Passed on to the compiler checks' own projects.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VIRASVET_WINDOWS_PREFIX)
if(NOT VIRASVET_WINDOWS_PREFIX AND DEFINED ENV{VIRASVET_WINDOWS_PREFIX})
    set(VIRASVET_WINDOWS_PREFIX $ENV{VIRASVET_WINDOWS_PREFIX})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${VIRASVET_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config finds the Windows libraries' .pc files, never the machine's own.
if(VIRASVET_WINDOWS_PREFIX)
    set(ENV{PKG_CONFIG_LIBDIR} ${VIRASVET_WINDOWS_PREFIX}/lib/pkgconfig)
    set(ENV{PKG_CONFIG_PATH} "")
    set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()

# Test programs run under Wine (ctest, gtest_discover_tests).
find_program(VIRASVET_WINE NAMES wine wine64)
if(VIRASVET_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VIRASVET_WINE})
endif()
