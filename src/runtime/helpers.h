// What the tool uses in place of a language runtime: console output, files,
// decimal parsing and base names.
#pragma once

#include "../platform/platform.h"

// Console output handle; set once at start, before anything is printed.
extern HANDLE g_stdout;
// Receives the count of every transfer, console writes included.
extern DWORD g_transferred;

// Formats with wvsprintfA (at most 1023 characters reach the console) and
// writes the text to g_stdout with every "\n" sent as CR LF. Write errors are
// not reported. Always returns 0. "%lu" takes an unsigned long, which is 32
// bits on Windows.
int console_printf(const char *format, ...)
    __attribute__((format(printf, 1, 2)));

// Opens an existing file, or creates one for "w". In the mode, "r" asks for
// reading, "+" for writing, "w" for writing to a new or truncated file; other
// characters are ignored. No sharing: fails while another process holds the
// file. Returns null on failure.
HANDLE open_file(const char *name, const char *mode);

// Each returns TRUE only when the whole request was carried out: the position
// reached, or every byte transferred.
BOOL seek_file(HANDLE file, DWORD offset);
BOOL read_file(HANDLE file, void *buffer, DWORD count);
BOOL write_file(HANDLE file, const void *buffer, DWORD count);
// TRUE once what was written is on the disk: a cache can take a write that the
// disk refuses later.
BOOL flush_file(HANDLE file);
void close_file(HANDLE file);

// The value of a text of decimal digits; 0 for an empty text, any other
// character, or a value that does not fit in 32 bits.
DWORD parse_decimal(const char *text);

// The part of path after its last "\" or "/" (a pointer into path).
const char *path_basename(const char *path);
