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

void put_padding(Output *o, char c, int count) {
  for (int i = 0; i < count; ++i) put(o, c);
}

// Digits of value in the base, most significant first; returns their count.
int to_digits(uint32_t value, uint32_t base, char *digits) {
  char reversed[32];
  int n = 0;
  do {
    reversed[n++] = "0123456789abcdef"[value % base];
    value /= base;
  } while (value != 0);
  for (int i = 0; i < n; ++i) digits[i] = reversed[n - 1 - i];
  return n;
}

}  // namespace

int wvsprintfA(LPSTR out, LPCSTR format, va_list args) {
  Output o = {out, 0};
  for (const char *f = format; *f != '\0'; ++f) {
    if (*f != '%') {
      put(&o, *f);
      continue;
    }
    ++f;
    bool left = false, zero = false;
    for (;; ++f) {
      if (*f == '-')
        left = true;
      else if (*f == '0')
        zero = true;
      else
        break;
    }
    int width = 0;
    for (; *f >= '0' && *f <= '9'; ++f)
      if (width < FORMAT_BUFFER_SIZE) width = width * 10 + (*f - '0');
    if (*f == 'l') ++f;  // "unsigned long" is 32-bit on Windows

    char digits[32];
    const char *text = digits;
    int length = 0;
    char sign = '\0';
    bool numeric = true;
    switch (*f) {
      case 'd': {
        int32_t v = va_arg(args, int32_t);
        uint32_t magnitude = static_cast<uint32_t>(v);
        if (v < 0) {
          sign = '-';
          magnitude = 0u - magnitude;
        }
        length = to_digits(magnitude, 10, digits);
        break;
      }
      case 'u':
        length = to_digits(va_arg(args, uint32_t), 10, digits);
        break;
      case 'x':
        length = to_digits(va_arg(args, uint32_t), 16, digits);
        break;
      case 'c':
        digits[0] = static_cast<char>(va_arg(args, int));
        length = 1;
        numeric = false;
        break;
      case 's':
        text = va_arg(args, const char *);
        if (text == nullptr) text = "(null)";
        while (text[length] != '\0') ++length;
        numeric = false;
        break;
      case '\0':
        --f;  // a lone "%" at the end: the loop ends on the NUL
        continue;
      default:  // "%%" and anything unknown stand for themselves
        digits[0] = *f;
        length = 1;
        numeric = false;
        break;
    }

    int pad = width - length - (sign != '\0' ? 1 : 0);
    if (!left && !(zero && numeric)) put_padding(&o, ' ', pad);
    if (sign != '\0') put(&o, sign);
    if (!left && zero && numeric) put_padding(&o, '0', pad);
    for (int i = 0; i < length; ++i) put(&o, text[i]);
    if (left) put_padding(&o, ' ', pad);
  }
  out[o.length] = '\0';
  return o.length;
}
