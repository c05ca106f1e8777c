#include "helpers.h"

HANDLE g_stdout;
DWORD g_transferred;

namespace {

const int CONSOLE_BUFFER_SIZE = 1024;

void console_write(const char *bytes, DWORD count) {
  WriteFile(g_stdout, bytes, count, &g_transferred, nullptr);
}

}  // namespace

int console_printf(const char *format, ...) {
  char text[CONSOLE_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  wvsprintfA(text, format, args);
  va_end(args);
  text[CONSOLE_BUFFER_SIZE - 1] = '\0';

  // One write per line piece and one per line end; the last piece is written
  // even when it is empty.
  int start = 0;
  int i = 0;
  for (; text[i] != '\0'; ++i) {
    if (text[i] != '\n') continue;
    console_write(text + start, static_cast<DWORD>(i - start));
    console_write("\r\n", 2);
    start = i + 1;
  }
  console_write(text + start, static_cast<DWORD>(i - start));
  return 0;
}

HANDLE open_file(const char *name, const char *mode) {
  DWORD access = 0;
  DWORD disposition = OPEN_EXISTING;
  for (const char *m = mode; *m != '\0'; ++m) {
    if (*m == 'r') {
      access |= GENERIC_READ;
    } else if (*m == '+') {
      access |= GENERIC_WRITE;
    } else if (*m == 'w') {
      access |= GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
    }
  }
  HANDLE file = CreateFileA(name, access, 0, nullptr, disposition,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

BOOL seek_file(HANDLE file, DWORD offset) {
  return SetFilePointer(file, static_cast<LONG>(offset), nullptr,
                        FILE_BEGIN) == offset;
}

BOOL read_file(HANDLE file, void *buffer, DWORD count) {
  return ReadFile(file, buffer, count, &g_transferred, nullptr) &&
         g_transferred == count;
}

BOOL write_file(HANDLE file, const void *buffer, DWORD count) {
  return WriteFile(file, buffer, count, &g_transferred, nullptr) &&
         g_transferred == count;
}

BOOL flush_file(HANDLE file) { return FlushFileBuffers(file); }

void close_file(HANDLE file) { CloseHandle(file); }

DWORD parse_decimal(const char *text) {
  DWORD value = 0;
  for (const char *c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return 0;
    DWORD digit = static_cast<DWORD>(*c - '0');
    if (value > (0xFFFFFFFFu - digit) / 10) return 0;  // would not fit
    value = value * 10 + digit;
  }
  return value;
}

const char *path_basename(const char *path) {
  const char *base = path;
  for (const char *c = path; *c != '\0'; ++c)
    if (*c == '\\' || *c == '/') base = c + 1;
  return base;
}
