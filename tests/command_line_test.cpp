// Splitting the command line, and the argument block build_argv makes, over a
// platform of the test's own: its command line, module name and allocator.
#include "../src/runtime/command_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char *g_command_line;
const char *g_module_name;  // null: the name can't be had
bool g_out_of_memory;
size_t g_allocated;  // the size of the last block handed out

const size_t GUARD = 64;

}  // namespace

LPSTR GetCommandLineA() { return const_cast<LPSTR>(g_command_line); }

// As Windows does: a name that does not fit is cut to size characters, with
// no NUL, and size is returned.
DWORD GetModuleFileNameA(HMODULE, LPSTR name, DWORD size) {
  if (g_module_name == nullptr) return 0;
  size_t length = std::strlen(g_module_name);
  if (length >= size) {
    std::memcpy(name, g_module_name, size);
    return size;
  }
  std::memcpy(name, g_module_name, length + 1);
  return static_cast<DWORD>(length);
}

// Each block is followed by guard bytes, checked when it is freed.
HLOCAL LocalAlloc(UINT, SIZE_T bytes) {
  if (g_out_of_memory) return nullptr;
  g_allocated = bytes;
  char *block = static_cast<char *>(std::malloc(bytes + GUARD));
  std::memset(block, 0x5A, bytes + GUARD);
  return block;
}

HLOCAL LocalFree(HLOCAL memory) {
  char *block = static_cast<char *>(memory);
  for (size_t i = 0; i < GUARD; ++i)
    EXPECT_EQ(block[g_allocated + i], 0x5A) << "overrun at " << i;
  std::free(memory);
  return nullptr;
}

namespace {

struct Split {
  std::vector<std::string> args;
  int nchars;
};

Split split(const char *text) {
  int argc = -1, nchars = -1;
  split_command_line(text, nullptr, nullptr, &argc, &nchars);

  // The filling pass writes exactly what the counting pass measured.
  std::vector<char *> slots(argc + 1, nullptr);
  std::vector<char> chars(nchars + GUARD, 0x5A);
  int filled_argc = -1, filled_nchars = -1;
  split_command_line(text, slots.data(), chars.data(), &filled_argc,
                     &filled_nchars);
  EXPECT_EQ(filled_argc, argc) << text;
  EXPECT_EQ(filled_nchars, nchars) << text;
  for (size_t i = 0; i < GUARD; ++i)
    EXPECT_EQ(chars[nchars + i], 0x5A) << text;
  EXPECT_EQ(slots[argc], nullptr);

  Split result{{}, nchars};
  for (int i = 0; i < argc; ++i) result.args.push_back(slots[i]);
  return result;
}

using Args = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheClassicQuoteAndBackslashRules) {
  struct {
    const char *text;
    Args args;
    int nchars;
  } cases[] = {
      {"p a b", {"p", "a", "b"}, 6},
      {"\"C:\\My Dir\\prog.exe\" 3 100", {"C:\\My Dir\\prog.exe", "3", "100"},
       25},
      {"p \"a b\" c", {"p", "a b", "c"}, 8},
      {"p a\\\\b", {"p", "a\\\\b"}, 7},
      {"p a\\\"b", {"p", "a\"b"}, 6},
      {"pr\tog a", {"pr", "og", "a"}, 8},
      {"p a\\\\\"b c\"", {"p", "a\\b c"}, 8},
      {"p \\\\\\\\\"a\"", {"p", "\\\\a"}, 6},
      {"p \\\\\\\"a", {"p", "\\\"a"}, 6},
      {"p \"a\"\"b c\"", {"p", "a\"b", "c"}, 8},
      {"p \"\"\"\"", {"p", "\""}, 4},
      {"p \"a b", {"p", "a b"}, 6},
      {"p \"\" x", {"p", "", "x"}, 5},
      {"p a\"b\"c", {"p", "abc"}, 6},
      {"\"pr og\"x y", {"pr og", "x", "y"}, 10},
      {"p ab\\", {"p", "ab\\"}, 6},
      // Beyond the classic examples:
      {"p", {"p"}, 2},
      {"p   \t ", {"p"}, 2},  // trailing blanks make no argument
      {"p\t3\t250", {"p", "3", "250"}, 8},
      {"\"C:\\My Dir\\prog.exe", {"C:\\My Dir\\prog.exe"}, 19},  // unclosed
      {"\"a\\\"b c", {"a\\", "b", "c"}, 7},  // no escapes in the program name
      {"", {""}, 1},
      {"p \"\"", {"p", ""}, 3},
      {"p \\\\", {"p", "\\\\"}, 5},
  };
  for (auto &c : cases) {
    Split s = split(c.text);
    EXPECT_EQ(s.args, c.args) << c.text;
    EXPECT_EQ(s.nchars, c.nchars) << c.text;
  }
}

class BuildArgv : public ::testing::Test {
 protected:
  void SetUp() override {
    g_command_line = "fmvframes 3 250";
    g_module_name = "C:\\Games\\Dunmarrow 3\\fmvframes.exe";
    g_out_of_memory = false;
  }

  // The block's slots and characters, checked to lie inside it.
  Args block_args(char **block, int argc) {
    const char *begin = reinterpret_cast<const char *>(block);
    const char *end = begin + g_allocated;
    EXPECT_EQ(block[argc], nullptr);
    Args args;
    for (int i = 0; i < argc; ++i) {
      EXPECT_GE(block[i], reinterpret_cast<const char *>(block + argc + 1));
      EXPECT_LT(block[i] + std::strlen(block[i]), end);
      args.push_back(block[i]);
    }
    return args;
  }
};

TEST_F(BuildArgv, MakesOneBlockOfExactlyTheSizeNeeded) {
  int argc = 0;
  char **block = build_argv(&argc);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(argc, 3);
  EXPECT_EQ(g_allocated, 4 * sizeof(char *) + 16);
  EXPECT_EQ(block_args(block, argc), (Args{"fmvframes", "3", "250"}));
  LocalFree(block);
}

TEST_F(BuildArgv, FallsBackToTheModuleNameWhole) {
  const std::string longest = "C:\\" + std::string(253, 'd') + ".ex";  // 259
  const std::string too_long = longest + "e";  // fills all 260 characters
  struct {
    const char *command_line;
    const char *module_name;
    Args args;
  } cases[] = {
      {nullptr, "C:\\Games\\Dunmarrow 3\\fmvframes.exe",
       {"C:\\Games\\Dunmarrow 3\\fmvframes.exe"}},
      {"", "C:\\Games\\Dunmarrow 3\\fmvframes.exe",
       {"C:\\Games\\Dunmarrow 3\\fmvframes.exe"}},
      {"", longest.c_str(), {longest}},
      {"", too_long.c_str(), {""}},  // cut short: not a name to trust
      {"", nullptr, {""}},           // no name at all
  };
  for (auto &c : cases) {
    g_command_line = c.command_line;
    g_module_name = c.module_name;
    int argc = 0;
    char **block = build_argv(&argc);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block_args(block, argc), c.args);
    LocalFree(block);
  }
}

TEST_F(BuildArgv, ReturnsNullWithoutACountOrMemory) {
  EXPECT_EQ(build_argv(nullptr), nullptr);
  g_out_of_memory = true;
  int argc = 0;
  EXPECT_EQ(build_argv(&argc), nullptr);
  EXPECT_EQ(argc, 3);
}

}  // namespace
