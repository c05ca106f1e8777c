#include "../src/runtime/helpers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "../tools/sample_game.h"
#include "scratch_dir.h"

namespace {

TEST(ParseDecimal, TakesPlainDigitsThatFitIn32Bits) {
  struct {
    const char *text;
    DWORD value;
  } cases[] = {
      {"0", 0},
      {"7", 7},
      {"007", 7},
      {"131080", 131080},
      {"", 0},
      {"12a", 0},
      {"-1", 0},
      {"+1", 0},
      {" 1", 0},
      {"1 ", 0},
      {"0x10", 0},
      {"1,000", 0},
      {"4294967295", 4294967295u},
      {"4294967296", 0},
      {"4294967297", 0},  // does not wrap around to 1
      {"00000000004294967295", 4294967295u},
      {"99999999999999999999", 0},
  };
  for (auto c : cases) EXPECT_EQ(parse_decimal(c.text), c.value) << c.text;
}

TEST(PathBasename, PointsPastTheLastSeparatorOfEitherKind) {
  struct {
    const char *path;
    size_t base_at;
  } cases[] = {
      {"C:\\dir\\tool.exe", 7},
      {"dir/sub\\tool", 8},
      {"dir\\sub/tool", 8},
      {"dir\\", 4},
      {"tool", 0},
      {"", 0},
      {"/", 1},
  };
  for (auto c : cases)
    EXPECT_EQ(path_basename(c.path), c.path + c.base_at) << c.path;
}

class OpenFile : public ::testing::Test {
 protected:
  ScratchDir dir;
  std::string path = dir.path() + "/file";

  void SetUp() override { ASSERT_TRUE(write_bytes(path, {1, 2, 3})); }

