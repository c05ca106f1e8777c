// Any 32 bytes as a stored clip name: the display name is made inside the
// buffer, NUL-terminated, and no longer than the name.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "../src/patcher/movie_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size != MOVIE_NAME_READ_SIZE) return -1;  // keep other sizes out of the corpus
  // A block of exactly the buffer's size: a write outside it is reported.
  char *name = static_cast<char *>(malloc(MOVIE_NAME_READ_SIZE));
  memcpy(name, data, MOVIE_NAME_READ_SIZE);
  name[MOVIE_NAME_READ_SIZE - 1] = '\0';  // as read_clip_name leaves it
  size_t stored = strlen(name);
  make_display_name(name);
  const void *nul = memchr(name, '\0', MOVIE_NAME_READ_SIZE);
  if (nul == nullptr || strlen(name) > stored) abort();
  free(name);
  return 0;
}
