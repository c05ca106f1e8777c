// console_printf against a platform that records every console write, so
// that the exact sequence of writes, empty ones included, can be checked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../src/patcher/command.h"
#include "recording_console.h"

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
  EXPECT_EQ(writes_of("Movie #%lu length: %lu frames [changed]\n\n", DWORD{3},
                      DWORD{250}),
            (Writes{"Movie #3 length: 250 frames [changed]", "\r\n", "",
                    "\r\n", ""}));
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
