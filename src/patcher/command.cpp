#include "command.h"

#include "../runtime/helpers.h"
#include "movie_table.h"
#include "version.h"

namespace {

const char BANNER[] =
    "Dunmarrow 3 FMV duration frames limit changer\n"
    "fmvframes " FMV_VERSION
    ", free software under the MIT license\n"
    "Help: fmvframes.txt, beside this program\n"
    "\n";

// Both modes walk the 14 names: a listing shows them; a change first makes
// sure that they are file names, since names that no file can have mean
// another release of the game, whose table lies elsewhere, and what lies
// here must not be overwritten.
int list_or_change(HANDLE file, MovieTable *table, int argc, char **argv) {
  const bool change = argc == 3;
  DWORD clip = 0;
  DWORD frames = 0;
  if (change) {
    clip = parse_decimal(argv[1]);
    frames = parse_decimal(argv[2]);
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
  }

  char name[MOVIE_NAME_READ_SIZE];
  for (int k = 0; k < MOVIE_COUNT; ++k) {
    const MovieRecord *record = &table->records[k];
    BOOL read = read_clip_name(file, record, name);
    if (!change) {
      make_display_name(name);
      console_printf("%2lu | %6d | %s\n", static_cast<unsigned long>(k) + 1,
                     static_cast<int>(frames_from_code(record->duration_code)),
                     name);
    } else if (!read) {
      console_printf(
          "Error: can not read the clip names from \"" TARGET_FILE_NAME
          "\".\n\n");
      return STATUS_FAILED;
    } else if (!is_file_name(name)) {
      console_printf("Error: \"" TARGET_FILE_NAME
                     "\" is not a release of the game that this tool knows: "
                     "its clip table is not where this tool looks. Nothing "
                     "was changed.\n\n");
      return STATUS_FAILED;
    }
  }
  if (!change) {
    console_printf(
        "\nUsage: %s i f\n"
        "Where: i - movie clip number (#); f - new frames count\n",
        path_basename(argc > 0 ? argv[0] : "fmvframes"));
    return STATUS_OK;
  }

  WORD code = code_from_frames(frames);
  table->records[clip - 1].duration_code = code;
  if (!write_movie_table(file, table)) {
    console_printf("Error: can not write the movie table to \"" TARGET_FILE_NAME
                   "\".\n\n");
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
  console_printf("%s", BANNER);
  if (argv == nullptr) {
    console_printf("Error: not enough memory for the command line.\n\n");
    return STATUS_FAILED;
  }

  HANDLE file = open_file(TARGET_FILE_NAME, "rb+");
  if (file == nullptr) {
    console_printf("Error: can not open \"" TARGET_FILE_NAME
                   "\" for read-write.\n\n");
    return STATUS_FAILED;
  }

  MovieTable table;
  int status = STATUS_OK;
  if (!read_movie_table(file, &table)) {
    console_printf(
        "Error: can not read the movie table from \"" TARGET_FILE_NAME
        "\".\n\n");
    status = STATUS_FAILED;
  } else {
    console_printf(" # | frames | filename\n");
    status = list_or_change(file, &table, argc, argv);
  }
  close_file(file);
  return status;
}
