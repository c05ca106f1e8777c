# Tests of the Windows programs: their headers, and the end-to-end cases run
# under Wine. Skipped, saying why, where the cross compilers or Wine are
# missing; CI installs both.
if(FMV_WINDOWS_MISSING)
  fmv_skipped_test(windows.missing
    "no Windows build without the packages ${FMV_WINDOWS_MISSING}")
endif()

set(FMV_i686_FORMAT pei-i386)
set(FMV_i686_ENTRY program_start@0)
set(FMV_i686_BUDGET 7680)  # the smallest reached, so that growth shows
set(FMV_x86_64_FORMAT pei-x86-64)
set(FMV_x86_64_ENTRY program_start)
set(FMV_x86_64_BUDGET 7680)
foreach(arch IN LISTS FMV_WINDOWS_ARCHES)
  set(dir ${FMV_${arch}_DIR})
  add_test(NAME windows.${arch}.headers
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_pe.sh
      ${FMV_${arch}_OBJDUMP} ${dir}/fmvframes.exe ${dir}/fmvframes.map
      ${FMV_${arch}_FORMAT} ${FMV_${arch}_ENTRY} ${FMV_${arch}_BUDGET})
endforeach()

if("i686" IN_LIST FMV_WINDOWS_ARCHES)
  # The Windows archive's files, by name (the page joins them in a release).
  add_test(NAME release.names.windows
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/check_release_names.sh
      ${FMV_i686_DIR} Unspecified
      fmvframes.exe fmvframes-LICENSE.txt fmvframes.txt)
  add_test(NAME windows.i686.reproducible
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_reproducible.sh
      ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/cmake/mingw-i686.cmake
      ${FMV_i686_DIR}/fmvframes.exe ${CMAKE_BINARY_DIR}/windows-i686-again)
endif()

if(NOT FMV_WINE64 OR NOT FMV_WINESERVER)
  fmv_skipped_test(wine.missing
    "no run of the Windows programs without the package wine64")
  return()
endif()

# Each Windows program runs in a Wine prefix of the build's own, with one
# persistent server: the x86_64 one under plain wine64, the i686 one (the
# program players get) under wine64's WoW64 mode, which needs Wine's 32-bit
# DLLs on WINEDLLPATH from the moment the prefix is made. Where the kernel
# runs no 32-bit code, WoW64 can't start it: there the i686 one runs under
# the 32-bit Wine in qemu's user-mode emulator (qemu32.*), in a 32-bit
# prefix served by the same wineserver, with the same cases.
set(FMV_BUILT_ARCHES ${FMV_WINDOWS_ARCHES})
set(FMV_x86_64_WINE wine)
set(FMV_i686_WINE wow64)
if(NOT FMV_WINE32_DLLS)
  fmv_skipped_test(wow64.missing
    "no run of the 32-bit program without Wine's 32-bit DLLs (sh tools/wine32_dlls.sh fetches them)")
  list(REMOVE_ITEM FMV_WINDOWS_ARCHES i686)
elseif(NOT FMV_INT80_RUNS EQUAL 0 AND NOT FMV_WINE32_EMULATED)
  fmv_skipped_test(qemu32.missing "no run of the 32-bit program: this kernel \
refuses the 32-bit system calls (int 0x80) with which the WoW64 mode of Wine \
starts it, and the emulated 32-bit Wine is not there (sh tools/wine32_emulation.sh \
fetches it, or says why it could not)")
  list(REMOVE_ITEM FMV_WINDOWS_ARCHES i686)
elseif(NOT FMV_INT80_RUNS EQUAL 0)
  set(FMV_i686_WINE qemu32)
endif()
foreach(arch IN LISTS FMV_WINDOWS_ARCHES)
  set(wine ${FMV_${arch}_WINE})
  set(prefix ${CMAKE_BINARY_DIR}/${wine}prefix)
  set(loader ${FMV_WINE64})
  set(options "")
  set(env "")
  set(filter "")
  set(terminal "")
  if(wine STREQUAL "wow64")
    set(options --dlls=${FMV_WINE32_DLLS})
    set(env "export WINEDLLPATH='${FMV_WINE32_DLLS}'\n")
  elseif(wine STREQUAL "qemu32")
    set(loader ${FMV_WINE32_EMULATED})
    set(options --win32)
    set(env "export WINEARCH=win32 WINESERVER='${FMV_WINESERVER}'\n")
    set(filter "bash '${CMAKE_CURRENT_SOURCE_DIR}/wine_emulated.sh' ")
    set(terminal "--skip-terminal=under the emulator, the console of Wine \
crashes in a terminal, since the signal frames of qemu carry no trap number \
- the half in a pipe has run")
  endif()
  set(wine_args ${loader} ${FMV_WINESERVER} ${prefix} ${options})
  add_test(NAME ${wine}.start
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine_prefix.sh start ${wine_args})
  add_test(NAME ${wine}.stop
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine_prefix.sh stop ${wine_args})
  set_tests_properties(${wine}.start PROPERTIES FIXTURES_SETUP ${wine})
  set_tests_properties(${wine}.stop PROPERTIES FIXTURES_CLEANUP ${wine})

  # Runs a Windows program in that prefix, with Wine's own messages off but
  # for a DLL it can't find, which it names: where the DLL cache lacks one
  # that a case needs, that case fails saying which.
  set(run ${CMAKE_BINARY_DIR}/${wine}-run)
  file(WRITE ${run} "#!/bin/sh
${env}export WINEPREFIX='${prefix}' WINEDEBUG=-all,err+module WINEDLLOVERRIDES='mscoree,mshtml='
exec ${filter}'${loader}' \"$@\"
")
  file(CHMOD ${run} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(FMV_${arch}_RUN ${run})

  set(dir ${FMV_${arch}_DIR})
  # The manifest parses as Windows parses it, and the version reads back:
  # each program's own, and from the 64-bit side every program built, which
  # needs no WoW64.
  set(inspected ${arch})
  if(arch STREQUAL "x86_64")
    set(inspected ${FMV_BUILT_ARCHES})
  endif()
  foreach(program_arch IN LISTS inspected)
    add_test(NAME ${wine}.resources.${program_arch}
      COMMAND ${run} ${dir}/inspect_exe.exe
        Z:${FMV_${program_arch}_DIR}/fmvframes.exe ${PROJECT_VERSION})
    set_tests_properties(${wine}.resources.${program_arch} PROPERTIES
      FIXTURES_REQUIRED ${wine})
  endforeach()
  gtest_discover_tests(e2e_tests TEST_PREFIX ${wine}.
    TEST_FILTER -Tool.LeavesAFileHeldByAWindowsProgramAlone
    EXTRA_ARGS --hold-with=${dir}/hold_file.exe --launch-with=${dir}/launch.exe
      ${terminal} -- ${run} ${dir}/fmvframes.exe
    PROPERTIES FIXTURES_REQUIRED ${wine})
  if(arch STREQUAL "x86_64")
    gtest_discover_tests(e2e_tests TEST_PREFIX native.
      TEST_FILTER Tool.LeavesAFileHeldByAWindowsProgramAlone
      EXTRA_ARGS --native --hold-with-wine=${run},${dir}/hold_file.exe
        -- ${FMV_PROGRAM}
      PROPERTIES FIXTURES_REQUIRED ${wine})
  endif()
endforeach()
