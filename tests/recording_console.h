// A platform that records every console write in order, empty ones
// included, for checking the exact output. It has no files.
#pragma once

#include <string>
#include <vector>

#include "../src/runtime/helpers.h"

extern std::vector<std::string> g_console_writes;

// Points g_stdout at the recording console and forgets earlier writes.
void start_recording();