  // What a handle opened with the mode allows: reading, writing.
  void expect_access(const char *mode, bool can_read, bool can_write) {
    HANDLE f = open_file(path.c_str(), mode);
    ASSERT_NE(f, nullptr) << mode;
    char byte = 0;
    EXPECT_EQ(read_file(f, &byte, 1) != 0, can_read) << mode;
    EXPECT_EQ(write_file(f, "w", 1) != 0, can_write) << mode;
    close_file(f);
  }
};

TEST_F(OpenFile, ModeCharactersChooseTheAccess) {
  expect_access("rb", true, false);
  expect_access("rb+", true, true);
  expect_access("+", false, true);
  expect_access("b", false, false);  // no access asked for, none given
  expect_access("", false, false);
}

TEST_F(OpenFile, OnlyWCreatesOrTruncates) {
  std::string missing = dir.path() + "/missing";
  EXPECT_EQ(open_file(missing.c_str(), "rb+"), nullptr);
  EXPECT_FALSE(std::filesystem::exists(missing));

  HANDLE f = open_file(path.c_str(), "rb+");
  ASSERT_NE(f, nullptr);
  close_file(f);
  EXPECT_EQ(std::filesystem::file_size(path), 3u);

  for (const std::string &name : {path, missing}) {
    f = open_file(name.c_str(), "wb");
    ASSERT_NE(f, nullptr) << name;
    close_file(f);
    EXPECT_EQ(std::filesystem::file_size(name), 0u) << name;
  }
}

TEST_F(OpenFile, FailsOnADirectoryOrAFileHeldElsewhere) {
  EXPECT_EQ(open_file(dir.path().c_str(), "rb+"), nullptr);
  EXPECT_EQ(open_file(dir.path().c_str(), "rb"), nullptr);

  HANDLE first = open_file(path.c_str(), "rb+");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(open_file(path.c_str(), "rb"), nullptr);  // no sharing either way
  close_file(first);

  int other = ::open(path.c_str(), O_RDONLY);  // as another program would
  ASSERT_GE(other, 0);
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(open_file(path.c_str(), "rb+"), nullptr);
  EXPECT_EQ(open_file(path.c_str(), "wb"), nullptr);
  EXPECT_EQ(std::filesystem::file_size(path), 3u);  // nothing truncated
  ::close(other);
  HANDLE again = open_file(path.c_str(), "rb+");
  EXPECT_NE(again, nullptr);
  close_file(again);
}

// Another process opens the file over and over while it is opened here: an
// open racing the lease probe must neither end this process (the lease break
// raises SIGIO) nor be kept waiting (up to the system's lease-break time).
TEST_F(OpenFile, AnOpenRacingTheProbeNeitherEndsNorHoldsUpEither) {
  using Clock = std::chrono::steady_clock;
  int stop[2], report[2];
  ASSERT_EQ(pipe(stop), 0);
  ASSERT_EQ(pipe(report), 0);
  pid_t opener = fork();
  if (opener == 0) {
    close(stop[1]);
    double longest = 0;
    pollfd stopped = {stop[0], POLLIN, 0};
    while (poll(&stopped, 1, 0) == 0) {
      Clock::time_point start = Clock::now();
      int fd = ::open(path.c_str(), O_RDONLY);
      std::chrono::duration<double> took = Clock::now() - start;
      if (fd >= 0) ::close(fd);
      longest = std::max(longest, took.count());
    }
    _exit(write(report[1], &longest, sizeof longest) == sizeof longest ? 0 : 1);
  }
  close(stop[0]);
  // Only an open that gets in can be raced by the other's next open; under
  // load whole thousands may find the other holding it, so the tries go on
  // (for at most 10 seconds) until some have got in.
  int opened = 0;
  Clock::time_point give_up = Clock::now() + std::chrono::seconds(10);
  for (int i = 0; (i < 5000 || opened < 100) && Clock::now() < give_up; ++i) {
    HANDLE f = open_file(path.c_str(), "rb+");
    if (f == nullptr) continue;  // the opener had it: as it must be
    ++opened;
    close_file(f);
  }
  close(stop[1]);
  double longest = -1;
  EXPECT_EQ(read(report[0], &longest, sizeof longest),
            static_cast<ssize_t>(sizeof longest));
  int status = 0;
  waitpid(opener, &status, 0);
  EXPECT_GT(opened, 0);
  EXPECT_LT(longest, 1.0) << "seconds the other open waited";
}

TEST_F(OpenFile, SeekAndReadReportShortTransfers) {
  HANDLE f = open_file(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char bytes[4] = {};
  EXPECT_TRUE(seek_file(f, 1));
  EXPECT_FALSE(read_file(f, bytes, 4));  // only two bytes are left
  EXPECT_EQ(g_transferred, 2u);
  EXPECT_EQ(bytes[0], 2);
  EXPECT_EQ(bytes[1], 3);
  // As on Windows, a read that meets the end of the file succeeds with the
  // bytes there were, and with none at the end.
  DWORD count = 99;
  EXPECT_TRUE(seek_file(f, 1));
  EXPECT_TRUE(ReadFile(f, bytes, 4, &count, nullptr));
  EXPECT_EQ(count, 2u);
  EXPECT_TRUE(ReadFile(f, bytes, 4, &count, nullptr));
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(seek_file(f, 0));
  EXPECT_TRUE(read_file(f, bytes, 3));
  close_file(f);
}

// Each handle reads its own file; a closed handle, and anything that is no
// open handle, is refused and never followed; a closed handle's slot serves
// the next open.
TEST_F(OpenFile, EachHandleIsItsOwnUntilClosed) {
  std::string other_path = dir.path() + "/other";
  ASSERT_TRUE(write_bytes(other_path, {7, 8, 9}));
  HANDLE first = open_file(path.c_str(), "rb");
  HANDLE other = open_file(other_path.c_str(), "rb");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(other, nullptr);
  char a = 0, b = 0;
  EXPECT_TRUE(read_file(other, &b, 1));
  EXPECT_TRUE(read_file(first, &a, 1));
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 7);
  EXPECT_TRUE(read_file(other, &b, 1));
  EXPECT_EQ(b, 8);

  EXPECT_TRUE(CloseHandle(first));
  int not_a_handle = 0;
  DWORD count = 0;
  for (HANDLE h : {first, INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr),
                   static_cast<HANDLE>(&not_a_handle)}) {
    EXPECT_FALSE(ReadFile(h, &a, 1, &count, nullptr));
    EXPECT_FALSE(WriteFile(h, &a, 1, &count, nullptr));
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_BEGIN),
              INVALID_SET_FILE_POINTER);
    EXPECT_FALSE(FlushFileBuffers(h));
    EXPECT_FALSE(CloseHandle(h));
  }
  EXPECT_EQ(not_a_handle, 0);

  EXPECT_EQ(open_file(other_path.c_str(), "rb"), nullptr);  // still held
  close_file(other);
  HANDLE again = open_file(path.c_str(), "rb");
  EXPECT_EQ(again, first);  // the first free slot
  EXPECT_TRUE(read_file(again, &a, 1));
  EXPECT_EQ(a, 1);
  close_file(again);
}

