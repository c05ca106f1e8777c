# Tests of the Windows programs: their headers, and the end-to-end cases run
# under Wine. Skipped, saying why, where the cross compilers or Wine are
# missing; CI installs both.
if(FMV_WINDOWS_MISSING)
  fmv_skipped_test(windows.missing
    "no Windows build without the packages ${FMV_WINDOWS_MISSING}")
endif()

set(FMV_i686_FORMAT pei-i386)
set(FMV_i686_ENTRY program_start@0)
set(FMV_i686_BUDGET 4608)  # the smallest reached, so that growth shows
set(FMV_x86_64_FORMAT pei-x86-64)
set(FMV_x86_64_ENTRY program_start)
set(FMV_x86_64_BUDGET 5120)
foreach(arch IN LISTS FMV_WINDOWS_ARCHES)
  set(dir ${FMV_${arch}_DIR})
  add_test(NAME windows.${arch}.headers
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_pe.sh
      ${FMV_${arch}_OBJDUMP} ${dir}/fmvframes.exe ${dir}/fmvframes.map
      ${FMV_${arch}_FORMAT} ${FMV_${arch}_ENTRY} ${FMV_${arch}_BUDGET})
endforeach()

if(NOT "x86_64" IN_LIST FMV_WINDOWS_ARCHES)
  return()
endif()
if(NOT FMV_WINE64 OR NOT FMV_WINESERVER)
  fmv_skipped_test(wine.missing
    "no run of the Windows program without the package wine64")
  return()
endif()

set(prefix ${CMAKE_BINARY_DIR}/wineprefix)
set(wine_args ${FMV_WINE64} ${FMV_WINESERVER} ${prefix})
add_test(NAME wine.start
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine_prefix.sh start ${wine_args})
add_test(NAME wine.stop
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine_prefix.sh stop ${wine_args})
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

# Runs a Windows program in that prefix, with Wine's own messages off.
set(wine_run ${CMAKE_BINARY_DIR}/wine-run)
file(WRITE ${wine_run} "#!/bin/sh
export WINEPREFIX='${prefix}' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
exec '${FMV_WINE64}' \"$@\"
")
file(CHMOD ${wine_run} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(dir ${FMV_x86_64_DIR})
gtest_discover_tests(e2e_tests TEST_PREFIX wine.
  EXTRA_ARGS --hold-with=${dir}/hold_file.exe -- ${wine_run}
    ${dir}/fmvframes.exe
  PROPERTIES FIXTURES_REQUIRED wine)
