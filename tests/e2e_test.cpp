// The built tool, run in a scratch folder on a generated game file: the whole
// console output, the exit status and the whole file afterwards. The command
// that runs the tool follows "--" on this program's command line, so the same
// cases run the native program and the Windows one under Wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../src/patcher/movie_table.h"
#include "../tools/sample_game.h"
#include "run_process.h"
#include "scratch_dir.h"

namespace {

std::vector<std::string> g_tool;  // the command that runs the tool
std::string g_holder;  // a program that holds a file open with no sharing

const char BANNER[] =
    "Dunmarrow 3 FMV duration frames limit changer\r\n"
    "Free tool by the fmvframes project, for players of Dunmarrow 3\r\n"
    "Web: https://fmvframes.example/\r\n"
    "\r\n";
const char HEADER[] = " # | frames | filename\r\n";
const char OPEN_ERROR[] =
    "Error: can not open \"Dunmarrow3.exe\" for read-write.\r\n\r\n";
const char READ_ERROR[] =
    "Error: can not read the movie table from \"Dunmarrow3.exe\".\r\n\r\n";
const char WRITE_ERROR[] =
    "Error: can not write the movie table to \"Dunmarrow3.exe\".\r\n\r\n";
const char CLIP_ERROR[] =
    "Error: invalid movie clip number, must be from 1 to 14 "
    "(inclusive).\r\n\r\n";
const char FRAMES_ERROR[] =
    "Error: invalid frames count, must be from 12 to 131080 "
    "(inclusive).\r\n\r\n";

const char SAMPLE_ROWS[] =
    " 1 |    300 | INTRO.dat\r\n"
    " 2 |    200 | CLIP02.dat\r\n"
    " 3 |     90 | clip03.dat\r\n"
    " 4 |    610 | clip07.dat\r\n"
    " 5 |     12 | movidat\r\n"
    " 6 |     10 | c.dat\r\n"
    " 7 | 131080 | a_very_long_clipdat\r\n"
    " 8 |     50 | AB\r\n"
    " 9 |    150 | \r\n"
    "10 |   1010 | ENDING.dat\r\n"
    "11 |    500 | CREDITS.dat\r\n"
    "12 |   2010 | BOSS.dat\r\n"
    "13 |    510 | OUTRO.dat\r\n"
    "14 |     34 | SECRET.dat\r\n";

std::string usage() {
  std::string name = std::filesystem::path(g_tool.back()).filename().string();
  return "\r\nUsage: " + name +
         " i f\r\nWhere: i - movie clip number (#); f - new frames count\r\n";
}

size_t code_offset(int clip) {
  return MOVIE_TABLE_OFFSET + (clip - 1) * MOVIE_RECORD_SIZE + 4;
}

std::vector<uint8_t> changed(std::vector<uint8_t> image, int clip, WORD code) {
  image[code_offset(clip)] = code & 0xFF;
  image[code_offset(clip) + 1] = code >> 8;
  return image;
}

class Tool : public ::testing::Test {
 protected:
  ScratchDir dir;
  std::string game = dir.path() + "/Dunmarrow3.exe";
  std::vector<uint8_t> image = sample_game_image();

  void SetUp() override {
    ASSERT_FALSE(g_tool.empty()) << "usage: e2e_tests [gtest options] -- TOOL";
    ASSERT_TRUE(write_bytes(game, image));
  }

  RunResult run(const std::vector<std::string> &args, long size_limit = -1) {
    std::vector<std::string> command = g_tool;
    command.insert(command.end(), args.begin(), args.end());
    RunResult r = run_process(command, dir.path(), size_limit);
    EXPECT_EQ(r.err, "");
    return r;
  }

