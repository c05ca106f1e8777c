// Stand-ins for the game's executable: the right size, the clip table where
// the game has it, and every other byte a non-zero pattern, so that a stray
// write shows. The demo's looks like a release of the game; the tests' holds
// 14 names and counts of varied shapes, at the edges of the format.
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

// The tests' clips: short names, a name ending in a separator, mixed
// separators, a name cut at 31 characters, codes 0 and 65535.
extern const SampleClip SAMPLE_CLIPS[14];
// The demo's: plausible names in one folder, counts well inside the limits.
extern const SampleClip RELEASE_CLIPS[14];

// The byte at every offset that holds neither the table nor a name.
uint8_t filler_byte(size_t at);

std::vector<uint8_t> game_image(const SampleClip (&clips)[14]);
inline std::vector<uint8_t> sample_game_image() {
  return game_image(SAMPLE_CLIPS);
}

// Writes the bytes to path; false on any error.
bool write_bytes(const std::string &path, const std::vector<uint8_t> &bytes);
