// The process entry of the Windows program, which links no C runtime: it
// does what a runtime's start-up would, and no more.
#include "../patcher/command.h"
#include "command_line.h"
#include "console_wait.h"
#include "helpers.h"

// Windows promises only 4-byte stack alignment at the entry point.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void WINAPI
program_start() {
  g_stdout = GetStdHandle(STD_OUTPUT_HANDLE);
  int argc = 0;
  char **argv = build_argv(&argc);
  int status = patcher_main(argc, argv);
  wait_if_console_is_own();
  LocalFree(argv);
  ExitProcess(static_cast<UINT>(status));
}
