# Builds the Linux program against musl in a build of its own, from the same
# sources, and copies it here as fmvframes (FMV_PROGRAM): the program the
# release archive, the demo, `cmake --install` and the end-to-end tests use.
include(ExternalProject)
set(FMV_PROGRAM ${CMAKE_BINARY_DIR}/fmvframes)
ExternalProject_Add(linux-musl
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/linux-musl
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/musl.cmake
    -DCMAKE_BUILD_TYPE=MinSizeRel
    -DBUILD_TESTING=OFF
  INSTALL_COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/fmvframes ${FMV_PROGRAM}
  BUILD_BYPRODUCTS ${FMV_PROGRAM}
  BUILD_ALWAYS ON)
set(FMV_PROGRAM_TARGET linux-musl)
