# The Linux program against Debian's musl (packages musl-tools, musl-dev), a C
# library made for small static programs: g++ compiles with musl's headers in
# place of glibc's and without the C++ library's, which the program does not
# use, and links musl's start-up and libc.a.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_CXX_COMPILER g++)
set(specs /usr/lib/x86_64-linux-musl/musl-gcc.specs)
if(NOT EXISTS ${specs})
  message(FATAL_ERROR "no ${specs}: install the packages musl-tools musl-dev")
endif()
set(CMAKE_CXX_FLAGS_INIT "-specs=${specs} -nostdinc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)  # the specs come with the flags above
set(FMV_MUSL_PROGRAM ON)
