#include "command_line.h"

namespace {

struct Output {
  char *buffer;  // null in the counting pass
  int count;

  void store(char c) {
    if (buffer != nullptr) *buffer++ = c;
    ++count;
  }
};

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Backslashes and double quotes mean nothing in the program name, and no
// blank is needed after a quoted one.
const char *split_program_name(const char *p, Output *out) {
  if (*p == '"') {
    for (++p; *p != '\0' && *p != '"'; ++p) out->store(*p);
    out->store('\0');
    if (*p == '"') ++p;
  } else {
    for (; *p != '\0' && !is_blank(*p); ++p) out->store(*p);
    out->store('\0');
  }
  return p;
}

// One argument, from its first character up to the blank or NUL that ends it.
const char *split_argument(const char *p, Output *out) {
  bool quoting = false;
  for (;; ++p) {
    bool keep_char = true;
    int n = 0;
    for (; *p == '\\'; ++p) ++n;
    if (*p == '"') {
      // 2n backslashes: n of them, and the quote opens or closes a quoted
      // stretch. 2n + 1: n of them and a literal quote.
      if (n % 2 == 0) {
        // Two quotes in a quoted stretch: one literal quote, and the
        // stretch ends.
        if (quoting && p[1] == '"')
          ++p;
        else
          keep_char = false;
        quoting = !quoting;
      }
      n /= 2;
    }
    for (; n > 0; --n) out->store('\\');
    if (*p == '\0' || (!quoting && is_blank(*p))) {
      out->store('\0');
      return p;
    }
    if (keep_char) out->store(*p);
  }
}

}  // namespace

void split_command_line(const char *text, char **vector, char *buffer,
                        int *argc_out, int *nchars_out) {
  Output out = {buffer, 0};
  int argc = 1;
  if (vector != nullptr) vector[0] = out.buffer;
  const char *p = split_program_name(text, &out);
  for (;;) {
    while (is_blank(*p)) ++p;
    if (*p == '\0') break;
    if (vector != nullptr) vector[argc] = out.buffer;
    ++argc;
    p = split_argument(p, &out);
  }
  *argc_out = argc;
  *nchars_out = out.count;
}

char **build_argv(int *argc_out) {
  if (argc_out == nullptr) return nullptr;
  const char *text = GetCommandLineA();
  char module_name[MAX_PATH + 2];
  if (text == nullptr || *text == '\0') {
    // Quoted, so that a folder name with a blank stays in the program name.
    DWORD n = GetModuleFileNameA(nullptr, module_name + 1, MAX_PATH);
    if (n >= MAX_PATH) n = 0;  // cut short: no trustworthy name
    module_name[0] = '"';
    module_name[n + 1] = '"';
    module_name[n + 2] = '\0';
    text = module_name;
  }

  int nchars = 0;
  split_command_line(text, nullptr, nullptr, argc_out, &nchars);
  DWORD slots = static_cast<DWORD>(*argc_out) + 1;
  char **block = static_cast<char **>(
      LocalAlloc(LMEM_FIXED, slots * sizeof(char *) + nchars));
  if (block == nullptr) return nullptr;
  block[slots - 1] = nullptr;
  split_command_line(text, block, reinterpret_cast<char *>(block + slots),
                     argc_out, &nchars);
  return block;
}
