# Builds the Windows programs beside the native one, from the same sources,
# when Debian's mingw-w64 cross compilers are there: i686 is the program that
# ships, x86_64 the one the tests can run under Wine on this kernel.
include(ExternalProject)

set(FMV_WINDOWS_ARCHES)
set(FMV_WINDOWS_MISSING)
foreach(arch i686 x86_64)
  find_program(FMV_${arch}_CXX ${arch}-w64-mingw32-g++)
  find_program(FMV_${arch}_OBJDUMP ${arch}-w64-mingw32-objdump)
  if(NOT FMV_${arch}_CXX OR NOT FMV_${arch}_OBJDUMP)
    list(APPEND FMV_WINDOWS_MISSING g++-mingw-w64-${arch})
    continue()
  endif()
  list(APPEND FMV_WINDOWS_ARCHES ${arch})
  set(FMV_${arch}_DIR ${CMAKE_BINARY_DIR}/windows-${arch})
  ExternalProject_Add(windows-${arch}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${FMV_${arch}_DIR}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-${arch}.cmake
      -DCMAKE_BUILD_TYPE=MinSizeRel
      -DBUILD_TESTING=ON
      -DFMV_WEB=OFF  # the page is built and tested once, natively
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
endforeach()
string(REPLACE "x86_64" "x86-64" FMV_WINDOWS_MISSING "${FMV_WINDOWS_MISSING}")

find_program(FMV_WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(FMV_WINESERVER wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
# Wine's 32-bit Windows DLLs, with which wine64 runs the i686 program in its
# WoW64 mode (this kernel runs no 32-bit Linux programs): those that
# tools/wine32_dlls.sh fetched for the installed wine64 into the user's cache
# (where a clean of build/ leaves them), or those of an installed
# libwine:i386. Found again at each configure, so that an upgraded wine64 never
# runs with an older version's DLLs.
execute_process(COMMAND dpkg-query -W -f=\${Status}\ \${Version} wine64
  OUTPUT_VARIABLE FMV_WINE64_STATUS ERROR_QUIET)
string(REGEX REPLACE "^install ok installed " "" FMV_WINE64_VERSION
  "${FMV_WINE64_STATUS}")
set(FMV_CACHE_HOME $ENV{XDG_CACHE_HOME})
if(NOT FMV_CACHE_HOME)
  set(FMV_CACHE_HOME $ENV{HOME}/.cache)
endif()
unset(FMV_WINE32_DLLS CACHE)  # kept by an earlier configure
set(FMV_WINE32_DLLS "")
set(FMV_WINE32_EMULATED "")
if(NOT FMV_WINE64_VERSION STREQUAL FMV_WINE64_STATUS)  # installed
  foreach(dir ${FMV_CACHE_HOME}/fmvframes/wine32-${FMV_WINE64_VERSION}
      /usr/lib/i386-linux-gnu/wine)
    if(EXISTS ${dir}/i386-windows/kernel32.dll)
      set(FMV_WINE32_DLLS ${dir})
      break()
    endif()
  endforeach()
  # Where the kernel runs no 32-bit code: the 32-bit Wine under qemu's
  # emulator that tools/wine32_emulation.sh fetched for this version.
  set(dir ${FMV_CACHE_HOME}/fmvframes/emu32-${FMV_WINE64_VERSION})
  if(EXISTS ${dir}/wine AND EXISTS ${dir}/root/usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll)
    set(FMV_WINE32_EMULATED ${dir}/wine)
  endif()
endif()
# WoW64 sets up the 32-bit side with 32-bit system calls (int 0x80), which a
# kernel may refuse even where Wine and its DLLs are installed.
try_run(FMV_INT80_RUNS FMV_INT80_BUILDS ${CMAKE_BINARY_DIR}/int80-check
  ${PROJECT_SOURCE_DIR}/cmake/int80.cpp)
if(DEFINED ENV{CI})
  # CI installs them all: a skipped Windows test there is a broken setup.
  if(FMV_WINDOWS_MISSING OR NOT FMV_WINE64 OR NOT FMV_WINESERVER)
    message(FATAL_ERROR "CI lacks the cross compilers or Wine")
  endif()
  if(NOT FMV_WINE32_DLLS)
    message(FATAL_ERROR "CI lacks Wine's 32-bit DLLs (sh tools/wine32_dlls.sh)")
  endif()
endif()
