#include "recording_console.h"

#include <cstring>

std::vector<std::string> g_console_writes;
std::vector<std::string> g_console_input;

namespace {
char g_console;  // its address is the console handle
}  // namespace

void start_recording() {
  g_stdout = &g_console;
  g_console_writes.clear();
  g_console_input.clear();
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD transferred,
               LPOVERLAPPED) {
  if (file != &g_console) return FALSE;
  g_console_writes.emplace_back(static_cast<const char *>(buffer), count);
  *transferred = count;
  return TRUE;
}

// There are no files: every open fails.
HANDLE CreateFileA(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                   HANDLE) {
  return INVALID_HANDLE_VALUE;
}
DWORD SetFilePointer(HANDLE, LONG, PLONG, DWORD) {
  return INVALID_SET_FILE_POINTER;
}
BOOL ReadFile(HANDLE, LPVOID buffer, DWORD count, LPDWORD transferred,
              LPOVERLAPPED) {
  if (g_console_input.empty() || g_console_input.front().size() > count)
    return FALSE;
  std::string piece = g_console_input.front();
  g_console_input.erase(g_console_input.begin());
  std::memcpy(buffer, piece.data(), piece.size());
  *transferred = static_cast<DWORD>(piece.size());
  return TRUE;
}
BOOL FlushFileBuffers(HANDLE) { return FALSE; }
BOOL CloseHandle(HANDLE) { return FALSE; }
int lstrlenA(LPCSTR text) { return static_cast<int>(std::strlen(text)); }
