# cmake -DSOURCE=src/web -DMODULE=x.wasm -DPAGE=out.html -DESBUILD=esbuild
#   -DWASM_OPT=wasm-opt -DWORK=dir -P web_embed.cmake
# Puts the style, the script and the module (base64) into the page.
cmake_minimum_required(VERSION 3.25)  # "@MODULE@" is text, not a variable
# The script's modules, from controls.mjs, joined by what each imports. Comments,
# spaces and long local names are for the reader of the source, not the
# player's download; the page's one global is window.fmvframes.
execute_process(COMMAND ${ESBUILD} --bundle --minify --format=iife
    --log-level=warning ${SOURCE}/controls.mjs
  OUTPUT_VARIABLE SCRIPT COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${ESBUILD} --minify --log-level=warning
    ${SOURCE}/page.css
  OUTPUT_VARIABLE STYLE COMMAND_ERROR_IS_FATAL ANY)
string(STRIP "${SCRIPT}" SCRIPT)
string(STRIP "${STYLE}" STYLE)
# What clang leaves, binaryen's optimizer makes a fifth smaller.
execute_process(COMMAND ${WASM_OPT} -Oz ${MODULE} -o ${WORK}/page.wasm
  COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND base64 -w0 ${WORK}/page.wasm OUTPUT_VARIABLE module
  COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "@MODULE@" "${module}" SCRIPT "${SCRIPT}")
configure_file(${SOURCE}/page.html ${PAGE} @ONLY NEWLINE_STYLE LF)
