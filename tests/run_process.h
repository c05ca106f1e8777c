// Runs a program the way a player would, and captures what it shows.
#pragma once

#include <string>
#include <vector>

struct RunResult {
  std::string out;
  std::string err;
  int status = -1;  // the exit status; -1 when it did not exit by itself
};

// Runs command (program and arguments) in the folder cwd. A file_size_limit
// of 0 or more caps the size of files it may write, in bytes.
RunResult run_process(const std::vector<std::string> &command,
                      const std::string &cwd, long file_size_limit = -1);
