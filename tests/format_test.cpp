// The POSIX stand-in for wvsprintfA, against what Windows prints.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../src/platform/platform.h"

namespace {

int format_into(char *out, const char *f, ...) {
  va_list args;
  va_start(args, f);
  int n = wvsprintfA(out, f, args);
  va_end(args);
  return n;
}

template <typename... Args>
std::string format(const char *f, Args... args) {
  char out[1024];
  int n = format_into(out, f, args...);
  EXPECT_EQ(n, static_cast<int>(std::strlen(out)));
  return out;
}

TEST(Wvsprintf, FormatsTheDirectivesTheToolUses) {
  EXPECT_EQ(format("%2lu | %6d | %s", DWORD{1}, 250, "clip01.dat"),
            " 1 |    250 | clip01.dat");
  EXPECT_EQ(format("%2lu|%6d", DWORD{14}, 131080), "14|131080");
  EXPECT_EQ(format("%lu", DWORD{4294967295u}), "4294967295");
  EXPECT_EQ(format("%d|%d", -2147483647 - 1, 0), "-2147483648|0");
  EXPECT_EQ(format("%u %x %c %%", 7u, 0xBEEFu, 'q'), "7 beef q %");
  EXPECT_EQ(format("[%-5s][%5s][%-4d]", "ab", "cd", 12), "[ab   ][   cd][12  ]");
  EXPECT_EQ(format("[%05d][%04x][%06d]", 42, 0xAu, -42), "[00042][000a][-00042]");
  EXPECT_EQ(format("[%1s][%s]", "long", static_cast<const char *>(nullptr)),
            "[long][(null)]");
  EXPECT_EQ(format("100%"), "100");
}

TEST(Wvsprintf, NeverWritesMoreThan1024Bytes) {
  struct {
    char out[1024];
    char guard[64];
  } g;
  std::memset(&g, 0x5A, sizeof g);
  std::string long_text(3000, 'a');
  const char *text = long_text.c_str();
  const char *formats[] = {"%s", "%s%s", "x%s", "%-2000s|", "%2000s"};
  for (const char *f : formats) {
    std::memset(g.out, 0x5A, sizeof g.out);
    EXPECT_EQ(format_into(g.out, f, text, text), 1023) << f;
    EXPECT_EQ(g.out[1023], '\0') << f;
    for (char c : g.guard) ASSERT_EQ(c, 0x5A) << f;
  }
  EXPECT_EQ(format_into(g.out, "%2000d", 5), 1023);
  EXPECT_EQ(format_into(g.out, "%s", "short"), 5);
}

}  // namespace
