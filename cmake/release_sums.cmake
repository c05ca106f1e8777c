# Run by CPack once it has made the archive, to take out what changes from
# one build to the next: gzip's header time, and zip's extra fields, which
# hold each file's inode change time. Then the program goes beside the
# archive, and SHA256SUMS lists both, keeping the lines of the other
# platform's files that are still there.
set(dir ${CPACK_OUTPUT_FILE_PREFIX})
set(sums ${dir}/SHA256SUMS)
file(MAKE_DIRECTORY ${dir})
set(ours)
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
  get_filename_component(name ${package} NAME)
  file(SHA256 ${package} hash)
  list(APPEND ours "${hash}  ${name}")
endforeach()
file(GLOB programs "${CPACK_TEMPORARY_DIRECTORY}/fmvframes*")
foreach(program IN LISTS programs)
  get_filename_component(name ${program} NAME)
  file(COPY_FILE ${program} ${dir}/${name})
  file(SHA256 ${program} hash)
  list(APPEND ours "${hash}  ${name}")
endforeach()

# One line a file, by name: ours as now, the others' as they were.
set(names)
foreach(line IN LISTS ours)
  string(REGEX REPLACE "^[0-9a-f]+  " "" name "${line}")
  list(APPEND names ${name})
  set(line_${name} "${line}")
endforeach()
if(EXISTS ${sums})
  file(STRINGS ${sums} kept)
  foreach(line IN LISTS kept)
    string(REGEX REPLACE "^[0-9a-f]+  " "" name "${line}")
    if(NOT name IN_LIST names AND EXISTS ${dir}/${name})
      list(APPEND names ${name})
      set(line_${name} "${line}")
    endif()
  endforeach()
endif()
list(SORT names)
set(text "")
foreach(name IN LISTS names)
  string(APPEND text "${line_${name}}\n")
endforeach()
file(WRITE ${sums} "${text}")
