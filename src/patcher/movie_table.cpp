#include "movie_table.h"

#include "../runtime/helpers.h"

namespace {

// No Windows file name holds one, and a terminal takes one as an order.
bool is_control(char c) { return c > 0 && c < ' '; }

}  // namespace

BOOL read_movie_table(HANDLE file, MovieTable *table) {
  return seek_file(file, MOVIE_TABLE_OFFSET) &&
         read_file(file, table, sizeof *table);
}

BOOL write_movie_table(HANDLE file, const MovieTable *table) {
  return seek_file(file, MOVIE_TABLE_OFFSET) &&
         write_file(file, table, sizeof *table);
}

BOOL read_clip_name(HANDLE file, const MovieRecord *record,
                    char name[MOVIE_NAME_READ_SIZE]) {
  // Cleared first so that a short or failed read shows no earlier name.
  for (int i = 0; i < MOVIE_NAME_READ_SIZE; ++i) name[i] = '\0';
  // A read that meets the end of the file succeeds with fewer bytes.
  BOOL read =
      seek_file(file, MOVIE_NAME_BASE + record->name_offset) &&
      ReadFile(file, name, MOVIE_NAME_READ_SIZE, &g_transferred, nullptr);
  name[MOVIE_NAME_READ_SIZE - 1] = '\0';
  return read;
}

BOOL is_clip_name(const char *name) {
  if (*name == '\0') return FALSE;
  for (const char *c = name; *c != '\0'; ++c)
    if (is_control(*c)) return FALSE;
  return TRUE;
}

void make_display_name(char name[MOVIE_NAME_READ_SIZE]) {
  // The base name moves down over its own directory part, so copy upward
  // by hand: lstrcpyA does not promise to handle an overlap.
  const char *base = path_basename(name);
  int i = 0;
  do {
    name[i] = base[i];
  } while (base[i++] != '\0');

  // Not sent to the terminal as they are: they would steer it.
  for (char *c = name; *c != '\0'; ++c)
    if (is_control(*c)) *c = '?';

  int length = lstrlenA(name);
  if (length < 3) return;
  name[length - 3] = 'd';
  name[length - 2] = 'a';
  name[length - 1] = 't';
}

DWORD frames_from_code(WORD code) { return static_cast<DWORD>(code) * 2 + 10; }

WORD code_from_frames(DWORD frames) {
  return static_cast<WORD>(frames / 2 - 5);
}
