# Run by CPack on the staged files, before it packs them, so that the
# archive does not depend on when or where it was built: every file gets a
# fixed time and a mode of its kind, and zip's local times are taken in UTC.
set(ENV{TZ} UTC0)
set(FMV_RELEASE_TIME 1767225600)  # 2026-01-01 00:00 UTC
file(GLOB staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(path IN LISTS staged)
  if(path MATCHES "/fmvframes(\\.exe)?$")
    file(CHMOD ${path} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
      GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  else()
    file(CHMOD ${path} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
  execute_process(COMMAND touch -d @${FMV_RELEASE_TIME} ${path}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
