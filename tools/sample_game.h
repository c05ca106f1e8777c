// A stand-in for the game's executable, for the demo and the tests: the right
// size, the clip table where the game has it, 14 names of varied shapes, and
// every other byte a non-zero pattern, so that a stray write shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

const size_t SAMPLE_GAME_SIZE = 0x11C000;

struct SampleClip {
  uint16_t name_offset;
  const char *name;  // as stored in the file
  uint16_t duration_code;
};

extern const SampleClip SAMPLE_CLIPS[14];

std::vector<uint8_t> sample_game_image();

// Writes the bytes to path; false on any error.
bool write_bytes(const std::string &path, const std::vector<uint8_t> &bytes);
