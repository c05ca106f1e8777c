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
  EXPECT_EQ(format("%2lu | %6d | %s", 1ul, 250, "clip01.dat"),
            " 1 |    250 | clip01.dat");
  EXPECT_EQ(format("%2lu|%6d", 14ul, 131080), "14|131080");
  EXPECT_EQ(format("%lu", 4294967295ul), "4294967295");
  EXPECT_EQ(format("%d|%d", -2147483647 - 1, 0), "-2147483648|0");
  EXPECT_EQ(format("[%5s][%4d][%3d]", "cd", 12, -7), "[   cd][  12][ -7]");
  EXPECT_EQ(format("[%1s][%s]", "long", static_cast<const char *>(nullptr)),
            "[long][(null)]");
  // Nothing else is a directive: each prints its letter and takes nothing.
  EXPECT_EQ(format("%% %u %x %c %-5s|%s", "x"), "% u x c -5s|x");
  EXPECT_EQ(format("100%"), "100");
  EXPECT_EQ(format("100%5"), "100");
}

TEST(Wvsprintf, NeverWritesMoreThan1024Bytes) {
  struct {
    char out[1024];
    char guard[64];
  } g;
  std::memset(&g, 0x5A, sizeof g);
  std::string long_text(3000, 'a');
  const char *text = long_text.c_str();
  const char *formats[] = {"%s", "%s%s", "x%s", "%2000s|", "%2000s"};
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
