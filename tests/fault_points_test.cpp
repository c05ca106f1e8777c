// Every single failure point of a run, tried in turn: the Nth file operation
// (open, seek, read, write, close) or the Nth console write fails. The table
// is written only when it was read whole, a failed write is reported as one,
// console failures change nothing else, and the file is always either as it
// was or as asked.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <string>
#include <vector>

#include "../tools/sample_game.h"
#include "expected.h"
#include "run_process.h"
#include "scratch_dir.h"

namespace {

using Args = std::vector<std::string>;

class FaultPoints : public ::testing::Test {
 protected:
  ScratchDir dir;
  std::string game = dir.path() + "/Dunmarrow3.exe";
  std::string report = dir.path() + "/counts";
  std::vector<uint8_t> image = sample_game_image();
  std::vector<uint8_t> new_image = changed(image, 3, 120);

  void TearDown() override {
    unsetenv("FMVFRAMES_SHORT_TRANSFERS");
    unsetenv("FMVFRAMES_FAIL_FILE_OP");
    unsetenv("FMVFRAMES_FAIL_CONSOLE_WRITE");
    unsetenv("FMVFRAMES_FAULT_REPORT");
  }

  // Runs on a fresh game file with the failure point set (0: none).
  RunResult run(const char *variable, long fail_at, const Args &args) {
    EXPECT_TRUE(write_bytes(game, image));
    setenv(variable, std::to_string(fail_at).c_str(), 1);
    setenv("FMVFRAMES_FAULT_REPORT", report.c_str(), 1);
    Args command = {FMVFRAMES_FAULTS};
    command.insert(command.end(), args.begin(), args.end());
    RunResult r = run_process(command, dir.path());
    unsetenv(variable);
    EXPECT_EQ(r.err, "");
    return r;
  }

  // How many file operations and console writes a clean run makes.
  void count(const Args &args, long *file_ops, long *console_writes) {
    run("FMVFRAMES_FAIL_FILE_OP", 0, args);
    std::ifstream in(report);
    in >> *file_ops >> *console_writes;
  }
};

TEST_F(FaultPoints, FileOperationsInAChange) {
  const Args change = {"3", "250"};
  const std::string success =
      HEADER + std::string("Movie #3 length: 250 frames [changed]\r\n\r\n");
  struct Point {
    const char *operation;
    std::string after_banner;
    int status;
    bool written;
  };
  const Point open = {"open", OPEN_ERROR, 1, false},
              table = {"seek to or read the table", READ_ERROR, 1, false},
              name = {"seek to or read a name",
                      HEADER + std::string(NAMES_ERROR), 1, false},
              seek_back = {"seek back", HEADER + std::string(WRITE_ERROR), 1,
                           false},
              write = {"write the table", HEADER + std::string(WRITE_ERROR), 1,
                       false},
              // The write reached the file, but not the disk: not reported
              // as done.
      flush = {"flush", HEADER + std::string(FLUSH_ERROR), 1, true},
              close = {"close", success, 0, true};  // the table is on the disk
  // Open, seek and read the table, seek and read each of the 14 names, seek
  // back, write, flush, close.
  std::vector<const Point *> points = {&open, &table, &table};
  for (int k = 0; k < 14; ++k) points.insert(points.end(), {&name, &name});
  points.insert(points.end(), {&seek_back, &write, &flush, &close});

  long file_ops = 0, console_writes = 0;
  count(change, &file_ops, &console_writes);
  ASSERT_EQ(file_ops, static_cast<long>(points.size()));
  for (long n = 1; n <= file_ops; ++n) {
    const Point &p = *points[n - 1];
    RunResult r = run("FMVFRAMES_FAIL_FILE_OP", n, change);
    EXPECT_EQ(r.out, BANNER + p.after_banner) << p.operation << " " << n;
    EXPECT_EQ(r.status, p.status) << p.operation << " " << n;
    EXPECT_TRUE(read_bytes(game) == (p.written ? new_image : image))
        << p.operation << " " << n;
  }
}

TEST_F(FaultPoints, FileOperationsInAListing) {
  long file_ops = 0, console_writes = 0;
  count({}, &file_ops, &console_writes);
  ASSERT_EQ(file_ops, 3 + 2 * 14 + 1);  // open, table, 14 names, close
  for (long n = 1; n <= file_ops; ++n) {
    RunResult r = run("FMVFRAMES_FAIL_FILE_OP", n, {});
    EXPECT_TRUE(read_bytes(game) == image) << n;
    std::string expected;
    if (n == 1) {
      expected = OPEN_ERROR;
    } else if (n <= 3) {
      expected = READ_ERROR;
    } else {
      // Clip k's name is sought at 4 + 2(k - 1) and read at the next: either
      // failing leaves that row without a name and the rest whole, and the
      // name unchecked. Past the names, the close.
      int nameless = n < file_ops ? static_cast<int>(n - 4) / 2 + 1 : 0;
      expected = HEADER + sample_rows(nameless) + usage("fmvframes_faults") +
                 (nameless ? RELEASE_NOTE : "");
    }
    EXPECT_EQ(r.out, BANNER + expected) << n;
    EXPECT_EQ(r.status, n <= 3 ? 1 : 0) << n;
  }
}

// A system may move fewer bytes than asked in one call: reads and writes of
// the game file and of the console then go on until all are moved, and the
// run is the same as any other.
TEST_F(FaultPoints, TransfersInPiecesMoveEverything) {
  for (Args args : {Args{"3", "250"}, Args{}}) {
    RunResult whole = run("FMVFRAMES_FAIL_FILE_OP", 0, args);
    std::vector<uint8_t> after = read_bytes(game);
    for (const char *piece : {"1", "5", "24"}) {
      setenv("FMVFRAMES_SHORT_TRANSFERS", piece, 1);
      RunResult r = run("FMVFRAMES_FAIL_FILE_OP", 0, args);
      unsetenv("FMVFRAMES_SHORT_TRANSFERS");
      EXPECT_EQ(r.out, whole.out) << piece;
      EXPECT_EQ(r.status, whole.status) << piece;
      EXPECT_TRUE(read_bytes(game) == after) << piece;
    }
  }
}

TEST_F(FaultPoints, ConsoleWritesChangeNothingElse) {
  struct {
    Args args;
    const std::vector<uint8_t> &after;
  } modes[] = {{{"3", "250"}, new_image}, {{}, image}, {{"0", "250"}, image}};
  for (auto &m : modes) {
    long file_ops = 0, console_writes = 0;
    count(m.args, &file_ops, &console_writes);
    RunResult clean = run("FMVFRAMES_FAIL_CONSOLE_WRITE", 0, m.args);
    ASSERT_GT(console_writes, 5);
    for (long n = 1; n <= console_writes; ++n) {
      RunResult r = run("FMVFRAMES_FAIL_CONSOLE_WRITE", n, m.args);
      EXPECT_EQ(r.status, clean.status) << n;
      EXPECT_TRUE(read_bytes(game) == m.after) << n;
    }
  }
}

}  // namespace
