// POSIX stand-ins for the Windows calls in posix_windows.h.
#include "posix_windows.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <string.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fault_points.h"

namespace {

// A handle is this record: the descriptor, the access it was opened for,
// since Windows refuses a transfer the handle has no access for, and the file
// position. The position is kept here and each transfer says where it goes
// (pread, pwrite), which saves the system call a seek would cost.
struct PosixHandle {
  int fd;  // -1: a free slot
  DWORD access;
  off_t position;  // -1: a stream, such as the console, that has none
};

PosixHandle g_console = {STDOUT_FILENO, GENERIC_WRITE, -1};

// Files are held in fixed slots, not on the heap: the tool has one open at a
// time, and a test program a few.
const int MAX_OPEN_FILES = 16;
PosixHandle g_files[MAX_OPEN_FILES] = {
    {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0},
    {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0},
    {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}};

PosixHandle *free_slot() {
  for (PosixHandle &h : g_files)
    if (h.fd < 0) return &h;
  return nullptr;
}

// Null for anything but the console or an open file's slot: no handle,
// INVALID_HANDLE_VALUE, one already closed, or no handle of ours at all.
PosixHandle *posix_handle(HANDLE h) {
  PosixHandle *p = static_cast<PosixHandle *>(h);
  bool ours = p == &g_console;
  for (PosixHandle &slot : g_files) ours = ours || p == &slot;
  return ours && p->fd >= 0 ? p : nullptr;
}

bool injected_failure(const PosixHandle *h) {
  return fault_point_fails(h == &g_console ? FAULT_CONSOLE_WRITE
                                           : FAULT_FILE_OP);
}

// Windows finds a file whatever the case of its name, and a game installed
// from a disc may name its files in capitals. Where the exact name is
// missing, this finds the one entry of its folder whose name matches but for
// ASCII case and puts its path in found; false when there is none, or more
// than one.
const int PATH_SIZE = 1024;
bool find_ignoring_case(const char *name, char found[PATH_SIZE]) {
  const char *base = name;
  for (const char *c = name; *c != '\0'; ++c)
    if (*c == '/') base = c + 1;
  int folder_length = static_cast<int>(base - name);
  if (folder_length + NAME_MAX >= PATH_SIZE || *base == '\0') return false;
  memcpy(found, name, folder_length);
  found[folder_length] = '\0';
  DIR *folder = opendir(folder_length > 0 ? found : ".");
  if (folder == nullptr) return false;
  int matches = 0;
  while (const dirent *entry = readdir(folder)) {
    if (strcasecmp(entry->d_name, base) != 0) continue;
    if (++matches == 1) strcpy(found + folder_length, entry->d_name);
  }
  closedir(folder);
  return matches == 1;
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
                   LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD, HANDLE) {
  if (name == nullptr || fault_point_fails(FAULT_FILE_OP))
    return INVALID_HANDLE_VALUE;
  // Not O_CLOEXEC, which would cost a system call where the C library sets
  // it apart: the tool starts no program. O_NONBLOCK: a FIFO in the file's
  // place must not hold up the open (it is refused below).
  int flags = O_NONBLOCK;
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

  int fd = open(name, flags & ~O_CREAT, 0666);
  if (fd < 0 && errno == ENOENT) {
    char found[PATH_SIZE];
    if (find_ignoring_case(name, found))
      fd = open(found, flags & ~O_CREAT, 0666);
    else if (flags & O_CREAT)
      fd = open(name, flags, 0666);
  }
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
  h->position = 0;
  return h;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distance_high,
                     DWORD method) {
  PosixHandle *h = posix_handle(file);
  if (h == nullptr || h->position < 0 || distance_high != nullptr ||
      method != FILE_BEGIN || distance < 0 || injected_failure(h))
    return INVALID_SET_FILE_POINTER;
  h->position = distance;  // past the end too, as on Windows
  return static_cast<DWORD>(distance);
}

namespace {

// Moves the whole count unless end of file or an error stops it; returns
// false on an error, with the count moved so far in *done.
template <typename Transfer>
bool transfer_all(Transfer step, DWORD count, DWORD *done) {
  *done = 0;
  DWORD piece = fault_transfer_size();  // 0: as much as the system takes
  while (*done < count) {
    DWORD left = count - *done;
    ssize_t n = step(*done, piece != 0 && piece < left ? piece : left);
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
  bool ok =
      h != nullptr && (h->access & GENERIC_READ) && !injected_failure(h) &&
      transfer_all(
          [&](DWORD at, DWORD size) {
            char *to = static_cast<char *>(buffer) + at;
            return h->position < 0 ? read(h->fd, to, size)
                                   : pread(h->fd, to, size, h->position + at);
          },
          count, &done);
  if (h != nullptr && h->position >= 0) h->position += done;
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
                [&](DWORD at, DWORD size) {
                  const char *from = static_cast<const char *>(buffer) + at;
                  return h->position < 0
                             ? write(h->fd, from, size)
                             : pwrite(h->fd, from, size, h->position + at);
                },
                count, &done);
  if (h != nullptr && h->position >= 0) h->position += done;
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
