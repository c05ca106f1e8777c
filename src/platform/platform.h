// The Windows calls the tool is written against. On Windows they are the real
// KERNEL32 and USER32 functions; elsewhere the POSIX layer stands in for them
// with just the behaviour the tool relies on. Tool code includes this header
// and nothing else from the system, so both builds take one code path.
#pragma once

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include "posix_windows.h"
#endif
