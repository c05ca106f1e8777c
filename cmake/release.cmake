# The release files: the archive CPack makes and the page, put in
# FMV_RELEASE_DIR. The archive is the same bytes wherever and whenever it is
# built: see release_stage.cmake and release_normalize.cmake.
set(FMV_RELEASE_DIR ${CMAKE_BINARY_DIR} CACHE PATH
  "Where the release archives, the page and SHA256SUMS go")
set(CPACK_OUTPUT_FILE_PREFIX ${FMV_RELEASE_DIR})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)  # unpacked into the game's folder
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/release_stage.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/release_normalize.cmake)
include(CPack)
