# The hardening checks run beside the ordinary tests: a second native build
# with clang under AddressSanitizer and UndefinedBehaviorSanitizer, which
# also builds the libFuzzer targets, and the static analysers over the
# tool's code.
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)  # for clang-tidy
include(ExternalProject)

find_program(FMV_CLANGXX clang++)
find_program(FMV_CLANG_TIDY clang-tidy)
find_program(FMV_CPPCHECK cppcheck)
if(DEFINED ENV{CI} AND NOT (FMV_CLANGXX AND FMV_CLANG_TIDY AND FMV_CPPCHECK))
  message(FATAL_ERROR "CI lacks clang, clang-tidy or cppcheck")
endif()

if(FMV_CLANGXX)
  set(FMV_SANITIZE_DIR ${CMAKE_BINARY_DIR}/sanitize)
  ExternalProject_Add(sanitize
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${FMV_SANITIZE_DIR}
    CMAKE_ARGS
      -DCMAKE_CXX_COMPILER=${FMV_CLANGXX}
      -DCMAKE_BUILD_TYPE=RelWithDebInfo
      -DFMV_SANITIZE=ON -DFMV_FUZZ=ON -DFMV_WINDOWS=OFF -DFMV_CHECKS=OFF
      -DFMV_MUSL=OFF -DFMV_WEB=OFF
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
endif()
