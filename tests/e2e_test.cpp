// The built tool, run in a scratch folder on a generated game file: the whole
// console output, the exit status and the whole file afterwards. The command
// that runs the tool follows "--" on this program's command line, so the same
// cases run the native program and the Windows ones under Wine.
//   --native                 the tool is the native one
//   --hold-with=PROGRAM      holds a file with no sharing; run as the tool is
//   --hold-with-wine=RUN,EXE a Windows holder, run by RUN (native tool only)
//   --launch-with=PROGRAM    starts a program with an exact command line
//   --skip-terminal=WHY      the tool can't be run in a terminal here, and why
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "../tools/sample_game.h"
#include "expected.h"
#include "run_process.h"
#include "scratch_dir.h"

namespace {

std::vector<std::string> g_tool;  // the command that runs the tool
bool g_native = false;
std::string g_holder;  // a program that holds a file open with no sharing
std::vector<std::string> g_wine_holder;  // a Windows one and what runs it
std::string g_launcher;
std::string g_skip_terminal;  // why the tool can't run in a terminal here

// Now and then Wine's loader fails to start a program at all (under load, one
// start in some thousands) and says so in its own words instead. The program
// never ran, so nothing of it is being tested: such a start is tried again, a
// few times, and reported. The tool's output always begins with its banner.
// The launcher's CreateProcessA can fail the same way (ERROR_INTERNAL_ERROR).
const int STARTS = 3;
bool wine_did_not_start(const std::string &out, int attempt,
                        const std::string &err = "") {
  if (out.rfind("Application could not be started", 0) != 0 &&
      err.rfind("launch: can not start", 0) != 0)
    return false;
  std::fprintf(stderr, "Wine did not start the program (start %d of %d)\n",
               attempt, STARTS);
  return true;
}

std::string tool_name() {
  return std::filesystem::path(g_tool.back()).filename().string();
}

// Runs program the way the tool is run (under Wine for the Windows ones).
std::vector<std::string> like_the_tool(const std::string &program) {
  std::vector<std::string> command(g_tool.begin(), g_tool.end() - 1);
  command.push_back(program);
  return command;
}

std::string listing(const std::string &name) {
  return HEADER + sample_rows() + usage(name);
}

std::string changed_message(int clip, uint32_t frames) {
  return HEADER + std::string("Movie #") + std::to_string(clip) +
         " length: " + std::to_string(frames) + " frames [changed]\r\n\r\n";
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
                const RunOptions &options = {},
                std::vector<std::string> command = g_tool) {
    command.insert(command.end(), args.begin(), args.end());
    RunResult r;
    for (int attempt = 1; attempt <= STARTS; ++attempt) {
      r = run_process(command, dir.path(), options);
      if (!wine_did_not_start(r.out, attempt, r.err)) break;
    }
    EXPECT_EQ(r.err, "");
    return r;
  }

  // Both modes fail to open the file, and leave it as it was.
  void expect_kept_out(const std::vector<std::string> &tool = g_tool) {
    expect_run({"3", "250"}, OPEN_ERROR, 1, image, tool);
    expect_run({}, OPEN_ERROR, 1, image, tool);
  }

  void expect_kept_out_by(std::vector<std::string> holder,
                          const std::vector<std::string> &tool = g_tool) {
    holder.push_back("Dunmarrow3.exe");
    SCOPED_TRACE(holder[holder.size() - 2]);
    Background held;
    std::string shown;
    for (int attempt = 1; attempt <= STARTS; ++attempt) {
      held = start_process(holder, dir.path());
      if (wait_for_output(held, "held", &shown)) break;
      finish_process(&held);
      if (!wine_did_not_start(shown, attempt)) break;
    }
    ASSERT_NE(shown.find("held"), std::string::npos) << shown;
    expect_kept_out(tool);
    EXPECT_EQ(finish_process(&held), 0);
  }

  void expect_run(const std::vector<std::string> &args,
                  const std::string &after_banner, int status,
                  const std::vector<uint8_t> &file_after,
                  const std::vector<std::string> &command = g_tool) {
    std::string shown = ::testing::PrintToString(args);
    RunResult r = run(args, {}, command);
    EXPECT_EQ(r.out, BANNER + after_banner) << shown;
    EXPECT_EQ(r.status, status) << shown;
    EXPECT_TRUE(read_bytes(game) == file_after) << shown;
  }
};

