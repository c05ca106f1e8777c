// Starts a Windows program with an exact command line, the lpCommandLine of
// CreateProcessA, so that no shell or Wine quoting gets in between:
//   launch PROGRAM HEX
// HEX is the command line's bytes in hexadecimal. The program writes to this
// one's standard output, and this one exits with the program's exit status,
// or 125 when it could not start it.
#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

int main(int argc, char **argv) {
  static char line[32768];
  size_t length = argc == 3 ? strlen(argv[2]) : 1;
  if (length % 2 != 0 || length / 2 >= sizeof line) {
    fprintf(stderr, "usage: launch PROGRAM HEX\n");
    return 125;
  }
  for (size_t i = 0; i < length / 2; ++i) {
    int high = hex_digit(argv[2][2 * i]), low = hex_digit(argv[2][2 * i + 1]);
    if (high < 0 || low < 0) {
      fprintf(stderr, "launch: not hexadecimal: %s\n", argv[2]);
      return 125;
    }
    line[i] = static_cast<char>(high * 16 + low);
  }
  line[length / 2] = '\0';

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process;
  if (!CreateProcessA(argv[1], line, nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &process)) {
    fprintf(stderr, "launch: can not start %s (error %lu)\n", argv[1],
            GetLastError());
    return 125;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 125;
  GetExitCodeProcess(process.hProcess, &status);
  return static_cast<int>(status);
}
