# cmake -DSOURCE=src/web -DMODULE=x.wasm -DPAGE=out.html -DESBUILD=esbuild
#   -DWORK=dir -P web_embed.cmake
# Puts the style, the script and the module (base64) into the page.
cmake_minimum_required(VERSION 3.25)  # "@MODULE@" is text, not a variable
# The script's files, in the order they build on each other, as one script.
set(SCRIPT "")
foreach(part tool files page)
  file(READ ${SOURCE}/${part}.js text)
  string(APPEND SCRIPT "${text}")
endforeach()
file(WRITE ${WORK}/page.js "${SCRIPT}")
# Comments, spaces and long local names are for the reader of the source,
# not the player's download. Wrapped in a function, the script's own names
# can be shortened too: the page's one global is window.fmvframes.
execute_process(COMMAND ${ESBUILD} --minify --format=iife --log-level=warning
    ${WORK}/page.js
  OUTPUT_VARIABLE SCRIPT COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${ESBUILD} --minify --log-level=warning
    ${SOURCE}/page.css
  OUTPUT_VARIABLE STYLE COMMAND_ERROR_IS_FATAL ANY)
string(STRIP "${SCRIPT}" SCRIPT)
string(STRIP "${STYLE}" STYLE)
execute_process(COMMAND base64 -w0 ${MODULE} OUTPUT_VARIABLE module
  COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "@MODULE@" "${module}" SCRIPT "${SCRIPT}")
configure_file(${SOURCE}/page.html ${PAGE} @ONLY NEWLINE_STYLE LF)