TEST_F(Tool, ListsEveryClipForAnyCountButTwoArguments) {
  for (auto args : std::vector<std::vector<std::string>>{
           {}, {"3"}, {"3", "250", "x"}, {"1", "2", "3", "4"}}) {
    expect_run(args, listing(tool_name()), 0, image);
  }
  // The usage line names the program as it was started.
  std::filesystem::path tool = g_tool.back();
  std::string copy = dir.path() + "/patch-it" + tool.extension().string();
  std::filesystem::copy_file(tool, copy);
  expect_run({}, listing("patch-it" + tool.extension().string()), 0, image,
             like_the_tool(copy));
}

TEST_F(Tool, ChangesOneClipAndNothingElse) {
  struct {
    std::vector<std::string> args;
    int clip;
    uint32_t shown_frames;
    uint16_t code;
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
    expect_run(c.args, changed_message(c.clip, c.shown_frames), 0,
               changed(image, c.clip, c.code));
  }
}

TEST_F(Tool, AChangeShowsInTheNextListing) {
  ASSERT_EQ(run({"2", "13"}).status, 0);
  std::string rows = sample_rows();
  rows.replace(rows.find(" 2 |    200"), 11, " 2 |     12");
  std::vector<uint8_t> after = read_bytes(game);
  expect_run({}, HEADER + rows + usage(tool_name()), 0, after);
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
  expect_kept_out_by(like_the_tool(g_holder));
  // Natively, any other open of the file keeps the tool out, as on Windows:
  // the test's own, for reading only and for writing only.
  if (g_native) {
    for (int flags : {O_RDONLY, O_WRONLY}) {
      int fd = open(game.c_str(), flags | O_CLOEXEC);
      ASSERT_GE(fd, 0);
      SCOPED_TRACE(flags == O_RDONLY ? "open for reading" : "open for writing");
      expect_kept_out();
      close(fd);
    }
  }
  // Where no lease can be had, the flock alone keeps a second fmvframes out,
  // and the tool gets in. Root may take a lease on any file, so both run as
  // another user, on a file of root's that anyone may write.
  if (g_native && geteuid() == 0) {
    SCOPED_TRACE("as nobody, on a file of root's");
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    ASSERT_EQ(chmod(game.c_str(), 0666), 0);
    auto as_nobody = [](std::vector<std::string> command) {
      command.insert(command.begin(), {"/usr/bin/setpriv", "--reuid=nobody",
                                       "--regid=nogroup", "--clear-groups"});
      return command;
    };
    // Copies in the scratch folder: the build's folder may be closed to
    // other users.
    auto copy_here = [&](const std::string &program) {
      std::string copy =
          dir.path() + "/" + std::filesystem::path(program).filename().string();
      std::filesystem::copy_file(program, copy);
      return copy;
    };
    std::vector<std::string> holder = as_nobody({copy_here(g_holder)});
    std::vector<std::string> tool = as_nobody({copy_here(g_tool.back())});
    expect_kept_out_by(holder, tool);
    expect_run({"3", "250"}, changed_message(3, 250), 0, changed(image, 3, 120),
               tool);
    ASSERT_TRUE(write_bytes(game, image));
  }
  // Once they let go, the tool gets in.
  expect_run({"3", "250"}, changed_message(3, 250), 0, changed(image, 3, 120));
}

// The native tool and a Windows program under Wine that holds the file with
// no sharing, as the running game does.
TEST_F(Tool, LeavesAFileHeldByAWindowsProgramAlone) {
  ASSERT_FALSE(g_wine_holder.empty()) << "give --hold-with-wine=RUN,EXE";
  expect_kept_out_by(g_wine_holder);
  expect_run({"3", "250"}, changed_message(3, 250), 0, changed(image, 3, 120));
}

