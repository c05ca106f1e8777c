# The tool's core for the browser: clang's wasm32 target (Debian's clang and
# lld), no C runtime, no C++ library, nothing else to link.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET wasm32)
set(CMAKE_CXX_FLAGS_INIT "-nostdlib -ffreestanding -fno-builtin")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--no-entry")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)  # there is no program to run
set(FMV_WEB_PAGE ON)
