#include "command.h"

#include "../runtime/helpers.h"
#include "movie_table.h"

namespace {

const char BANNER[] =
    "Dunmarrow 3 FMV duration frames limit changer\n"
    "Free tool by the fmvframes project, for players of Dunmarrow 3\n"
    "Web: https://fmvframes.example/\n"
    "\n";

void list_clips(HANDLE file, const MovieTable *table, const char *program) {
  char name[MOVIE_NAME_READ_SIZE];
  for (int k = 0; k < MOVIE_COUNT; ++k) {
    const MovieRecord *record = &table->records[k];
    read_clip_name(file, record, name);
    make_display_name(name);
    console_printf("%2lu | %6d | %s\n", static_cast<DWORD>(k + 1),
                   static_cast<int>(frames_from_code(record->duration_code)),
                   name);
  }
  console_printf(
      "\nUsage: %s i f\n"
      "Where: i - movie clip number (#); f - new frames count\n",
      path_basename(program));
}

int change_clip(HANDLE file, MovieTable *table, const char *clip_text,
                const char *frames_text) {
  DWORD clip = parse_decimal(clip_text);
  DWORD frames = parse_decimal(frames_text);
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
  WORD code = code_from_frames(frames);
  table->records[clip - 1].duration_code = code;
  if (!write_movie_table(file, table)) {
    console_printf("Error: can not write the movie table to \"" TARGET_FILE_NAME
                   "\".\n\n");
    return STATUS_FAILED;
  }
  // The count as stored: an odd count was rounded down.
  console_printf("Movie #%lu length: %lu frames [changed]\n\n", clip,
                 frames_from_code(code));
  return STATUS_OK;
}

}  // namespace

int patcher_main(int argc, char **argv) {
  console_printf(BANNER);
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
    console_printf("Error: can not read the movie table from \"" TARGET_FILE_NAME
                   "\".\n\n");
    status = STATUS_FAILED;
  } else {
    console_printf(" # | frames | filename\n");
    if (argc == 3)
      status = change_clip(file, &table, argv[1], argv[2]);
    else
      list_clips(file, &table, argc > 0 ? argv[0] : "fmvframes");
  }
  close_file(file);
  return status;
}
