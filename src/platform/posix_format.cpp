// Stand-in for USER32's wvsprintfA: the directives the tool's messages use.
#include "posix_windows.h"

namespace {

const int FORMAT_BUFFER_SIZE = 1024;  // wvsprintfA's own limit, NUL included

struct Output {
  char *out;
  int length;
};

void put(Output *o, char c) {
  if (o->length < FORMAT_BUFFER_SIZE - 1) o->out[o->length++] = c;
}

}  // namespace

int wvsprintfA(LPSTR out, LPCSTR format, va_list args) {
  Output o = {out, 0};
  for (const char *f = format; *f != '\0'; ++f) {
    if (*f != '%') {
      put(&o, *f);
      continue;
    }
    int width = 0;
    for (++f; *f >= '0' && *f <= '9'; ++f)
      if (width < FORMAT_BUFFER_SIZE) width = width * 10 + (*f - '0');
    bool is_long = *f == 'l';
    if (is_long) ++f;

    char digits[16];
    const char *text = digits;
    int length = 0;
    if (*f == 's') {
      text = va_arg(args, const char *);
      if (text == nullptr) text = "(null)";
      while (text[length] != '\0') ++length;
    } else if (*f == 'd' || (is_long && *f == 'u')) {
      // "%lu" takes a long, of which 32 bits count, as on Windows.
      uint32_t magnitude = 0;
      bool negative = false;
      if (*f == 'd') {
        int32_t value = va_arg(args, int);
        negative = value < 0;
        magnitude = static_cast<uint32_t>(value);
        if (negative) magnitude = 0u - magnitude;
      } else {
        magnitude = static_cast<uint32_t>(va_arg(args, unsigned long));
      }
      char reversed[16];
      int n = 0;
      do {
        reversed[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
      } while (magnitude != 0);
      if (negative) digits[length++] = '-';
      while (n > 0) digits[length++] = reversed[--n];
    } else if (*f == '\0') {
      break;  // a lone "%" at the end
    } else {  // "%%" and anything else stand for themselves
      digits[0] = *f;
      length = 1;
    }
    for (int pad = width - length; pad > 0; --pad) put(&o, ' ');
    for (int i = 0; i < length; ++i) put(&o, text[i]);
  }
  out[o.length] = '\0';
  return o.length;
}
