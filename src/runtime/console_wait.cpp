#include "console_wait.h"

#include "helpers.h"

// Wait only where the console was made for this program and nobody else will
// show it afterwards. A shell (cmd, PowerShell, a batch file) shares its
// console, so the console lists more than one process. Windows lists one
// process when it gives a double-clicked program a console of its own, but so
// does Wine run from a terminal, where the console window belongs to another
// process (the terminal's host), and a console with no window lists one as
// well: only a console with a window owned by this very process is taken for
// one made for it. A hidden window (a script's or a scheduled task's) has
// nobody to press Enter. When in doubt the program does not wait, since a wait
// in a terminal or a script would hang it, while not waiting only closes the
// window early.
void wait_if_console_is_own() {
  DWORD processes[2];  // alone on the console, the one listed is this one
  if (GetConsoleProcessList(processes, 2) != 1) return;
  HWND window = GetConsoleWindow();
  if (window == nullptr) return;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (owner != processes[0] || !IsWindowVisible(window) ||
      !GetConsoleMode(input, &mode) || !GetConsoleMode(g_stdout, &mode))
    return;

  console_printf("\nPress Enter to close this window.\n");
  // A console in line mode returns once Enter is pressed; a longer line
  // comes in pieces, the last of which ends in a line feed.
  char line[64];
  while (ReadFile(input, line, sizeof line, &g_transferred, nullptr) &&
         g_transferred > 0 && line[g_transferred - 1] != '\n') {
  }
}
