# Builds this project again with another toolchain, in a build folder of its
# own, and copies the one file it makes into this build: the Linux program
# against musl (musl.cmake), the page for the browser (wasm32.cmake).
# fmv_sub_build(NAME TOOLCHAIN FILE) makes the target NAME and leaves FILE
# in this build's folder.
include(ExternalProject)
function(fmv_sub_build name toolchain file)
  ExternalProject_Add(${name}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/${name}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/${toolchain}
      -DCMAKE_BUILD_TYPE=MinSizeRel
      -DBUILD_TESTING=OFF
    INSTALL_COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/${file}
      ${CMAKE_BINARY_DIR}/${file}
    BUILD_BYPRODUCTS ${CMAKE_BINARY_DIR}/${file}
    BUILD_ALWAYS ON)
endfunction()