// Where the exact name is missing, the one entry of its folder whose name
// differs only in ASCII case is opened; with several, none is.
TEST_F(OpenFile, FindsANameWhateverItsCase) {
  struct {
    std::vector<std::string> files;
    const char *asked;
    const char *opened;  // null: the open fails
  } cases[] = {
      {{"DUNMARROW3.EXE"}, "Dunmarrow3.exe", "DUNMARROW3.EXE"},
      {{"dunmarrow3.exe"}, "Dunmarrow3.exe", "dunmarrow3.exe"},
      {{"Dunmarrow3.exe", "DUNMARROW3.EXE"},
       "Dunmarrow3.exe",
       "Dunmarrow3.exe"},
      {{"DUNMARROW3.EXE", "dunmarrow3.exe"}, "Dunmarrow3.exe", nullptr},
      {{"sub/GAME.EXE"}, "sub/game.exe", "sub/GAME.EXE"},
      {{"SUB/game.exe"}, "sub/game.exe", nullptr},  // folders are not looked up
      {{"Dunmarrow3.ex"}, "Dunmarrow3.exe", nullptr},
  };
  for (auto &c : cases) {
    ScratchDir folder;
    std::filesystem::create_directory(folder.path() + "/sub");
    std::filesystem::create_directory(folder.path() + "/SUB");
    for (size_t i = 0; i < c.files.size(); ++i)
      ASSERT_TRUE(write_bytes(folder.path() + "/" + c.files[i],
                              {static_cast<uint8_t>(i + 1)}));
    std::string asked = folder.path() + "/" + c.asked;
    HANDLE f = open_file(asked.c_str(), "rb+");
    EXPECT_EQ(f != nullptr, c.opened != nullptr) << c.asked;
    if (f == nullptr || c.opened == nullptr) continue;
    char byte = 0;
    EXPECT_TRUE(read_file(f, &byte, 1));
    std::vector<uint8_t> expected = read_bytes(folder.path() + "/" + c.opened);
    EXPECT_EQ(static_cast<uint8_t>(byte), expected.at(0)) << c.asked;
    close_file(f);
  }
}

// A file the user may only read opens for reading (and not for writing).
// Root may write anything, so the check runs as another user there.
TEST_F(OpenFile, OpensForReadingWhereTheUserMayOnlyRead) {
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && setresuid(65534, 65534, 65534) != 0) _exit(3);
    HANDLE f = open_file(path.c_str(), "rb");
    char byte = 0;
    bool read = f != nullptr && read_file(f, &byte, 1) && byte == 1;
    _exit(!read ? 1 : open_file(path.c_str(), "rb+") != nullptr ? 2 : 0);
  }
  int status = -1;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not read; 2: opened for writing";
}

}  // namespace
