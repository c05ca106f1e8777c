// Writes a sample "Dunmarrow3.exe" into the folder given: one that looks like
// a release of the game, or with --edge-cases the tests' one.
#include <cstdio>
#include <cstring>
#include <string>

#include "sample_game.h"

int main(int argc, char **argv) {
  bool edge_cases = argc == 3 && std::strcmp(argv[1], "--edge-cases") == 0;
  const char *folder = argv[argc - 1];
  if (argc != 2 + edge_cases || folder[0] == '-') {
    std::fprintf(stderr, "usage: make_sample_game [--edge-cases] FOLDER\n");
    return 2;
  }
  std::string path = std::string(folder) + "/Dunmarrow3.exe";
  if (!write_bytes(path, game_image(edge_cases ? SAMPLE_CLIPS : RELEASE_CLIPS))) {
    std::fprintf(stderr, "make_sample_game: can not write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
