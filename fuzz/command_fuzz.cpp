// The whole command on any game file and any arguments: the table is written
// only when all of it was read and the 14 names are file names (not empty,
// no byte from 1 to 31), the file keeps its length, and no byte changes but the two of one
// duration_code, to the value asked for.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "../src/patcher/command.h"
#include "../src/runtime/helpers.h"
#include "../tests/scratch_dir.h"
#include "../tools/sample_game.h"

namespace {

const size_t TABLE_END = GAME_TABLE_OFFSET + GAME_TABLE_SIZE;

std::vector<uint8_t> *g_base;

// The input: a byte for the argument count, two for the file's length, the
// two arguments each ended by a NUL, then bytes laid over the table and,
// repeated, over the names' region. Lengths below the table's end come
// often, so that short files are tried as much as whole ones.
struct Case {
  int argc;
  std::string args[2];
  std::vector<uint8_t> image;
};

Case make_case(const uint8_t *data, size_t size) {
  Case c;
  c.argc = size > 0 ? 1 + data[0] % 4 : 3;
  unsigned cut = size > 2 ? (data[1] | data[2] << 8) % 1024 : 1023;
  size_t length = cut < 512 ? GAME_TABLE_OFFSET - 64 + cut : g_base->size();
  size_t i = 3;
  for (std::string &arg : c.args)
    for (; i < size && data[i++] != '\0';) arg += static_cast<char>(data[i - 1]);

  c.image.assign(g_base->begin(), g_base->begin() + length);
  const uint8_t *rest = data + (i < size ? i : size);
  size_t rest_size = size - (rest - data);
  if (rest_size > 0) {
    for (size_t k = 0; k < GAME_TABLE_SIZE && GAME_TABLE_OFFSET + k < length; ++k)
      c.image[GAME_TABLE_OFFSET + k] = rest[k % rest_size];
    for (size_t at = GAME_NAME_BASE; at < GAME_NAME_BASE + 0x10000 && at < length; ++at)
      if (at < GAME_TABLE_OFFSET || at >= TABLE_END)
        c.image[at] = rest[(at - GAME_NAME_BASE) % rest_size];
  }
  return c;
}

// True when a name, read as the tool reads it (31 bytes at most, up to a NUL
// or the end of the file), is empty or holds a byte from 1 to 31.
bool names_are_no_file_names(const std::vector<uint8_t> &image) {
  for (int clip = 1; clip <= 14; ++clip) {
    size_t at = record_field(clip, RECORD_NAME_OFFSET_AT);
    size_t name = GAME_NAME_BASE + (image[at] | image[at + 1] << 8);
    if (name >= image.size() || image[name] == 0) return true;
    for (size_t j = 0; j < 31 && name + j < image.size(); ++j) {
      uint8_t byte = image[name + j];
      if (byte == 0) break;
      if (byte < 32) return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  static ScratchDir dir;
  static std::vector<uint8_t> base = sample_game_image();
  g_base = &base;
  if (chdir(dir.path().c_str()) != 0) abort();
  int null_out = open("/dev/null", O_WRONLY);
  dup2(null_out, STDOUT_FILENO);  // the tool's output is not looked at here
  signal(SIGPIPE, SIG_IGN);
  g_stdout = GetStdHandle(STD_OUTPUT_HANDLE);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Case c = make_case(data, size);
  if (!write_bytes("Dunmarrow3.exe", c.image)) abort();

  char program[] = "fmvframes", extra[] = "x";
  char *argv[] = {program, c.args[0].data(), c.args[1].data(), extra, nullptr};
  if (c.argc < 4) argv[c.argc] = nullptr;
  int status = patcher_main(c.argc, argv);

  std::vector<uint8_t> after = read_bytes("Dunmarrow3.exe");
  if (after.size() != c.image.size()) abort();
  bool whole_table = c.image.size() >= TABLE_END;
  if (!whole_table && (status != STATUS_FAILED || after != c.image)) abort();

  DWORD clip = parse_decimal(c.args[0].c_str());
  DWORD frames = parse_decimal(c.args[1].c_str());
  bool valid = clip >= 1 && clip <= 14 && frames >= 12 && frames <= 131080;
  bool foreign = whole_table && names_are_no_file_names(c.image);
  std::vector<uint8_t> expected = c.image;
  if (whole_table && c.argc == 3 && valid && !foreign)
    put_16(expected, record_field(static_cast<int>(clip), RECORD_DURATION_CODE_AT),
           static_cast<uint16_t>(frames / 2 - 5));
  if (after != expected) abort();
  int expected_status = !whole_table                 ? STATUS_FAILED
                        : c.argc == 3 && !valid      ? STATUS_BAD_ARGUMENT
                        : c.argc == 3 && foreign     ? STATUS_FAILED
                                                     : STATUS_OK;
  if (status != expected_status) abort();
  return 0;
}
