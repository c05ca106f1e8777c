// The built tool, run in a scratch folder on a generated game file: the whole
// console output, the exit status and the whole file afterwards. The command
// that runs the tool follows "--" on this program's command line, so the same
// cases run the native program and the Windows one under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "../src/patcher/movie_table.h"
#include "../tools/sample_game.h"
#include "run_process.h"
#include "scratch_dir.h"
#include "expected.h"

namespace {

std::vector<std::string> g_tool;  // the command that runs the tool
std::string g_holder;  // a program that holds a file open with no sharing

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

class Tool : public ::testing::Test {
 protected:
  ScratchDir dir;
  std::string game = dir.path() + "/Dunmarrow3.exe";
  std::vector<uint8_t> image = sample_game_image();

  void SetUp() override {
    ASSERT_FALSE(g_tool.empty()) << "usage: e2e_tests [gtest options] -- TOOL";
    ASSERT_TRUE(write_bytes(game, image));
  }

  RunResult run(const std::vector<std::string> &args,
                const RunOptions &options = {}) {
    std::vector<std::string> command = g_tool;
    command.insert(command.end(), args.begin(), args.end());
    RunResult r = run_process(command, dir.path(), options);
    EXPECT_EQ(r.err, "");
    return r;
  }

  void expect_run(const std::vector<std::string> &args,
                  const std::string &after_banner, int status,
                  const std::vector<uint8_t> &file_after) {
    std::string shown = ::testing::PrintToString(args);
    RunResult r = run(args);
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

// What can go wrong around the game file, and what the player sees then.
TEST_F(Tool, FaultMatrix) {
  enum Game { MISSING, DIRECTORY, FILE };
  const size_t WHOLE = SIZE_MAX;
  const std::string SUCCESS =
      HEADER + std::string("Movie #3 length: 250 frames [changed]\r\n\r\n");
  RunOptions refused_write, output_closed;
  refused_write.file_size_limit = MOVIE_TABLE_OFFSET;  // the table lies past it
  output_closed.output_closed = true;
  struct {
    const char *row;
    Game game;
    size_t size;  // of the sample kept
    std::vector<std::string> args;
    RunOptions options;
    std::string after_banner;  // not looked at when the output is closed
    int status;
    bool changes;  // clip 3 becomes 250 frames
  } rows[] = {
      {"missing", MISSING, 0, {"3", "250"}, {}, OPEN_ERROR, 1, false},
      {"missing, listing", MISSING, 0, {}, {}, OPEN_ERROR, 1, false},
      {"a directory in its place", DIRECTORY, 0, {"3", "250"}, {}, OPEN_ERROR,
       1, false},
      {"empty", FILE, 0, {"3", "250"}, {}, READ_ERROR, 1, false},
      {"empty, listing", FILE, 0, {}, {}, READ_ERROR, 1, false},
      {"ends where the table starts", FILE, MOVIE_TABLE_OFFSET, {"3", "250"},
       {}, READ_ERROR, 1, false},
      {"one byte short of the table", FILE, MOVIE_TABLE_OFFSET + 335,
       {"3", "250"}, {}, READ_ERROR, 1, false},
      {"one byte short, listing", FILE, MOVIE_TABLE_OFFSET + 335, {}, {},
       READ_ERROR, 1, false},
      {"ends exactly with the table", FILE, MOVIE_TABLE_OFFSET + 336,
       {"3", "250"}, {}, SUCCESS, 0, true},
      {"a write the system refuses", FILE, WHOLE, {"3", "250"}, refused_write,
       HEADER + std::string(WRITE_ERROR), 1, false},
      {"clip number over 32 bits", FILE, WHOLE, {"4294967299", "250"}, {},
       HEADER + std::string(CLIP_ERROR), 2, false},
      {"frame count over 32 bits", FILE, WHOLE, {"3", "4294967546"}, {},
       HEADER + std::string(FRAMES_ERROR), 2, false},
      {"nobody reads the output", FILE, WHOLE, {"3", "250"}, output_closed, "",
       0, true},
  };
  for (auto &r : rows) {
    std::filesystem::remove_all(game);
    std::vector<uint8_t> before(image.begin(),
                                image.begin() + std::min(r.size, image.size()));
    if (r.game == FILE) {
      ASSERT_TRUE(write_bytes(game, before));
    }
    if (r.game == DIRECTORY) std::filesystem::create_directory(game);

    RunResult result = run(r.args, r.options);
    if (!r.options.output_closed) {
      EXPECT_EQ(result.out, BANNER + r.after_banner) << r.row;
    }
    EXPECT_EQ(result.status, r.status) << r.row;
    EXPECT_EQ(std::filesystem::exists(game), r.game != MISSING) << r.row;
    EXPECT_EQ(std::filesystem::is_directory(game), r.game == DIRECTORY)
        << r.row;
    if (r.game == FILE) {
      EXPECT_TRUE(read_bytes(game) ==
                  (r.changes ? changed(before, 3, 120) : before))
          << r.row;
    }
  }
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
