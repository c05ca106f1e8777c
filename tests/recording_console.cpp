#include "recording_console.h"

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

// console_printf needs no other call; these only complete the platform.
HANDLE CreateFileA(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                   HANDLE) {
  return INVALID_HANDLE_VALUE;
}
DWORD SetFilePointer(HANDLE, LONG, PLONG, DWORD) {
  return INVALID_SET_FILE_POINTER;
}
BOOL ReadFile(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED) { return FALSE; }
BOOL CloseHandle(HANDLE) { return FALSE; }
