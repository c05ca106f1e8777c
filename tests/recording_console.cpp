#include "recording_console.h"

#include <cstring>

std::vector<std::string> g_console_writes;

namespace {
char g_console;  // its address is the console handle
}  // namespace

void start_recording() {
  g_stdout = &g_console;
  g_console_writes.clear();
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
BOOL ReadFile(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED) { return FALSE; }
BOOL FlushFileBuffers(HANDLE) { return FALSE; }
BOOL CloseHandle(HANDLE) { return FALSE; }
int lstrlenA(LPCSTR text) { return static_cast<int>(std::strlen(text)); }
