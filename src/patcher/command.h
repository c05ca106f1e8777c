#pragma once

#include "movie_table.h"

// Exit statuses.
const int STATUS_OK = 0;
// The game file could not be opened, read or written, or there was no
// memory for the command line.
const int STATUS_FAILED = 1;
const int STATUS_BAD_ARGUMENT = 2;

// The tool: lists the clips, or with exactly two arguments (clip number and
// frame count) changes one clip's frame count in the game file. argv may be
// null when the command line could not be split.
int patcher_main(int argc, char **argv);

