// Runs a program the way a player would, and captures what it shows.
#pragma once

#include <string>
#include <vector>

struct RunResult {
  std::string out;
  std::string err;
  int status = -1;  // the exit status; -1 when it did not exit by itself
};

struct RunOptions {
  long file_size_limit = -1;  // 0 or more: the size, in bytes, files may reach
  bool ignore_file_size_signal = false;  // SIGXFSZ is ignored when it starts
  bool output_closed = false;  // its output is a pipe nobody reads from
  // fsync and fdatasync fail with EIO, as on a disk that takes a write into
  // its cache and fails it later (a filter the system applies to the program,
  // Wine's own calls included).
  bool flush_fails = false;
};

// Runs command (program and arguments) in the folder cwd.
RunResult run_process(const std::vector<std::string> &command,
                      const std::string &cwd, const RunOptions &options = {});

// A program left running: its standard input and output are pipes of ours.
struct Background {
  int pid = -1;
  int in = -1;   // closing it tells the program to finish
  int out = -1;
};

Background start_process(const std::vector<std::string> &command,
                         const std::string &cwd);
// Closes the program's input and waits for it; returns its exit status.
int finish_process(Background *program);
// Reads the program's output into seen until it holds text; false at its end
// first.
bool wait_for_output(const Background &program, const std::string &text,
                     std::string *seen);
