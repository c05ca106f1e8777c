// The browser's platform: the same core as the console programs, run by the
// page. The game file stays with the page, which reads and writes it for the
// module through two imported functions; console output collects in a
// buffer that the page reads after each run. Links no C runtime.
#include "../patcher/command.h"
#include "../patcher/movie_table.h"
#include "../platform/posix_windows.h"
#include "../runtime/helpers.h"

#define IMPORTED(name) __attribute__((import_module("env"), import_name(name)))
#define EXPORTED(name) extern "C" __attribute__((export_name(name)))

// Copy up to count bytes of the game file from or to offset; each returns
// the count moved, fewer (0 past the end) where the file ends, or -1.
IMPORTED("game_read") int game_read(DWORD offset, void *to, DWORD count);
IMPORTED("game_write")
int game_write(DWORD offset, const void *from, DWORD count);

namespace {

const int OUTPUT_SIZE = 16384;  // a listing is under 1 KiB
const int ARGS_SIZE = 256;      // the program name and two numbers
const int MAX_ARGS = 4;

char g_output[OUTPUT_SIZE];
int g_output_length;
char g_args[ARGS_SIZE];

// The one file (whatever name the player's copy has) and the console.
char g_console_handle, g_game_handle;
bool g_game_loaded;
bool g_game_open;
DWORD g_position;

// No run's output outlives it.
void clear_output() {
  g_output_length = 0;
  g_output[0] = '\0';
}

}  // namespace

// The compiler may turn loops into calls of these.
extern "C" void *memset(void *to, int value, size_t count) {
  auto *bytes = static_cast<unsigned char *>(to);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<unsigned char>(value);
  return to;
}

extern "C" void *memcpy(void *to, const void *from, size_t count) {
  auto *out = static_cast<unsigned char *>(to);
  const auto *in = static_cast<const unsigned char *>(from);
  for (size_t i = 0; i < count; ++i) out[i] = in[i];
  return to;
}

HANDLE CreateFileA(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                   HANDLE) {
  // Like a file opened with no sharing: one holder at a time.
  if (!g_game_loaded || g_game_open) return INVALID_HANDLE_VALUE;
  g_game_open = true;
  g_position = 0;
  return &g_game_handle;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distance_high,
                     DWORD method) {
  if (file != &g_game_handle || !g_game_open || distance_high != nullptr ||
      method != FILE_BEGIN || distance < 0)
    return INVALID_SET_FILE_POINTER;
  g_position = static_cast<DWORD>(distance);
  return g_position;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD transferred,
              LPOVERLAPPED) {
  int moved = file == &g_game_handle && g_game_open
                  ? game_read(g_position, buffer, count)
                  : -1;
  if (moved > 0) g_position += static_cast<DWORD>(moved);
  if (transferred != nullptr) *transferred = moved > 0 ? moved : 0;
  return moved >= 0;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD transferred,
               LPOVERLAPPED) {
  int moved = -1;
  if (file == &g_console_handle) {
    const char *text = static_cast<const char *>(buffer);
    moved = 0;
    while (static_cast<DWORD>(moved) < count &&
           g_output_length < OUTPUT_SIZE - 1)
      g_output[g_output_length++] = text[moved++];
  } else if (file == &g_game_handle && g_game_open) {
    moved = game_write(g_position, buffer, count);
    if (moved > 0) g_position += static_cast<DWORD>(moved);
  }
  if (transferred != nullptr) *transferred = moved > 0 ? moved : 0;
  return moved >= 0 && static_cast<DWORD>(moved) == count;
}

// What was written is in the page's copy, whose table the page saves.
BOOL FlushFileBuffers(HANDLE file) {
  return file == &g_game_handle && g_game_open;
}

BOOL CloseHandle(HANDLE object) {
  if (object != &g_game_handle || !g_game_open) return FALSE;
  g_game_open = false;
  return TRUE;
}

int lstrlenA(LPCSTR text) {
  int length = 0;
  while (text != nullptr && text[length] != '\0') ++length;
  return length;
}

// The page puts the arguments here, each ended by a NUL, the program name
// first.
EXPORTED("args") char *args() { return g_args; }

// Whether the page holds a game file, which is read through game_read. An
// empty file is a file, as on the disk.
EXPORTED("set_game") void set_game(int loaded) { g_game_loaded = loaded != 0; }

// Runs the tool with the first argc arguments in args() and returns its exit
// status; its console output is then at output(), output_length() bytes.
EXPORTED("run") int run(int argc) {
  clear_output();
  char *argv[MAX_ARGS + 1] = {};
  if (argc < 1 || argc > MAX_ARGS) return -1;
  g_args[ARGS_SIZE - 1] = '\0';
  char *next = g_args;
  for (int i = 0; i < argc; ++i) {
    if (next >= g_args + ARGS_SIZE) return -1;  // the last NUL ends the buffer
    argv[i] = next;
    next += lstrlenA(next) + 1;
  }
  g_stdout = &g_console_handle;
  int status = patcher_main(argc, argv);
  g_output[g_output_length] = '\0';
  return status;
}

// The frames a duration code plays, as the tool lists them.
EXPORTED("frames") int frames(int code) {
  return static_cast<int>(frames_from_code(static_cast<WORD>(code)));
}

EXPORTED("output") const char *output() { return g_output; }
EXPORTED("output_length") int output_length() { return g_output_length; }
