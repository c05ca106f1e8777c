// console_printf against a platform that records every console write, so
// that the exact sequence of writes, empty ones included, can be checked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../src/patcher/command.h"
#include "../src/runtime/console_wait.h"
#include "recording_console.h"

// The formats come from the cases.
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat-nonliteral"

// The console as start-up finds it, behind the calls that report it.
namespace {
struct Console {
  DWORD processes;  // attached to it, as GetConsoleProcessList counts
  bool window;
  DWORD window_owner;
  bool visible;
  bool input_is_console;
  bool output_is_console;
} g_console;
const DWORD SELF = 4242;
char g_window, g_input;
}  // namespace

DWORD GetConsoleProcessList(LPDWORD processes, DWORD count) {
  for (DWORD i = 0; i < g_console.processes && i < count; ++i)
    processes[i] = SELF + i;
  return g_console.processes;
}
HWND GetConsoleWindow() { return g_console.window ? &g_window : nullptr; }
DWORD GetWindowThreadProcessId(HWND window, LPDWORD process) {
  EXPECT_EQ(window, &g_window);
  *process = g_console.window_owner;
  return 1;
}
BOOL IsWindowVisible(HWND window) {
  EXPECT_EQ(window, &g_window);
  return g_console.visible;
}
HANDLE GetStdHandle(DWORD which) {
  return which == STD_INPUT_HANDLE ? &g_input : nullptr;
}
BOOL GetConsoleMode(HANDLE console, LPDWORD mode) {
  *mode = 3;
  if (console == &g_input) return g_console.input_is_console;
  return console == g_stdout && g_console.output_is_console;
}

namespace {

template <typename... Args>
std::vector<std::string> writes_of(const char *format, Args... args) {
  start_recording();
  EXPECT_EQ(console_printf(format, args...), 0);
  return g_console_writes;
}

using Writes = std::vector<std::string>;

TEST(ConsolePrintf, WritesEachLinePieceThenCrLf) {
  struct {
    const char *text;
    Writes writes;
  } cases[] = {
      {"", {""}},
      {"abc", {"abc"}},
      {"abc\n", {"abc", "\r\n", ""}},
      {"\n\n", {"", "\r\n", "", "\r\n", ""}},
      {"a\nb", {"a", "\r\n", "b"}},
      {"a\r\nb", {"a\r", "\r\n", "b"}},  // an existing CR goes out unchanged
      {"\r", {"\r"}},
  };
  for (auto &c : cases) EXPECT_EQ(writes_of(c.text), c.writes) << c.text;
}

TEST(ConsolePrintf, FormatsBeforeTranslating) {
  EXPECT_EQ(writes_of("Movie #%lu length: %lu frames [changed]\n\n", 3ul,
                      250ul),
            (Writes{"Movie #3 length: 250 frames [changed]", "\r\n", "", "\r\n",
                    ""}));
  EXPECT_EQ(writes_of("%s|%s\n", "x\ny", ""),
            (Writes{"x", "\r\n", "y|", "\r\n", ""}));
}

TEST(ConsolePrintf, SendsAtMost1023Characters) {
  std::string text(600, 'a');
  text += "\n";
  text += std::string(1000, 'b');
  Writes writes = writes_of("%s", text.c_str());
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0], std::string(600, 'a'));
  EXPECT_EQ(writes[1], "\r\n");
  EXPECT_EQ(writes[2], std::string(1023 - 601, 'b'));
}

TEST(ConsoleWait, WaitsOnlyInAConsoleMadeForThisProgram) {
  struct {
    const char *situation;
    Console console;
    bool waits;
  } cases[] = {
      {"double-clicked: a console and window of its own",
       {1, true, SELF, true, true, true},
       true},
      {"from cmd, PowerShell or a batch file",
       {2, true, SELF + 1, true, true, true},
       false},
      {"two processes, though the window is this program's",
       {2, true, SELF, true, true, true},
       false},
      {"shares the console with more processes",
       {5, true, SELF, true, true, true},
       false},
      {"Wine from a terminal", {1, true, SELF + 7, true, true, true}, false},
      {"a console of its own, its window hidden (a script's or a task's)",
       {1, true, SELF, false, true, true},
       false},
      {"a new console with no window", {1, false, 0, false, true, true}, false},
      {"no console at all", {0, false, 0, false, false, false}, false},
      {"own console, input redirected",
       {1, true, SELF, true, false, true},
       false},
      {"own console, output redirected",
       {1, true, SELF, true, true, false},
       false},
  };
  for (auto &c : cases) {
    g_console = c.console;
    start_recording();
    wait_if_console_is_own();  // its read of the input fails here at once
    std::string shown;
    for (const std::string &piece : g_console_writes) shown += piece;
    EXPECT_EQ(shown, c.waits ? "\r\nPress Enter to close this window.\r\n" : "")
        << c.situation;
  }
}

TEST(ConsoleWait, OneEnterEndsTheWait) {
  const std::string long_line(64, 'x');  // fills the reader's buffer
  struct {
    const char *situation;
    Writes input;
    size_t left_unread;
  } cases[] = {
      {"Enter alone, in one piece", {"\r\n", "\r\n"}, 1},
      {"a long line, in pieces", {long_line, "x\r\n", "\r\n"}, 1},
      {"CR and LF in pieces of their own", {"x\r", "\n", "\r\n"}, 1},
      {"input that ends without Enter", {"x"}, 0},
  };
  for (auto &c : cases) {
    g_console = {1, true, SELF, true, true, true};
    start_recording();
    g_console_input = c.input;
    wait_if_console_is_own();
    EXPECT_EQ(g_console_input.size(), c.left_unread) << c.situation;
  }
}

TEST(PatcherMain, WithoutAnArgumentVectorSaysSoAndLeavesTheFileAlone) {
  for (int argc : {1, 3}) {
    start_recording();
    EXPECT_EQ(patcher_main(argc, nullptr), 1);
    std::string shown;
    for (const std::string &piece : g_console_writes) shown += piece;
    // No open error either: the file is not even opened.
    EXPECT_EQ(shown.substr(shown.find("\r\n\r\n") + 4),
              "Error: not enough memory for the command line.\r\n\r\n");
  }
}

}  // namespace