  void expect_run(const std::vector<std::string> &args,
                  const std::string &after_banner, int status,
                  const std::vector<uint8_t> &file_after,
                  long size_limit = -1) {
    std::string shown = ::testing::PrintToString(args);
    RunResult r = run(args, size_limit);
    EXPECT_EQ(r.out, BANNER + after_banner) << shown;
    EXPECT_EQ(r.status, status) << shown;
    EXPECT_TRUE(read_bytes(game) == file_after) << shown;
  }
};

TEST_F(Tool, ListsEveryClipForAnyCountButTwoArguments) {
  for (auto args : std::vector<std::vector<std::string>>{
           {}, {"3"}, {"3", "250", "x"}, {"1", "2", "3", "4"}}) {
    expect_run(args, HEADER + std::string(SAMPLE_ROWS) + usage(), 0, image);
  }
}

TEST_F(Tool, ChangesOneClipAndNothingElse) {
  struct {
    std::vector<std::string> args;
    int clip;
    DWORD shown_frames;
    WORD code;
  } cases[] = {
      {{"3", "250"}, 3, 250, 120},
      {{"1", "12"}, 1, 12, 1},
      {{"14", "131080"}, 14, 131080, 65535},
      {{"2", "13"}, 2, 12, 1},  // stored as the even count below
      {{"01", "0250"}, 1, 250, 120},
      {{"7", "131079"}, 7, 131078, 65534},
  };
  for (auto &c : cases) {
    ASSERT_TRUE(write_bytes(game, image));
    std::vector<uint8_t> expected = changed(image, c.clip, c.code);
    std::string message = "Movie #" + std::to_string(c.clip) + " length: " +
                          std::to_string(c.shown_frames) +
                          " frames [changed]\r\n\r\n";
    expect_run(c.args, HEADER + message, 0, expected);
  }
}

TEST_F(Tool, AChangeShowsInTheNextListing) {
  ASSERT_EQ(run({"2", "13"}).status, 0);
  std::string rows = SAMPLE_ROWS;
  rows.replace(rows.find(" 2 |    200"), 11, " 2 |     12");
  std::vector<uint8_t> after = read_bytes(game);
  expect_run({}, HEADER + rows + usage(), 0, after);
}

TEST_F(Tool, RefusesBadArgumentsWithoutWriting) {
  struct {
    std::vector<std::string> args;
    const char *message;
  } cases[] = {
      {{"0", "5"}, CLIP_ERROR},  // the frame count is not looked at
      {{"15", "250"}, CLIP_ERROR},
      {{"x", "250"}, CLIP_ERROR},
      {{"", "250"}, CLIP_ERROR},
      {{"1 4", "250"}, CLIP_ERROR},  // one argument, quoted on Windows
      {{"3\"", "250"}, CLIP_ERROR},
      {{"\"3\"", "250"}, CLIP_ERROR},
      {{"-1", "250"}, CLIP_ERROR},
      {{"4294967297", "250"}, CLIP_ERROR},  // no wrap around to clip 1
      {{"1", "11"}, FRAMES_ERROR},
      {{"1", "131081"}, FRAMES_ERROR},
      {{"1", "x"}, FRAMES_ERROR},
      {{"1", "250 "}, FRAMES_ERROR},
      {{"1", "4294967308"}, FRAMES_ERROR},  // no wrap around to 12
  };
  for (auto &c : cases)
    expect_run(c.args, HEADER + std::string(c.message), 2, image);
}

TEST_F(Tool, ReportsAGameFileItCanNotOpen) {
  std::filesystem::remove(game);
  expect_run({}, OPEN_ERROR, 1, {});
  expect_run({"3", "250"}, OPEN_ERROR, 1, {});
  EXPECT_FALSE(std::filesystem::exists(game));  // never created

  std::filesystem::create_directory(game);
  RunResult r = run({"3", "250"});
  EXPECT_EQ(r.out, BANNER + std::string(OPEN_ERROR));
  EXPECT_EQ(r.status, 1);
}

TEST_F(Tool, LeavesAFileHeldByAnotherProgramAlone) {
  ASSERT_FALSE(g_holder.empty()) << "give --hold-with=PROGRAM";
  // The holder runs the way the tool does (under Wine for the Windows one).
  std::vector<std::string> command(g_tool.begin(), g_tool.end() - 1);
  command.push_back(g_holder);
  command.push_back("Dunmarrow3.exe");
  Background holder = start_process(command, dir.path());
  ASSERT_TRUE(wait_for_output(holder, "held"));
  expect_run({"3", "250"}, OPEN_ERROR, 1, image);
  expect_run({}, OPEN_ERROR, 1, image);
  EXPECT_EQ(finish_process(&holder), 0);
  // Once it lets go, the tool gets in.
  expect_run({"3", "250"},
             HEADER + std::string("Movie #3 length: 250 frames [changed]\r\n\r\n"),
             0, changed(image, 3, 120));
}

TEST_F(Tool, NeverWritesATableItCouldNotReadWhole) {
  for (size_t size : {size_t{0}, size_t{MOVIE_TABLE_OFFSET},
                      size_t{MOVIE_TABLE_OFFSET + 335}}) {
    std::vector<uint8_t> cut(image.begin(), image.begin() + size);
    ASSERT_TRUE(write_bytes(game, cut));
    expect_run({"3", "250"}, READ_ERROR, 1, cut);
    expect_run({}, READ_ERROR, 1, cut);
  }
}

TEST_F(Tool, ListsNamesThatLieOutsideTheFileAsFarAsTheyGo) {
  // The file ends with the table; clip 1's name lies past the end, clip 2's
  // is cut by it, and clip 3's lies in the table itself.
  std::vector<uint8_t> cut(image.begin(),
                           image.begin() + MOVIE_TABLE_OFFSET + 336);
  auto point_name = [&](int clip, uint16_t name_offset) {
    size_t at = MOVIE_TABLE_OFFSET + (clip - 1) * MOVIE_RECORD_SIZE;
    cut[at] = name_offset & 0xFF;
    cut[at + 1] = name_offset >> 8;
  };
  point_name(1, 0xFFFF);
  point_name(2, 0xB978 + 336 - 5);
  point_name(3, 0xB978 + 2 * MOVIE_RECORD_SIZE);  // its own record
  const char tail[] = "a\\bcde";  // 6 bytes, the last 5 of the file
  std::copy(tail + 1, tail + 6, cut.end() - 5);
  ASSERT_TRUE(write_bytes(game, cut));

  RunResult r = run({});
  EXPECT_EQ(r.status, 0);
  std::string out = r.out;
  EXPECT_NE(out.find(" 1 |    300 | \r\n 2 |    200 | bdat\r\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\r\n 4 |    610 | clip07.dat\r\n"), std::string::npos);
  EXPECT_EQ(read_bytes(game), cut);
}

TEST_F(Tool, ReportsAWriteTheSystemRefuses) {
  // Files may not grow past the table's start, so the write there fails.
  expect_run({"3", "250"}, HEADER + std::string(WRITE_ERROR), 1, image,
             MOVIE_TABLE_OFFSET);
}

}  // namespace

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--hold-with=", 0) == 0) g_holder = arg.substr(12);
    if (arg != "--") continue;
    g_tool.assign(argv + i + 1, argv + argc);
    break;
  }
  return RUN_ALL_TESTS();
}
