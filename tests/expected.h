// What the tool prints, as it reaches the console, and leaves in the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../tools/sample_game.h"
#include "version.h"

inline const char BANNER[] =
    "Dunmarrow 3 FMV duration frames limit changer\r\n"
    "fmvframes " FMV_VERSION ", free software under the MIT license\r\n"
    "Help: fmvframes.txt, beside this program\r\n"
    "\r\n";
inline const char HEADER[] = " # | frames | filename\r\n";
inline const char OPEN_ERROR[] =
    "Error: can not open \"Dunmarrow3.exe\" for read-write.\r\n\r\n";
inline const char READ_ERROR[] =
    "Error: can not read the movie table from \"Dunmarrow3.exe\".\r\n\r\n";
inline const char WRITE_ERROR[] =
    "Error: can not write the movie table to \"Dunmarrow3.exe\".\r\n\r\n";
inline const char FLUSH_ERROR[] =
    "Error: the change was written to \"Dunmarrow3.exe\", but the system did "
    "not confirm that it is on the disk. List the clips to see what the file "
    "holds.\r\n\r\n";
inline const char NAMES_ERROR[] =
    "Error: can not read the clip names from \"Dunmarrow3.exe\".\r\n\r\n";
inline const char RELEASE_ERROR[] =
    "Error: \"Dunmarrow3.exe\" is not a release of the game that this tool "
    "knows: its clip table is not where this tool looks. Nothing was "
    "changed.\r\n\r\n";
// After a listing whose names fail the check a change makes.
inline const char RELEASE_NOTE[] =
    "Note: \"Dunmarrow3.exe\" is not a release of the game that this tool "
    "knows: its clip table is not where this tool looks. A change would be "
    "refused.\r\n";
inline const char CLIP_ERROR[] =
    "Error: invalid movie clip number, must be from 1 to 14 "
    "(inclusive).\r\n\r\n";
inline const char FRAMES_ERROR[] =
    "Error: invalid frames count, must be from 12 to 131080 "
    "(inclusive).\r\n\r\n";

// The sample game's clips as listed: each row up to the name, and the name.
inline const char *const SAMPLE_ROWS[14][2] = {
    {" 1 |    300 | ", "INTRO.dat"},
    {" 2 |    200 | ", "CLIP02.dat"},
    {" 3 |     90 | ", "clip03.dat"},
    {" 4 |    610 | ", "clip07.dat"},
    {" 5 |     12 | ", "movidat"},
    {" 6 |     10 | ", "c.dat"},
    {" 7 | 131080 | ", "a_very_long_clipdat"},
    {" 8 |     50 | ", "AB"},
    {" 9 |    150 | ", ""},
    {"10 |   1010 | ", "ENDING.dat"},
    {"11 |    500 | ", "CREDITS.dat"},
    {"12 |   2010 | ", "BOSS.dat"},
    {"13 |    510 | ", "OUTRO.dat"},
    {"14 |     34 | ", "SECRET.dat"},
};

// The 14 rows, with no name shown for nameless_clip (0: for none).
inline std::string sample_rows(int nameless_clip = 0) {
  std::string rows;
  for (int k = 0; k < 14; ++k) {
    rows += SAMPLE_ROWS[k][0];
    if (k + 1 != nameless_clip) rows += SAMPLE_ROWS[k][1];
    rows += "\r\n";
  }
  return rows;
}

inline std::string usage(const std::string &program_name) {
  return "\r\nUsage: " + program_name +
         " i f\r\nWhere: i - movie clip number (#); f - new frames count\r\n";
}

// The image with clip's duration_code set to code.
inline std::vector<uint8_t> changed(std::vector<uint8_t> image, int clip,
                                    uint16_t code) {
  put_16(image, record_field(clip, RECORD_DURATION_CODE_AT), code);
  return image;
}
