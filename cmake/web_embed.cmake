# cmake -DSOURCE=src/web -DMODULE=x.wasm -DPAGE=out.html -P web_embed.cmake
# Puts the style, the script and the module (base64) into the page.
cmake_minimum_required(VERSION 3.25)  # "@MODULE@" is text, not a variable
file(READ ${SOURCE}/page.css STYLE)
# The script's files, in the order they build on each other.
set(SCRIPT "")
foreach(part tool files page)
  file(READ ${SOURCE}/${part}.js text)
  string(APPEND SCRIPT "${text}")
endforeach()
# Comments (whole lines, and those after code, two spaces out) and
# indentation are for the reader of the source, not the player's download.
string(REGEX REPLACE "\n[ ]*//[^\n]*" "" SCRIPT "\n${SCRIPT}")
string(REGEX REPLACE "\n[ ]+" "\n" SCRIPT "${SCRIPT}")
string(REGEX REPLACE "  // [^\n]*" "" SCRIPT "${SCRIPT}")
execute_process(COMMAND base64 -w0 ${MODULE} OUTPUT_VARIABLE module
  COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "@MODULE@" "${module}" SCRIPT "${SCRIPT}")
configure_file(${SOURCE}/page.html ${PAGE} @ONLY NEWLINE_STYLE LF)
