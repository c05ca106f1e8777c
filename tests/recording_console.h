// A platform that records every console write in order, empty ones
// included, for checking the exact output. It has no files.
#pragma once

#include <string>
#include <vector>

#include "../src/runtime/helpers.h"

extern std::vector<std::string> g_console_writes;
// What each read of standard input returns, in turn; a read fails once
// none is left.
extern std::vector<std::string> g_console_input;

// Points g_stdout at the recording console and forgets earlier writes and
// unread input.
void start_recording();
