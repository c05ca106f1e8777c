// POSIX stand-ins for the Windows calls in posix_windows.h.
#include "posix_windows.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fault_points.h"

namespace {

// A handle is this record: the descriptor and the access it was opened for,
// since Windows refuses a transfer the handle has no access for.
struct PosixHandle {
  int fd;  // -1: a free slot
  DWORD access;
};

PosixHandle g_console = {STDOUT_FILENO, GENERIC_WRITE};

// Files are held in fixed slots, not on the heap: the tool has one open at a
// time, and a test program a few.
const int MAX_OPEN_FILES = 16;
PosixHandle g_files[MAX_OPEN_FILES] = {
    {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0},
    {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}};

PosixHandle *free_slot() {
  for (PosixHandle &h : g_files)
    if (h.fd < 0) return &h;
  return nullptr;
}

// Null for no handle, and for one already closed.
PosixHandle *posix_handle(HANDLE h) {
  PosixHandle *p = (h == nullptr || h == INVALID_HANDLE_VALUE)
                       ? nullptr
                       : static_cast<PosixHandle *>(h);
  return p != nullptr && p->fd >= 0 ? p : nullptr;
}

bool injected_failure(const PosixHandle *h) {
  return fault_point_fails(h == &g_console ? FAULT_CONSOLE_WRITE
                                           : FAULT_FILE_OP);
}

// True when another open of the file exists, in this process or another.
// A write lease is granted only while no other open file description of the
// file exists (Wine's server holds one for every Windows handle), so taken
// and dropped at once it is a probe. An open racing the probe breaks the
// lease with SIGIO, whose default action would end the tool: it is ignored
// meanwhile, and dropping the lease at once lets that open go on. Where no
// lease can be had (not the file's owner, or no leases on the file system),
// the answer is false and the flock stands alone.
bool open_elsewhere(int fd) {
#ifdef F_SETLEASE
  struct sigaction ignore = {}, saved = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGIO, &ignore, &saved);
  bool leased = fcntl(fd, F_SETLEASE, F_WRLCK) == 0;
  bool held = !leased && errno == EAGAIN;
  if (leased) fcntl(fd, F_SETLEASE, F_UNLCK);
  sigaction(SIGIO, &saved, nullptr);
  return held;
#else
  (void)fd;
  return false;
#endif
}

}  // namespace

HANDLE GetStdHandle(DWORD std_handle) {
  return std_handle == STD_OUTPUT_HANDLE ? &g_console : nullptr;
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share,
                   LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD,
                   HANDLE) {
  if (name == nullptr || fault_point_fails(FAULT_FILE_OP))
    return INVALID_HANDLE_VALUE;
  int flags = O_CLOEXEC;
  bool can_read = (access & GENERIC_READ) != 0;
  bool can_write = (access & GENERIC_WRITE) != 0;
  if (can_read && can_write)
    flags |= O_RDWR;
  else if (can_write)
    flags |= O_WRONLY;
  else
    flags |= O_RDONLY;  // also for no access: the handle then refuses transfers
  if (disposition == CREATE_ALWAYS)
    flags |= O_CREAT;  // truncated only once the lock is held
  else if (disposition != OPEN_EXISTING)
    return INVALID_HANDLE_VALUE;

  int fd = open(name, flags, 0666);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok && share == 0)
    ok = flock(fd, LOCK_EX | LOCK_NB) == 0 && !open_elsewhere(fd);
  if (ok && disposition == CREATE_ALWAYS) ok = ftruncate(fd, 0) == 0;
  PosixHandle *h = ok ? free_slot() : nullptr;
  if (h == nullptr) {
    close(fd);
    return INVALID_HANDLE_VALUE;
  }
  h->fd = fd;
  h->access = access;
  return h;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distance_high,
                     DWORD method) {
  PosixHandle *h = posix_handle(file);
  if (h == nullptr || distance_high != nullptr || method != FILE_BEGIN ||
      distance < 0 || injected_failure(h))
    return INVALID_SET_FILE_POINTER;
  off_t at = lseek(h->fd, distance, SEEK_SET);
  return at < 0 ? INVALID_SET_FILE_POINTER : static_cast<DWORD>(at);
}

namespace {

// Moves the whole count unless end of file or an error stops it; returns
// false on an error, with the count moved so far in *done.
template <typename Transfer>
bool transfer_all(Transfer step, DWORD count, DWORD *done) {
  *done = 0;
  while (*done < count) {
    ssize_t n = step(*done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;  // end of file
    *done += static_cast<DWORD>(n);
  }
  return true;
}

}  // namespace

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD transferred,
              LPOVERLAPPED) {
  PosixHandle *h = posix_handle(file);
  DWORD done = 0;
  bool ok = h != nullptr && (h->access & GENERIC_READ) &&
            !injected_failure(h) &&
            transfer_all(
                [&](DWORD at) {
                  return read(h->fd, static_cast<char *>(buffer) + at,
                              count - at);
                },
                count, &done);
  if (transferred != nullptr) *transferred = done;
  return ok;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD transferred,
               LPOVERLAPPED) {
  PosixHandle *h = posix_handle(file);
  DWORD done = 0;
  bool ok = h != nullptr && (h->access & GENERIC_WRITE) &&
            !injected_failure(h) &&
            transfer_all(
                [&](DWORD at) {
                  return write(h->fd, static_cast<const char *>(buffer) + at,
                               count - at);
                },
                count, &done);
  if (transferred != nullptr) *transferred = done;
  return ok;
}

BOOL FlushFileBuffers(HANDLE file) {
  PosixHandle *h = posix_handle(file);
  return h != nullptr && (h->access & GENERIC_WRITE) && !injected_failure(h) &&
         fsync(h->fd) == 0;
}

BOOL CloseHandle(HANDLE object) {
  PosixHandle *h = posix_handle(object);
  if (h == nullptr || h == &g_console) return FALSE;
  bool failed = injected_failure(h);
  int rc = close(h->fd);
  h->fd = -1;
  return rc == 0 && !failed;
}

int lstrlenA(LPCSTR text) {
  return text == nullptr ? 0 : static_cast<int>(strlen(text));
}
