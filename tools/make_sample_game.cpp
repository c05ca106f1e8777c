// Writes a sample "Dunmarrow3.exe" into the folder given (default: here).
#include <cstdio>
#include <string>

#include "sample_game.h"

int main(int argc, char **argv) {
  std::string path = argc > 1 ? std::string(argv[1]) + "/" : "";
  path += "Dunmarrow3.exe";
  if (!write_bytes(path, sample_game_image())) {
    std::fprintf(stderr, "make_sample_game: can not write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
