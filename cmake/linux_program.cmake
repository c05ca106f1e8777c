# The Linux program players get, in a build of its own against musl (see
# musl.cmake): static, stripped, and held to the Windows program's rules:
# warnings are errors, no exceptions, no frame of a page or more.
add_executable(fmvframes
  src/platform/posix_main.cpp
  src/platform/posix_windows.cpp
  src/platform/posix_format.cpp
  ${FMV_TOOL_SOURCES})
target_compile_options(fmvframes PRIVATE
  -Os -Wall -Wextra -Werror -Wframe-larger-than=4000
  -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
  -ffunction-sections -fdata-sections -fno-ident)
# The headers share the code's segment rather than having one of their own:
# a smaller file, and one mapping fewer to set up at every start.
target_link_options(fmvframes PRIVATE -s -Wl,--gc-sections
  -Wl,-z,noseparate-code)
