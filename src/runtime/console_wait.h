// Keeping a console window open that Windows made for this program alone, as
// it does when the program is started from Explorer: the window would close
// the moment the program ends, before anyone could read it.
#pragma once

#include "../platform/platform.h"

// When the console is this program's own and both standard input and output
// (g_stdout) are that console, asks for Enter and waits for it.
void wait_if_console_is_own();
