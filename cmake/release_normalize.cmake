# Run by CPack once it has made the archive, to take out what changes from
# one build to the next: gzip's header time, and zip's extra fields, which
# hold each file's inode change time. Then the page goes beside the archive,
# for players who take it alone; a program goes only in its archive, with its
# text and license. SHA256SUMS is written once all release files are made, by
# tools/release.sh.
set(dir ${CPACK_OUTPUT_FILE_PREFIX})
file(MAKE_DIRECTORY ${dir})
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.gz$")
    execute_process(COMMAND gzip -dc ${package} OUTPUT_FILE ${package}.tar
      COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND gzip -9nc ${package}.tar OUTPUT_FILE ${package}
      COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE ${package}.tar)
  elseif(package MATCHES "\\.zip$")
    file(GLOB entries RELATIVE ${CPACK_TEMPORARY_DIRECTORY}
      "${CPACK_TEMPORARY_DIRECTORY}/*")
    list(SORT entries)
    file(REMOVE ${package})
    execute_process(COMMAND zip -q -X -D -9 ${package} ${entries}
      WORKING_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY} COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
if(EXISTS ${CPACK_TEMPORARY_DIRECTORY}/fmvframes.html)
  file(COPY_FILE ${CPACK_TEMPORARY_DIRECTORY}/fmvframes.html
    ${dir}/fmvframes.html)
endif()
