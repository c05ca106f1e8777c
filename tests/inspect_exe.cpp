// Reads a Windows program's resources back as Windows does, and checks them:
//   inspect_exe PROGRAM VERSION
// The manifest must parse into an activation context that runs the program
// as the invoker and names the five Windows releases it supports; the version
// resource must carry VERSION and the product's names. Prints what it found;
// exits 1 when anything differs.
#include <stdio.h>
#include <string.h>
#include <windows.h>

namespace {

int g_failures = 0;

void check(bool ok, const char *what) {
  printf("%s: %s\n", ok ? "ok" : "FAILED", what);
  if (!ok) ++g_failures;
}

// Windows Vista, 7, 8, 8.1 and 10/11, as their GUIDs lie in memory.
const GUID SUPPORTED_OS[] = {
    {0xe2011457,
     0x1546,
     0x43c5,
     {0xa5, 0xfe, 0x00, 0x8d, 0xee, 0xe3, 0xd3, 0xf0}},
    {0x35138b9a,
     0x5d96,
     0x4fbd,
     {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},
    {0x4a2f28e3,
     0x53b9,
     0x4441,
     {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},
    {0x1f676c76,
     0x80e1,
     0x4239,
     {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},
    {0x8e0f7a12,
     0xbfb3,
     0x4fe8,
     {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}},
};

void check_manifest(const char *program) {
  ACTCTXA request = {};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = program;
  request.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE context = CreateActCtxA(&request);
  if (context == INVALID_HANDLE_VALUE) {
    printf("CreateActCtxA: error %lu\n", GetLastError());
    check(false, "the manifest parses");
    return;
  }
  check(true, "the manifest parses");

  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
  SIZE_T size = 0;
  BOOL queried =
      QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext,
                   &level, sizeof level, &size);
  printf("run level %d, UI access %lu\n", static_cast<int>(level.RunLevel),
         level.UiAccess);
  check(queried && level.RunLevel == 1 && level.UiAccess == 0,
        "runs as the invoker (level 1), without UI access");

  // The elements' size differs between releases of the headers: look for
  // each GUID in the answer's bytes.
  static unsigned char compatibility[4096];
  queried = QueryActCtxW(0, context, nullptr,
                         CompatibilityInformationInActivationContext,
                         compatibility, sizeof compatibility, &size);
  DWORD elements = 0;
  memcpy(&elements, compatibility, sizeof elements);
  int found = 0;
  for (const GUID &os : SUPPORTED_OS)
    for (SIZE_T at = sizeof elements; at + sizeof os <= size; ++at)
      if (memcmp(compatibility + at, &os, sizeof os) == 0) {
        ++found;
        break;
      }
  printf("%lu compatibility elements, %d of the 5 releases\n", elements, found);
  check(queried && elements == 5 && found == 5,
        "supports Windows Vista, 7, 8, 8.1 and 10/11");
  ReleaseActCtx(context);
}

void check_string(const void *info, const char *name, const char *expected) {
  char path[128];
  snprintf(path, sizeof path, "\\StringFileInfo\\040904B0\\%s", name);
  void *value = nullptr;
  UINT length = 0;
  bool found = VerQueryValueA(info, path, &value, &length) && length > 0;
  const char *text = found ? static_cast<const char *>(value) : "(none)";
  printf("%s: %s\n", name, text);
  char what[160];
  snprintf(what, sizeof what, "%s is \"%s\"", name, expected);
  check(found && strcmp(text, expected) == 0, what);
}

void check_version(const char *program, const char *version) {
  static char info[8192];
  DWORD size = GetFileVersionInfoSizeA(program, nullptr);
  if (size == 0 || size > sizeof info ||
      !GetFileVersionInfoA(program, 0, sizeof info, info)) {
    check(false, "has a version resource");
    return;
  }
  VS_FIXEDFILEINFO *fixed = nullptr;
  UINT length = 0;
  char numbers[64] = "(none)";
  if (VerQueryValueA(info, "\\", reinterpret_cast<void **>(&fixed), &length) &&
      length >= sizeof *fixed)
    snprintf(numbers, sizeof numbers, "%lu.%lu.%lu.%lu",
             fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF,
             fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF);
  char expected[64];
  snprintf(expected, sizeof expected, "%s.0", version);
  printf("file version %s\n", numbers);
  check(strcmp(numbers, expected) == 0, "the file version is the project's");
  check(fixed != nullptr &&
            fixed->dwProductVersionMS == fixed->dwFileVersionMS &&
            fixed->dwProductVersionLS == fixed->dwFileVersionLS,
        "the product version is the file version");

  check_string(info, "FileVersion", version);
  check_string(info, "ProductVersion", version);
  check_string(info, "ProductName", "fmvframes");
  check_string(info, "OriginalFilename", "fmvframes.exe");
  check_string(info, "FileDescription", "Dunmarrow 3 FMV frame counts");
  check_string(info, "LegalCopyright",
               "(c) 2026 the fmvframes authors, MIT license");
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: inspect_exe PROGRAM VERSION\n");
    return 2;
  }
  check_manifest(argv[1]);
  check_version(argv[1], argv[2]);
  return g_failures == 0 ? 0 : 1;
}
