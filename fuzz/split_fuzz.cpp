// Any command line, through build_argv and a platform of the harness's own:
// the counting and the filling pass agree, the block has exactly the size
// needed, every argument lies inside it, NUL-terminated, one after the other,
// and nothing is written past it (the block is malloc'd to that size).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../src/runtime/command_line.h"

namespace {
std::string g_text;
size_t g_allocated;
}  // namespace

LPSTR GetCommandLineA() { return g_text.data(); }
DWORD GetModuleFileNameA(HMODULE, LPSTR name, DWORD) {
  name[0] = '\0';
  return 0;
}
HLOCAL LocalAlloc(UINT, SIZE_T bytes) {
  g_allocated = bytes;
  return malloc(bytes);
}
HLOCAL LocalFree(HLOCAL memory) {
  free(memory);
  return nullptr;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  g_text.assign(reinterpret_cast<const char *>(data), size);
  g_text = g_text.c_str();  // up to the first NUL, as the system hands it over
  if (g_text.empty()) return 0;  // the module name stands in then

  int argc = -1, nchars = -1;
  split_command_line(g_text.c_str(), nullptr, nullptr, &argc, &nchars);
  if (argc < 1 || nchars < argc) abort();

  int filled_argc = -1;
  char **block = build_argv(&filled_argc);
  if (block == nullptr || filled_argc != argc) abort();
  size_t slots = static_cast<size_t>(argc) + 1;
  if (g_allocated != slots * sizeof(char *) + static_cast<size_t>(nchars))
    abort();
  if (block[argc] != nullptr) abort();

  const char *next = reinterpret_cast<const char *>(block + slots);
  const char *end = reinterpret_cast<const char *>(block) + g_allocated;
  for (int i = 0; i < argc; ++i) {
    if (block[i] != next) abort();
    const void *nul = memchr(next, '\0', static_cast<size_t>(end - next));
    if (nul == nullptr) abort();
    next = static_cast<const char *>(nul) + 1;
  }
  if (next != end) abort();  // the filling pass stored exactly nchars
  LocalFree(block);
  return 0;
}
