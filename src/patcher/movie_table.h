// The game's table of 14 FMV clips: where it lies in the game file, its
// records, and how a record's name and frame count are stored.
#pragma once

#include "../platform/platform.h"

#define TARGET_FILE_NAME "Dunmarrow3.exe"

const DWORD MOVIE_TABLE_OFFSET = 0x11B978;
const int MOVIE_COUNT = 14;
const int MOVIE_RECORD_SIZE = 24;
const DWORD MOVIE_NAME_BASE = 0x110000;  // names lie in the 64 KiB from here
const int MOVIE_NAME_READ_SIZE = 32;
const DWORD FRAMES_MIN = 12;
const DWORD FRAMES_MAX = 131080;  // code 65535

// Only the two named fields are interpreted; the rest go back as read.
struct MovieRecord {
  WORD name_offset;  // the name is at MOVIE_NAME_BASE + name_offset
  BYTE unknown_2[2];
  WORD duration_code;  // frames = code * 2 + 10
  BYTE unknown_6[18];
};

struct MovieTable {
  MovieRecord records[MOVIE_COUNT];
};

static_assert(sizeof(MovieRecord) == MOVIE_RECORD_SIZE, "record layout");
static_assert(sizeof(MovieTable) == 336, "table layout");

// TRUE only when all 336 bytes were read; a table not read in full must
// never be written back.
BOOL read_movie_table(HANDLE file, MovieTable *table);
// TRUE only when all 336 bytes were written; the caller flushes them.
BOOL write_movie_table(HANDLE file, const MovieTable *table);

// Reads the record's name into the buffer, always NUL-terminated and cut at
// 31 characters. What lies past the end of the file reads as NUL. FALSE when
// the seek or the read failed (the name is then cleared, or cut short).
BOOL read_clip_name(HANDLE file, const MovieRecord *record,
                    char name[MOVIE_NAME_READ_SIZE]);
// FALSE when the name is empty or holds a character from 1 to 31, which no
// Windows file name can: a table with such a name is not the clip table of
// the release this tool knows.
BOOL is_clip_name(const char *name);
// Turns a name into the form it is listed in, in place: its base name with
// the last three characters replaced by "dat" (a shorter one stays as is),
// and any character from 1 to 31 shown as "?".
void make_display_name(char name[MOVIE_NAME_READ_SIZE]);

DWORD frames_from_code(WORD code);
// For FRAMES_MIN to FRAMES_MAX; an odd count stores the even one below it.
WORD code_from_frames(DWORD frames);
