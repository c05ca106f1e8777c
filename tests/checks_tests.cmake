# The sanitizer build's own tests (every native test, and each fuzz target for
# its bounded time), and the static analysers.
if(FMV_SANITIZE_DIR)
  add_test(NAME sanitize
    COMMAND ${CMAKE_CTEST_COMMAND} --test-dir ${FMV_SANITIZE_DIR}
      --output-on-failure --parallel 2 --no-tests=error)
else()
  fmv_skipped_test(sanitize "no sanitizer or fuzz build without the package clang")
endif()

set(FMV_CHECKED_SOURCES
  ${PROJECT_SOURCE_DIR}/src/patcher/command.cpp
  ${PROJECT_SOURCE_DIR}/src/patcher/movie_table.cpp
  ${PROJECT_SOURCE_DIR}/src/runtime/helpers.cpp
  ${PROJECT_SOURCE_DIR}/src/runtime/command_line.cpp
  ${PROJECT_SOURCE_DIR}/src/platform/posix_windows.cpp
  ${PROJECT_SOURCE_DIR}/src/platform/posix_format.cpp
  ${PROJECT_SOURCE_DIR}/src/platform/posix_main.cpp)

if(FMV_CLANG_TIDY)
  # The checks and why they were chosen are in .clang-tidy.
  add_test(NAME static.clang-tidy
    COMMAND ${FMV_CLANG_TIDY} --quiet -p ${CMAKE_BINARY_DIR}
      ${FMV_CHECKED_SOURCES})
else()
  fmv_skipped_test(static.clang-tidy "install the package clang-tidy")
endif()

if(FMV_CPPCHECK)
  add_test(NAME static.cppcheck
    COMMAND ${FMV_CPPCHECK} --quiet --error-exitcode=1 --language=c++
      --std=c++17 --enable=warning,performance,portability
      --inline-suppr --suppress=missingIncludeSystem
      -I ${PROJECT_SOURCE_DIR}/src
      ${FMV_CHECKED_SOURCES}
      ${PROJECT_SOURCE_DIR}/src/runtime/startup.cpp)  # Windows only: no tidy
else()
  fmv_skipped_test(static.cppcheck "install the package cppcheck")
endif()