// Exact command lines, as a Windows shell hands them over, split by the
// program itself: the values that arrive show in what it does with them.
TEST_F(Tool, SplitsItsCommandLine) {
  ASSERT_FALSE(g_launcher.empty()) << "give --launch-with=PROGRAM";
  const std::string CLIP = HEADER + std::string(CLIP_ERROR);
  const std::string FRAMES = HEADER + std::string(FRAMES_ERROR);
  struct {
    const char *line;
    std::string after_banner;
    int status;
    int clip;  // 0: the file stays as it was
    uint16_t code;
  } cases[] = {
      {"p 3 250", changed_message(3, 250), 0, 3, 120},
      {"\"C:\\My Dir\\prog.exe\" 3 100", changed_message(3, 100), 0, 3, 45},
      {"p \"1 2\" 250", CLIP, 2, 0, 0},  // p; 1 2; 250
      {"p 3 2\\\\50", FRAMES, 2, 0, 0},  // p; 3; 2\\50
      {"p 3 2\\\"50", FRAMES, 2, 0, 0},  // p; 3; 2"50
      {"pr\t3 250", changed_message(3, 250), 0, 3, 120},
      {"p 3 2\\\\\"5 0\"", FRAMES, 2, 0, 0},     // p; 3; 2\5 0
      {"p 3 \\\\\\\\\"250\"", FRAMES, 2, 0, 0},  // p; 3; \\250
      {"p 3 \\\\\\\"250", FRAMES, 2, 0, 0},      // p; 3; \"250
      {"p \"3\"\"4 250\"", CLIP, 2, 0, 0},       // p; 3"4; 250
      {"p 3 \"\"\"\"", FRAMES, 2, 0, 0},         // p; 3; "
      {"p \"3 250", listing("p"), 0, 0, 0},      // p; 3 250
      {"p \"\" 250", CLIP, 2, 0, 0},             // p; (empty); 250
      {"p 1 2\"5\"0", changed_message(1, 250), 0, 1, 120},
      {"\"pr og\"3 250", changed_message(3, 250), 0, 3, 120},
      {"p 3 250\\", FRAMES, 2, 0, 0},  // p; 3; 250 and a backslash
      // The program name and the blanks around arguments:
      {"\"C:\\Games\\Dunmarrow 3\\fmvframes.exe\"", listing("fmvframes.exe"), 0,
       0, 0},
      {"\"C:\\Games\\Dunmarrow 3\\fmv.exe", listing("fmv.exe"), 0, 0, 0},
      {"C:\\Games\\fmv.exe 3", listing("fmv.exe"), 0, 0, 0},
      {"\"a\\\"3 250", changed_message(3, 250), 0, 3,
       120},  // a\ (the quote ends it); 3; 250
      {"p\t3\t\t250", changed_message(3, 250), 0, 3, 120},
      {"p 3 250 \t ", changed_message(3, 250), 0, 3, 120},
      {"p   \t", listing("p"), 0, 0, 0},
      {"p 3 \"\"", FRAMES, 2, 0, 0},
      {"p 3 \"250", changed_message(3, 250), 0, 3, 120},
      {"p 3 \"2 50", FRAMES, 2, 0, 0},
  };
  std::string program = "Z:" + g_tool.back();  // as Wine sees the path
  std::replace(program.begin(), program.end(), '/', '\\');
  for (auto &c : cases) {
    ASSERT_TRUE(write_bytes(game, image));
    std::string hex;
    for (unsigned char byte : std::string(c.line)) {
      char digits[3];
      std::snprintf(digits, sizeof digits, "%02x", byte);
      hex += digits;
    }
    std::vector<std::string> command = like_the_tool(g_launcher);
    command.push_back(program);
    RunResult r = run({hex}, {}, command);
    EXPECT_EQ(r.out, BANNER + c.after_banner) << c.line;
    EXPECT_EQ(r.status, c.status) << c.line;
    EXPECT_TRUE(read_bytes(game) ==
                (c.clip != 0 ? changed(image, c.clip, c.code) : image))
        << c.line;
  }
}

