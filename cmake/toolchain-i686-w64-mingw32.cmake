# 32-bit Windows (i686, PE32) with MinGW-w64 from Debian and the Windows kit
# of Qt, libcsv and GoogleTest that scripts/windows-kit unpacks. The maker's
# library is 32-bit and is loaded into the program's process, so the program
# is 32-bit too.
#
#   cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake ...
#
# KVMT_WINDOWS_KIT (cache or environment) names the kit; the default is
# ~/.cache/kvmtconf/windows-kit.
if(NOT KVMT_WINDOWS_KIT)
    if(DEFINED ENV{KVMT_WINDOWS_KIT})
        set(KVMT_WINDOWS_KIT $ENV{KVMT_WINDOWS_KIT})
    else()
        set(KVMT_WINDOWS_KIT $ENV{HOME}/.cache/kvmtconf/windows-kit)
    endif()
endif()
if(NOT EXISTS ${KVMT_WINDOWS_KIT}/toolchain-i686-w64-mingw32.cmake)
    message(FATAL_ERROR "No Windows kit in ${KVMT_WINDOWS_KIT}: run scripts/windows-kit first")
endif()
set(KVMT_WINDOWS_KIT ${KVMT_WINDOWS_KIT} CACHE PATH "The Windows kit (Qt, libcsv, GoogleTest for i686-w64-mingw32)")
# Try-compile projects see the same kit.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KVMT_WINDOWS_KIT)

include(${KVMT_WINDOWS_KIT}/toolchain-i686-w64-mingw32.cmake)
list(APPEND CMAKE_PREFIX_PATH ${KVMT_WINDOWS_KIT})
# moc, rcc, uic and lrelease come from the Linux Qt of the same version.
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
# Test programs run under wine, through CTest.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
