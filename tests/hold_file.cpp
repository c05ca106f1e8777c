// Holds a file open with no sharing, as the running game does, until its
// standard input closes. Prints "held" once it has the file.
#include <stdio.h>

#include "../src/runtime/helpers.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: hold_file FILE\n");
    return 2;
  }
  HANDLE file = open_file(argv[1], "rb");
  if (file == nullptr) {
    fprintf(stderr, "hold_file: can not open %s\n", argv[1]);
    return 1;
  }
  puts("held");
  fflush(stdout);
  while (getchar() != EOF) {
  }
  close_file(file);
  return 0;
}
