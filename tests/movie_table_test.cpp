#include "../src/patcher/movie_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../src/runtime/helpers.h"
#include "../tools/sample_game.h"
#include "scratch_dir.h"

namespace {

TEST(FrameCodec, DecodesAndEncodesAtTheLimits) {
  struct {
    WORD code;
    DWORD frames;
  } decode[] = {{0, 10}, {1, 12}, {120, 250}, {65535, 131080}};
  for (auto c : decode) EXPECT_EQ(frames_from_code(c.code), c.frames);

  struct {
    DWORD frames;
    WORD code;
  } encode[] = {{12, 1}, {13, 1}, {250, 120}, {131079, 65534}, {131080, 65535}};
  for (auto c : encode)
    EXPECT_EQ(code_from_frames(c.frames), c.code) << c.frames;
}

// The name buffer sits between guards, so a write outside it shows.
struct GuardedName {
  char before[16];
  char name[MOVIE_NAME_READ_SIZE];
  char after[16];
};

std::string display_name(const char *stored) {
  GuardedName g;
  std::memset(&g, 0x5A, sizeof g);
  std::strncpy(g.name, stored, sizeof g.name);
  g.name[MOVIE_NAME_READ_SIZE - 1] = '\0';
  make_display_name(g.name);
  for (char c : g.before) EXPECT_EQ(c, 0x5A);
  for (char c : g.after) EXPECT_EQ(c, 0x5A);
  return g.name;
}

TEST(DisplayName, TakesTheBaseNameAndEndsItInDat) {
  struct {
    const char *stored;
    const char *shown;
  } cases[] = {
      {"films\\clip07.abc", "clip07.dat"},
      {"movie01", "movidat"},  // no dot is looked for
      {"a/b\\c.xyz", "c.dat"},  // last separator of either kind
      {"a\\b/c.xyz", "c.dat"},
      {"abc", "dat"},
      {"dir\\ab", "ab"},  // too short to overwrite: listed as it stands
      {"dir/x", "x"},
      {"dir\\", ""},
      {"", ""},
  };
  for (auto c : cases) EXPECT_EQ(display_name(c.stored), c.shown) << c.stored;
}

class GameFile : public ::testing::Test {
 protected:
  ScratchDir dir;
  std::string path = dir.path() + "/game";
  HANDLE file = nullptr;

  void open(const std::vector<uint8_t> &image) {
    ASSERT_TRUE(write_bytes(path, image));
    file = open_file(path.c_str(), "rb+");
    ASSERT_NE(file, nullptr);
  }
  void TearDown() override {
    if (file != nullptr) close_file(file);
  }
};

TEST_F(GameFile, WritingOneChangedCodeBackChangesOnlyThoseTwoBytes) {
  std::vector<uint8_t> image = sample_game_image();
  open(image);
  MovieTable table;
  ASSERT_TRUE(read_movie_table(file, &table));
  ASSERT_EQ(sizeof table, GAME_TABLE_SIZE);
  EXPECT_EQ(std::memcmp(&table, &image[GAME_TABLE_OFFSET], sizeof table), 0);
  table.records[6].duration_code = 0x1234;
  ASSERT_TRUE(write_movie_table(file, &table));
  close_file(file);
  file = nullptr;

  std::vector<uint8_t> expected = image;
  put_16(expected, record_field(7, RECORD_DURATION_CODE_AT), 0x1234);
  EXPECT_EQ(read_bytes(path), expected);
}

TEST_F(GameFile, TableCutShortIsNotRead) {
  std::vector<uint8_t> image = sample_game_image();
  for (size_t size : {size_t{0}, GAME_TABLE_OFFSET,
                      GAME_TABLE_OFFSET + GAME_TABLE_SIZE - 1}) {
    image.resize(size);
    open(image);
    MovieTable table;
    EXPECT_FALSE(read_movie_table(file, &table)) << size;
    close_file(file);
    file = nullptr;
  }
  image.resize(GAME_TABLE_OFFSET + GAME_TABLE_SIZE);
  open(image);
  MovieTable table;
  EXPECT_TRUE(read_movie_table(file, &table));
}

TEST_F(GameFile, ClipNamesAreCutAt31AndReadAsNulPastTheEnd) {
  std::vector<uint8_t> image(GAME_NAME_BASE + 0x200, 'x');
  const char *tail = "dir\\last";  // no NUL: the file ends first
  std::memcpy(&image[image.size() - 8], tail, 8);
  open(image);

  struct {
    WORD name_offset;
    const char *read;
  } cases[] = {
      {0x0000, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},  // 31 of them
      {0x01F8, "dir\\last"},                        // the file ends inside
      {0x0200, ""},                                 // wholly past the end
      {0xFFFF, ""},
  };
  for (auto c : cases) {
    MovieRecord record = {};
    record.name_offset = c.name_offset;
    GuardedName g;
    std::memset(&g, 0x5A, sizeof g);
    read_clip_name(file, &record, g.name);
    EXPECT_STREQ(g.name, c.read) << c.name_offset;
    for (char b : g.after) EXPECT_EQ(b, 0x5A);
  }
}

}  // namespace
