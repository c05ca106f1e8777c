// Splitting the process's command line into an argument vector.
#pragma once

#include "../platform/platform.h"

// Splits text into arguments: argument 0, the program name, ends at the first
// blank or, when it starts with a double quote, at the next one; the others
// follow the backslash and double-quote rules of the classic Windows C
// runtime. With vector and buffer null it only counts; with both it also
// fills the slots and the characters. *nchars_out counts every character
// stored, one NUL per argument included. Both passes give the same counts.
void split_command_line(const char *text, char **vector, char *buffer,
                        int *argc_out, int *nchars_out);

// The process's arguments as one LocalAlloc block: argc + 1 slots, the last
// null, then the characters. Null when argc_out is null or there is no
// memory (*argc_out keeps the count then). Free it with LocalFree.
char **build_argv(int *argc_out);
