# Builds the page (web_page.cmake) in a build of its own, from the same
# sources, and copies it here as fmvframes.html (FMV_PAGE).
include(ExternalProject)
set(FMV_PAGE ${CMAKE_BINARY_DIR}/fmvframes.html)
ExternalProject_Add(web
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/web
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/wasm32.cmake
    -DCMAKE_BUILD_TYPE=MinSizeRel
    -DBUILD_TESTING=OFF
  INSTALL_COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/fmvframes.html
    ${FMV_PAGE}
  BUILD_BYPRODUCTS ${FMV_PAGE}
  BUILD_ALWAYS ON)
