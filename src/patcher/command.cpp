#include "command.h"

#include "../runtime/helpers.h"
#include "movie_table.h"
#include "version.h"

namespace {

// A literal rather than an array: the compiler pads an array to 32 bytes,
// and the Windows program's every 512-byte block counts.
#define BANNER                                      \
  "Dunmarrow 3 FMV duration frames limit changer\n" \
  "fmvframes " FMV_VERSION                          \
  ", free software under the MIT license\n"         \
  "Help: fmvframes.txt, beside this program\n"      \
  "\n"

// One text for a change's refusal and a listing's note: names that no file
// can have mean another release, whose table lies elsewhere.
void say_not_known(const char *lead, const char *tail) {
  console_printf(
      "%s\"%s\" is not a release of the game that this tool knows: its clip "
      "table is not where this tool looks.%s\n",
      lead, TARGET_FILE_NAME, tail);
}

void list_clips(HANDLE file, const MovieTable *table, const char *argv0) {
  char name[MOVIE_NAME_READ_SIZE];
  BOOL known = TRUE;
  for (int k = 0; k < MOVIE_COUNT; ++k) {
    const MovieRecord *record = &table->records[k];
    // A name that can't be read is listed as what could be: empty or cut.
    // Either fails the check a change makes.
    if (!read_clip_name(file, record, name) || !is_clip_name(name))
      known = FALSE;
    make_display_name(name);
    console_printf("%2lu | %6d | %s\n", static_cast<unsigned long>(k) + 1,
                   static_cast<int>(frames_from_code(record->duration_code)),
                   name);
  }
  console_printf(
      "\nUsage: %s i f\n"
      "Where: i - movie clip number (#); f - new frames count\n",
      path_basename(argv0));
  // A listing is what a player keeps to undo a change: one of another
  // release says so.
  if (!known) say_not_known("Note: ", " A change would be refused.");
}

// Checked before a change writes: what lies at the table's place in another
// release must not be overwritten.
int check_clip_names(HANDLE file, const MovieTable *table) {
  char name[MOVIE_NAME_READ_SIZE];
  for (int k = 0; k < MOVIE_COUNT; ++k) {
    if (!read_clip_name(file, &table->records[k], name)) {
      console_printf("Error: can not read the clip names from \"%s\".\n\n",
                     TARGET_FILE_NAME);
      return STATUS_FAILED;
    }
    if (!is_clip_name(name)) {
      say_not_known("Error: ", " Nothing was changed.\n");
      return STATUS_FAILED;
    }
  }
  return STATUS_OK;
}

int change_clip(HANDLE file, MovieTable *table, char **argv) {
  DWORD clip = parse_decimal(argv[1]);
  DWORD frames = parse_decimal(argv[2]);
  if (clip - 1 > MOVIE_COUNT - 1) {
    console_printf(
        "Error: invalid movie clip number, must be from 1 to 14 "
        "(inclusive).\n\n");
    return STATUS_BAD_ARGUMENT;
  }
  if (frames - FRAMES_MIN > FRAMES_MAX - FRAMES_MIN) {
    console_printf(
        "Error: invalid frames count, must be from 12 to 131080 "
        "(inclusive).\n\n");
    return STATUS_BAD_ARGUMENT;
  }
  int status = check_clip_names(file, table);
  if (status != STATUS_OK) return status;

  WORD code = code_from_frames(frames);
  table->records[clip - 1].duration_code = code;
  if (!write_movie_table(file, table)) {
    console_printf("Error: can not write the movie table to \"%s\".\n\n",
                   TARGET_FILE_NAME);
    return STATUS_FAILED;
  }
  // Written, but a disk or share that fails it later would lose it.
  if (!flush_file(file)) {
    console_printf(
        "Error: the change was written to \"%s\", but the system did not "
        "confirm that it is on the disk. List the clips to see what the file "
        "holds.\n\n",
        TARGET_FILE_NAME);
    return STATUS_FAILED;
  }
  // The count as stored: an odd count was rounded down.
  console_printf("Movie #%lu length: %lu frames [changed]\n\n",
                 static_cast<unsigned long>(clip),
                 static_cast<unsigned long>(frames_from_code(code)));
  return STATUS_OK;
}

}  // namespace

int patcher_main(int argc, char **argv) {
  console_printf(BANNER);  // it holds no "%"
  if (argv == nullptr) {
    console_printf("Error: not enough memory for the command line.\n\n");
    return STATUS_FAILED;
  }

  HANDLE file = open_file(TARGET_FILE_NAME, "rb+");
  if (file == nullptr) {
    console_printf("Error: can not open \"%s\" for read-write.\n\n",
                   TARGET_FILE_NAME);
    return STATUS_FAILED;
  }

  MovieTable table;
  int status = STATUS_OK;
  if (!read_movie_table(file, &table)) {
    console_printf("Error: can not read the movie table from \"%s\".\n\n",
                   TARGET_FILE_NAME);
    status = STATUS_FAILED;
  } else {
    console_printf(" # | frames | filename\n");
    if (argc == 3) {
      status = change_clip(file, &table, argv);
    } else {
      list_clips(file, &table, argc > 0 ? argv[0] : "fmvframes");
    }
  }
  close_file(file);
  return status;
}
