// A stand-in for the game's executable, for the demo and the tests: the right
// size, the clip table where the game has it, 14 names of varied shapes, and
// every other byte a non-zero pattern, so that a stray write shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

const size_t SAMPLE_GAME_SIZE = 0x11C000;

// Where the game keeps its clip table, written out from the format's numbers
// and not taken from the tool's header: the tests built on these then fail
// when a constant there is wrong, instead of agreeing with it.
const size_t GAME_TABLE_OFFSET = 1161592;  // 0x11B978
const size_t GAME_TABLE_SIZE = 336;        // 14 records
const size_t GAME_RECORD_SIZE = 24;
const size_t GAME_NAME_BASE = 1114112;  // 0x110000, plus a record's name offset
// In a record, both little-endian 16-bit:
const size_t RECORD_NAME_OFFSET_AT = 0;
const size_t RECORD_DURATION_CODE_AT = 4;  // frames = code * 2 + 10

// The file offset of a field of clip's record (clips count from 1).
inline size_t record_field(int clip, size_t field) {
  return GAME_TABLE_OFFSET + (clip - 1) * GAME_RECORD_SIZE + field;
}

inline void put_16(std::vector<uint8_t> &image, size_t at, uint16_t value) {
  image[at] = value & 0xFF;
  image[at + 1] = value >> 8;
}

struct SampleClip {
  uint16_t name_offset;
  const char *name;  // as stored in the file
  uint16_t duration_code;
};

extern const SampleClip SAMPLE_CLIPS[14];

// The byte at every offset that holds neither the table nor a name.
uint8_t filler_byte(size_t at);

std::vector<uint8_t> sample_game_image();

// Writes the bytes to path; false on any error.
bool write_bytes(const std::string &path, const std::vector<uint8_t> &bytes);
