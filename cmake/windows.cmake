# The Windows program: no C runtime and no C++ library, only KERNEL32 and
# USER32, entered at program_start.
set(CMAKE_CXX_STANDARD_LIBRARIES "")

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(FMV_ENTRY _program_start@0)  # __stdcall names are decorated on i686
  # Win32 promises 4-byte stack alignment and nothing here needs more.
  set(FMV_ARCH_FLAGS -mpreferred-stack-boundary=2)
  set(FMV_NO_SEH -Wl,--no-seh)  # x86_64 keeps its handlers in tables
else()
  set(FMV_ENTRY program_start)
  set(FMV_ARCH_FLAGS)
  set(FMV_NO_SEH)
endif()

enable_language(RC)
set_source_files_properties(src/platform/windows/fmvframes.rc PROPERTIES
  OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/windows/fmvframes.manifest)
add_executable(fmvframes
  src/runtime/startup.cpp
  src/runtime/command_line.cpp
  src/runtime/console_wait.cpp
  src/platform/windows/fmvframes.rc
  ${FMV_TOOL_SOURCES})
target_compile_options(fmvframes PRIVATE
  -Os -flto -fomit-frame-pointer ${FMV_ARCH_FLAGS} -Wall -Wextra -Werror
  -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
  # Without a stack probe, a frame of a page or more could step over the
  # guard page: such a frame must fail the build (-Werror), not the program.
  -fno-stack-protector -mno-stack-arg-probe -Wframe-larger-than=4000
  # No memset or memcpy exists to call: keep the compiler from turning our
  # loops into calls to them.
  -fno-builtin -fno-tree-loop-distribute-patterns
  -ffunction-sections -fno-ident)
target_link_options(fmvframes PRIVATE
  -Os -flto -fomit-frame-pointer ${FMV_ARCH_FLAGS} -nostdlib -mconsole -s
  -Wframe-larger-than=4000 -Werror  # the frames are laid out at link time
  -Wl,--entry=${FMV_ENTRY} -Wl,--gc-sections
  -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware
  ${FMV_NO_SEH}  # no structured exception handlers exist
  -Wl,--no-insert-timestamp  # the same sources give the same bytes
  -Wl,-Map=$<TARGET_FILE_DIR:fmvframes>/fmvframes.map)
target_link_libraries(fmvframes PRIVATE kernel32 user32)

install(TARGETS fmvframes RUNTIME DESTINATION .)
# Named for the tool: the game's folder may hold a README.txt or a LICENSE
# of its own.
configure_file(packaging/fmvframes-windows.txt fmvframes.txt NEWLINE_STYLE CRLF)
configure_file(LICENSE fmvframes-LICENSE.txt NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/fmvframes.txt
  ${CMAKE_CURRENT_BINARY_DIR}/fmvframes-LICENSE.txt DESTINATION .)
if(FMV_WEB)
  install(FILES ${FMV_PAGE} DESTINATION .)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME fmvframes-${PROJECT_VERSION}-win32)
include(cmake/release.cmake)

# Test helpers: one holds a file open with no sharing, as the game would;
# one starts a program with an exact command line; one reads the program's
# resources back as Windows does (it alone imports VERSION.dll).
if(BUILD_TESTING)
  add_executable(hold_file tests/hold_file.cpp src/runtime/helpers.cpp)
  add_executable(launch tests/launch.cpp)
  add_executable(inspect_exe tests/inspect_exe.cpp)
  target_link_libraries(inspect_exe PRIVATE version)
  foreach(helper hold_file launch inspect_exe)
    target_link_options(${helper} PRIVATE -static)
    target_link_libraries(${helper} PRIVATE kernel32 user32)
  endforeach()
endif()
