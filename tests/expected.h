// What the tool prints, as it reaches the console, and leaves in the file.
#pragma once

#include <cstdint>
#include <vector>

#include "../src/patcher/movie_table.h"

inline const char BANNER[] =
    "Dunmarrow 3 FMV duration frames limit changer\r\n"
    "Free tool by the fmvframes project, for players of Dunmarrow 3\r\n"
    "Web: https://fmvframes.example/\r\n"
    "\r\n";
inline const char HEADER[] = " # | frames | filename\r\n";
inline const char OPEN_ERROR[] =
    "Error: can not open \"Dunmarrow3.exe\" for read-write.\r\n\r\n";
inline const char READ_ERROR[] =
    "Error: can not read the movie table from \"Dunmarrow3.exe\".\r\n\r\n";
inline const char WRITE_ERROR[] =
    "Error: can not write the movie table to \"Dunmarrow3.exe\".\r\n\r\n";
inline const char CLIP_ERROR[] =
    "Error: invalid movie clip number, must be from 1 to 14 "
    "(inclusive).\r\n\r\n";
inline const char FRAMES_ERROR[] =
    "Error: invalid frames count, must be from 12 to 131080 "
    "(inclusive).\r\n\r\n";

// The image with clip's duration_code set to code.
inline std::vector<uint8_t> changed(std::vector<uint8_t> image, int clip,
                                    WORD code) {
  size_t at = MOVIE_TABLE_OFFSET + (clip - 1) * MOVIE_RECORD_SIZE + 4;
  image[at] = code & 0xFF;
  image[at + 1] = code >> 8;
  return image;
}