// A console that is not the program's own alone: it never asks for Enter, and
// prints what it prints in a pipe. Through a terminal, Wine's console hides
// and shows the cursor around each write and the terminal adds a CR before
// each LF: both are taken out again before comparing.
TEST_F(Tool, NeverAsksForEnterInATerminalOrAPipe) {
  for (bool terminal : {false, true}) {
    ASSERT_TRUE(write_bytes(game, image));
    RunResult r;
    if (!terminal) {
      r = run({"3", "250"});
    } else {
      // A system with no pseudo-terminals (no /dev/pts mounted) can't show
      // this case; the pipe's has run.
      if (!g_skip_terminal.empty()) GTEST_SKIP() << g_skip_terminal;
      int pty = posix_openpt(O_RDWR | O_NOCTTY);
      if (pty < 0)
        GTEST_SKIP() << "no pseudo-terminal here: is /dev/pts mounted?";
      close(pty);
      std::string line;
      for (const std::string &word : g_tool) line += "'" + word + "' ";
      line += "3 250";
      r = run({}, {},
              {"/usr/bin/timeout", "30", "/usr/bin/script", "-qec", line,
               "/dev/null"});
      for (const char *added : {"\x1b[?25l", "\x1b[?25h"})
        for (size_t at; (at = r.out.find(added)) != std::string::npos;)
          r.out.erase(at, std::strlen(added));
      for (size_t at; (at = r.out.find("\r\r\n")) != std::string::npos;)
        r.out.erase(at, 1);
    }
    SCOPED_TRACE(terminal ? "a terminal" : "a pipe");
    EXPECT_EQ(r.out, BANNER + changed_message(3, 250));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(read_bytes(game) == changed(image, 3, 120));
  }
}

TEST_F(Tool, ListsNamesAsFarAsTheyGoAndNothingThatSteersATerminal) {
  // The file ends with the table; clip 1's name lies past the end, clip 2's
  // is cut by it, and clip 3's lies in the table itself. Clip 5's holds
  // control characters, which no file name can.
  std::vector<uint8_t> cut(image.begin(),
                           image.begin() + GAME_TABLE_OFFSET + GAME_TABLE_SIZE);
  auto point_name = [&](int clip, uint16_t name_offset) {
    put_16(cut, record_field(clip, RECORD_NAME_OFFSET_AT), name_offset);
  };
  point_name(1, 0xFFFF);
  point_name(2, 0xB978 + 336 - 5);
  point_name(3, 0xB978 + 2 * 24);  // its own record
  const char tail[] = "a\\bcde";   // 6 bytes, the last 5 of the file
  std::copy(tail + 1, tail + 6, cut.end() - 5);
  const char steering[] =
      "FMV\\\x1b[2J\x07"
      "ab\tc.smk";
  point_name(5, 0x1400);
  std::copy(steering, steering + sizeof steering,
            cut.begin() + GAME_NAME_BASE + 0x1400);
  ASSERT_TRUE(write_bytes(game, cut));

  RunResult r = run({});
  EXPECT_EQ(r.status, 0);
  std::string out = r.out;
  EXPECT_NE(out.find(" 1 |    300 | \r\n 2 |    200 | bdat\r\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\r\n 4 |    610 | clip07.dat\r\n"), std::string::npos);
  EXPECT_NE(out.find("\r\n 5 |     12 | ?[2J?ab?c.dat\r\n"), std::string::npos)
      << out;
  for (char c : out)
    EXPECT_TRUE(c == '\r' || c == '\n' || static_cast<unsigned char>(c) >= ' ')
        << static_cast<int>(c);
  EXPECT_EQ(read_bytes(game), cut);
}

