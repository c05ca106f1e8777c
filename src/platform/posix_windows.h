// POSIX stand-ins for the few Windows calls the tool makes. Types keep their
// Windows widths (DWORD and "unsigned long" in formats are 32-bit), so the
// tool's arithmetic and output are the same on both platforms.
#pragma once

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

typedef int BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef LONG *PLONG;
typedef DWORD *LPDWORD;
typedef void *HANDLE;
typedef HANDLE HMODULE;
typedef HANDLE HLOCAL;
typedef HANDLE HWND;
typedef size_t SIZE_T;
typedef unsigned int UINT;
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef char *LPSTR;
typedef const char *LPCSTR;
struct OVERLAPPED;
typedef OVERLAPPED *LPOVERLAPPED;
struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES *LPSECURITY_ATTRIBUTES;

#define TRUE 1
#define FALSE 0
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define STD_INPUT_HANDLE ((DWORD)-10)
#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define FILE_BEGIN 0
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define LMEM_FIXED 0
#define MAX_PATH 260

// Standard output for STD_OUTPUT_HANDLE; null for any other.
HANDLE GetStdHandle(DWORD std_handle);

// Opens a regular file. Access 0 opens it for neither reading nor writing.
// Share mode 0 takes an exclusive, non-blocking flock for as long as the
// handle is open, and fails while another process holds one; it also fails
// while anyone else has the file open at all, where a lease probe can tell
// (the file's owner, on a file system with leases). OPEN_EXISTING never
// creates; CREATE_ALWAYS
// creates or truncates, after the lock is held. Directories fail.
// Returns INVALID_HANDLE_VALUE on failure.
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share,
                   LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flags, HANDLE template_file);

// FILE_BEGIN only. Returns the new position, or INVALID_SET_FILE_POINTER.
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distance_high,
                     DWORD method);

// Transfer the whole count unless end of file or an error stops them; the
// count moved goes to *transferred. FALSE on an error (or without the access
// the handle was opened with), as on Windows; end of file is not an error.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD transferred,
              LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD transferred,
               LPOVERLAPPED overlapped);

// fsync: TRUE once what was written is on the disk.
BOOL FlushFileBuffers(HANDLE file);

BOOL CloseHandle(HANDLE object);

int lstrlenA(LPCSTR text);

// Formats "%s", "%d" and "%lu", each with a width (right-aligned, padded with
// blanks); "%lu" takes an unsigned long, of which 32 bits count, as on
// Windows. "%%" and any other directive print their letter. Writes at most
// 1024 bytes with the NUL and returns the count of characters before it.
int wvsprintfA(LPSTR out, LPCSTR format, va_list args);

// Process start-up on Windows. The native program takes its argument vector
// from the system, so only the tests provide these, to drive the splitting.
LPSTR GetCommandLineA();
DWORD GetModuleFileNameA(HMODULE module, LPSTR name, DWORD size);
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL LocalFree(HLOCAL memory);

// The console of a Windows program; only the tests provide these, to drive
// the decision whether to wait before the window closes.
DWORD GetConsoleProcessList(LPDWORD processes, DWORD count);
HWND GetConsoleWindow();
DWORD GetWindowThreadProcessId(HWND window, LPDWORD process);
BOOL IsWindowVisible(HWND window);
BOOL GetConsoleMode(HANDLE console, LPDWORD mode);
