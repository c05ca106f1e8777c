# The page players get: the module and the page's files in one HTML file.
# Builds the core for wasm32 (see wasm32.cmake) and embeds it, in base64,
# with the style and the script, so that the page opens from a file:// address
# with nothing to fetch.
add_executable(fmvframes_web
  src/web/web_platform.cpp
  src/platform/posix_format.cpp
  ${FMV_TOOL_SOURCES})
set_target_properties(fmvframes_web PROPERTIES SUFFIX .wasm)
target_compile_options(fmvframes_web PRIVATE
  -Oz -Wall -Wextra -Werror -Wframe-larger-than=4000 -fno-exceptions -fno-rtti)
target_link_options(fmvframes_web PRIVATE -Wl,--strip-all)

set(page_sources
  ${PROJECT_SOURCE_DIR}/src/web/page.html
  ${PROJECT_SOURCE_DIR}/src/web/page.css
  ${PROJECT_SOURCE_DIR}/src/web/format.mjs
  ${PROJECT_SOURCE_DIR}/src/web/tool.mjs
  ${PROJECT_SOURCE_DIR}/src/web/files.mjs
  ${PROJECT_SOURCE_DIR}/src/web/listing.mjs
  ${PROJECT_SOURCE_DIR}/src/web/history.mjs
  ${PROJECT_SOURCE_DIR}/src/web/words.mjs
  ${PROJECT_SOURCE_DIR}/src/web/rows.mjs
  ${PROJECT_SOURCE_DIR}/src/web/page.mjs
  ${PROJECT_SOURCE_DIR}/src/web/controls.mjs)
# esbuild (Debian's esbuild) makes the script and the style small, wasm-opt
# (binaryen) the module.
find_program(FMV_ESBUILD esbuild REQUIRED)
find_program(FMV_WASM_OPT wasm-opt REQUIRED)
add_custom_command(OUTPUT fmvframes.html
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR}/src/web
    -DMODULE=$<TARGET_FILE:fmvframes_web>
    -DPAGE=${CMAKE_BINARY_DIR}/fmvframes.html
    -DESBUILD=${FMV_ESBUILD} -DWASM_OPT=${FMV_WASM_OPT}
    -DWORK=${CMAKE_CURRENT_BINARY_DIR}
    -P ${PROJECT_SOURCE_DIR}/cmake/web_embed.cmake
  DEPENDS fmvframes_web ${page_sources}
    ${PROJECT_SOURCE_DIR}/cmake/web_embed.cmake)
add_custom_target(web_page ALL DEPENDS fmvframes.html)
