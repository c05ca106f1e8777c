// Any mix of the directives the formatter knows, and others, with widths and
// arguments: wvsprintfA never writes past its 1024 bytes, and console_printf
// sends the first 1023 characters of the text with every line feed as CR LF.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../tests/recording_console.h"

namespace {

// The first three take an argument; the others print their letter.
const char *const DIRECTIVES[] = {"s", "d", "lu", "%", "q", "u", "x", "c"};
const int ARGUMENTS = 16;

// The format: bytes below 0x80 stand for themselves (a "%" doubled, so that
// it takes no argument); a byte from 0x80 up is a directive, an unknown one
// among them, with its width taken from its bits and the next byte. A 0xFF byte
// ends the format with a stray "%". No more directives take an argument than
// there are arguments.
std::string make_format(const uint8_t *data, size_t size, size_t *used) {
  std::string format;
  int arguments = 0;
  size_t i = 0;
  for (; i < size && data[i] != 0xFF; ++i) {
    uint8_t b = data[i];
    if (b < 0x80) {
      if (b == '%') format += '%';
      if (b != 0) format += static_cast<char>(b);
      continue;
    }
    format += '%';
    if (b & 0x10 && i + 1 < size) format += std::to_string(data[++i] * 8);
    const char *directive = DIRECTIVES[(b & 0x0F) % 8];
    bool takes_argument = (b & 0x0F) % 8 < 3;
    if (takes_argument && ++arguments > ARGUMENTS) directive = "%";
    format += directive;
  }
  if (i < size) format += '%';
  *used = i;
  return format;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  size_t used = 0;
  std::string format = make_format(data, size, &used);

  // Arguments: texts cut from the rest of the input. Numeric directives read
  // their 32 bits from these pointer-sized slots, which is all they need.
  std::string rest(reinterpret_cast<const char *>(data) + used, size - used);
  std::string texts[ARGUMENTS];
  for (int k = 0; k < ARGUMENTS; ++k)
    texts[k] = rest.substr(k * rest.size() / ARGUMENTS, rest.size() / ARGUMENTS)
                   .c_str();
#define ARGS                                                                  \
  texts[0].c_str(), texts[1].c_str(), texts[2].c_str(), texts[3].c_str(),     \
      texts[4].c_str(), texts[5].c_str(), texts[6].c_str(), texts[7].c_str(), \
      texts[8].c_str(), texts[9].c_str(), texts[10].c_str(),                  \
      texts[11].c_str(), texts[12].c_str(), texts[13].c_str(),                \
      texts[14].c_str(), texts[15].c_str()

  char *out = static_cast<char *>(malloc(1024));  // overruns are reported
  auto format_into = [&](const char *f, ...) {
    va_list args;
    va_start(args, f);
    int n = wvsprintfA(out, f, args);
    va_end(args);
    return n;
  };
  int n = format_into(format.c_str(), ARGS);
  if (n < 0 || n > 1023 || out[n] != '\0') abort();
  std::string text(out, static_cast<size_t>(n));
  free(out);

  start_recording();
  console_printf(format.c_str(), ARGS);
#undef ARGS
  std::string sent, expected;
  for (const std::string &piece : g_console_writes) {
    if (piece == "\r\n") {
      sent += '\n';
    } else {
      if (piece.find('\n') != std::string::npos) abort();
      sent += piece;
    }
  }
  expected = text;
  if (sent != expected) abort();
  return 0;
}
