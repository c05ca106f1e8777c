// The native entry point: the process already has its argument vector.
#include <signal.h>

#include "../patcher/command.h"
#include "../runtime/helpers.h"

int main(int argc, char **argv) {
  // A closed pipe or a file-size limit must fail the write that meets it,
  // as on Windows, not kill the tool between reading and writing the table.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  g_stdout = GetStdHandle(STD_OUTPUT_HANDLE);
  return patcher_main(argc, argv);
}