// What can go wrong around the game file, and what the player sees then.
TEST_F(Tool, FaultMatrix) {
  // MOVED: the table 0x600 bytes nearer the start, as another release may
  // have it. ZEROS: the table and all around it zeros, as another release
  // commonly has there. CAPITALS: the file named DUNMARROW3.EXE, as a disc
  // may have it. PAST_END: the file ends with the table, and clip 5's name
  // lies past that end.
  enum Game { MISSING, DIRECTORY, FILE, MOVED, ZEROS, CAPITALS, PAST_END };
  const size_t WHOLE = SIZE_MAX;
  const std::string SUCCESS =
      HEADER + std::string("Movie #3 length: 250 frames [changed]\r\n\r\n");
  RunOptions refused_write, output_closed, refused_flush;
  refused_flush.flush_fails = true;
  refused_write.file_size_limit = GAME_TABLE_OFFSET;  // the table lies past it
  // Under Wine the limit's signal would end Wine itself, which a Windows
  // program can't prevent; there the write is to fail as on Windows. The
  // native tool must ignore the signal itself.
  refused_write.ignore_file_size_signal = !g_native;
  output_closed.output_closed = true;
  std::string zero_rows;  // code 0 and an empty name, 14 times
  for (int clip = 1; clip <= 14; ++clip)
    zero_rows += (clip < 10 ? " " : "") + std::to_string(clip) + " |     10 | \r\n";
  struct {
    const char *row;
    Game game;
    size_t size;  // of the sample kept
    std::vector<std::string> args;
    RunOptions options;
    std::string after_banner;  // not looked at when the output is closed
    int status;
    bool changes;                 // clip 3 becomes 250 frames
    const char *name5 = nullptr;  // clip 5's name, where not the sample's
  } rows[] = {
      {"missing", MISSING, 0, {"3", "250"}, {}, OPEN_ERROR, 1, false},
      {"missing, listing", MISSING, 0, {}, {}, OPEN_ERROR, 1, false},
      {"a directory in its place",
       DIRECTORY,
       0,
       {"3", "250"},
       {},
       OPEN_ERROR,
       1,
       false},
      {"empty", FILE, 0, {"3", "250"}, {}, READ_ERROR, 1, false},
      {"empty, listing", FILE, 0, {}, {}, READ_ERROR, 1, false},
      {"ends where the table starts",
       FILE,
       GAME_TABLE_OFFSET,
       {"3", "250"},
       {},
       READ_ERROR,
       1,
       false},
      {"one byte short of the table",
       FILE,
       GAME_TABLE_OFFSET + 335,
       {"3", "250"},
       {},
       READ_ERROR,
       1,
       false},
      {"one byte short, listing",
       FILE,
       GAME_TABLE_OFFSET + 335,
       {},
       {},
       READ_ERROR,
       1,
       false},
      {"ends exactly with the table",
       FILE,
       GAME_TABLE_OFFSET + 336,
       {"3", "250"},
       {},
       SUCCESS,
       0,
       true},
      {"a write the system refuses",
       FILE,
       WHOLE,
       {"3", "250"},
       refused_write,
       HEADER + std::string(WRITE_ERROR),
       1,
       false},
      {"clip number over 32 bits",
       FILE,
       WHOLE,
       {"4294967299", "250"},
       {},
       HEADER + std::string(CLIP_ERROR),
       2,
       false},
      {"frame count over 32 bits",
       FILE,
       WHOLE,
       {"3", "4294967546"},
       {},
       HEADER + std::string(FRAMES_ERROR),
       2,
       false},
      {"nobody reads the output",
       FILE,
       WHOLE,
       {"3", "250"},
       output_closed,
       "",
       0,
       true},
      // The write went into the cache, but the disk did not take it.
      {"a flush the system refuses",
       FILE,
       WHOLE,
       {"3", "250"},
       refused_flush,
       HEADER + std::string(FLUSH_ERROR),
       1,
       true},
      {"another release of the game",
       MOVED,
       WHOLE,
       {"3", "250"},
       {},
       HEADER + std::string(RELEASE_ERROR),
       1,
       false},
      // A listing says when a change would be refused, and of the release
      // the tool knows says nothing more.
      {"zeros, listing", ZEROS, WHOLE, {}, {},
       HEADER + zero_rows + usage(tool_name()) + RELEASE_NOTE, 0, false},
      {"the sample, listing", FILE, WHOLE, {}, {}, listing(tool_name()), 0,
       false},
      {"zeros where the table is",
       ZEROS,
       WHOLE,
       {"3", "250"},
       {},
       HEADER + std::string(RELEASE_ERROR),
       1,
       false},
      {"a name past the end of the file",
       PAST_END,
       WHOLE,
       {"3", "250"},
       {},
       HEADER + std::string(RELEASE_ERROR),
       1,
       false},
      {"one name empty",
       FILE,
       WHOLE,
       {"3", "250"},
       {},
       HEADER + std::string(RELEASE_ERROR),
       1,
       false,
       ""},
      {"a name holding 0x01",
       FILE,
       WHOLE,
       {"3", "250"},
       {},
       HEADER + std::string(RELEASE_ERROR),
       1,
       false,
       "FMV\\\x01.SMK"},
      {"a name holding 0x1F",
       FILE,
       WHOLE,
       {"3", "250"},
       {},
       HEADER + std::string(RELEASE_ERROR),
       1,
       false,
       "FMV\\\x1F.SMK"},
      {"a name holding 0x20",
       FILE,
       WHOLE,
       {"3", "250"},
       {},
       SUCCESS,
       0,
       true,
       "FMV\\A B.SMK"},
      {"a name holding 0x7F",
       FILE,
       WHOLE,
       {"3", "250"},
       {},
       SUCCESS,
       0,
       true,
       "FMV\\\x7F.SMK"},
      {"named in capitals",
       CAPITALS,
       WHOLE,
       {"3", "250"},
       {},
       SUCCESS,
       0,
       true},
      {"another release, out of range",
       MOVED,
       WHOLE,
       {"3", "11"},
       {},
       HEADER + std::string(FRAMES_ERROR),
       2,
       false},
  };
  std::vector<uint8_t> moved = image;
  std::copy(image.begin() + GAME_TABLE_OFFSET,
            image.begin() + GAME_TABLE_OFFSET + GAME_TABLE_SIZE,
            moved.begin() + GAME_TABLE_OFFSET - 0x600);
  for (size_t at = GAME_TABLE_OFFSET; at < GAME_TABLE_OFFSET + GAME_TABLE_SIZE;
       ++at)
    moved[at] = filler_byte(at);
  const std::vector<uint8_t> zeros(image.size(), 0);
  std::vector<uint8_t> past_end(
      image.begin(), image.begin() + GAME_TABLE_OFFSET + GAME_TABLE_SIZE);
  put_16(past_end, record_field(5, RECORD_NAME_OFFSET_AT), 0xFFFF);
  const std::string capitals = dir.path() + "/DUNMARROW3.EXE";
  for (auto &r : rows) {
    std::filesystem::remove_all(game);
    std::filesystem::remove_all(capitals);
    const std::vector<uint8_t> &game_image = r.game == MOVED      ? moved
                                             : r.game == ZEROS    ? zeros
                                             : r.game == PAST_END ? past_end
                                                                  : image;
    std::vector<uint8_t> before(
        game_image.begin(),
        game_image.begin() + std::min(r.size, game_image.size()));
    if (r.name5 != nullptr)
      std::copy(r.name5, r.name5 + std::strlen(r.name5) + 1,
                before.begin() + GAME_NAME_BASE + SAMPLE_CLIPS[4].name_offset);
    const std::string &file = r.game == CAPITALS ? capitals : game;
    bool is_file = r.game != MISSING && r.game != DIRECTORY;
    if (is_file) {
      ASSERT_TRUE(write_bytes(file, before));
    }
    if (r.game == DIRECTORY) std::filesystem::create_directory(game);

    RunResult result = run(r.args, r.options);
    if (!r.options.output_closed) {
      EXPECT_EQ(result.out, BANNER + r.after_banner) << r.row;
    }
    EXPECT_EQ(result.status, r.status) << r.row;
    EXPECT_EQ(std::filesystem::exists(file), r.game != MISSING) << r.row;
    EXPECT_EQ(std::filesystem::is_directory(file), r.game == DIRECTORY)
        << r.row;
    if (is_file) {
      EXPECT_TRUE(read_bytes(file) ==
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
    auto value = [&](const std::string &option, std::string *to) {
      if (arg.rfind(option, 0) == 0) *to = arg.substr(option.size());
    };
    std::string wine_holder;
    value("--hold-with=", &g_holder);
    value("--launch-with=", &g_launcher);
    value("--hold-with-wine=", &wine_holder);
    value("--skip-terminal=", &g_skip_terminal);
    size_t comma = wine_holder.find(',');
    if (comma != std::string::npos)
      g_wine_holder = {wine_holder.substr(0, comma),
                       wine_holder.substr(comma + 1)};
    if (arg == "--native") g_native = true;
    if (arg != "--") continue;
    g_tool.assign(argv + i + 1, argv + argc);
    break;
  }
  return RUN_ALL_TESTS();
}
