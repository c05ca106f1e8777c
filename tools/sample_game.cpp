#include "sample_game.h"

#include <cstring>
#include <fstream>

const SampleClip SAMPLE_CLIPS[14] = {
    {0x1000, "FMV\\INTRO.SMK", 145},
    {0x1040, "FMV\\CLIP02.SMK", 95},
    {0x1080, "fmv/clip03.smk", 40},
    {0x10C0, "films\\clip07.abc", 300},
    {0x1100, "movie01", 1},
    {0x1140, "a/b\\c.xyz", 0},
    {0x1180, "data\\movies\\a_very_long_clip_name_here.smk", 65535},
    {0x1200, "FMV\\AB", 20},
    {0x1240, "FMV\\", 70},
    {0x1280, "FMV\\ENDING.SMK", 500},
    {0x12C0, "FMV/CREDITS.SMK", 245},
    {0x1300, "FMV\\BOSS.SMK", 1000},
    {0x1340, "FMV\\OUTRO.SMK", 250},
    {0x1380, "FMV\\SECRET.SMK", 12},
};

const SampleClip RELEASE_CLIPS[14] = {
    {0x1000, "FMV\\INTRO.SMK", 145},    {0x1020, "FMV\\TOWN.SMK", 115},
    {0x1040, "FMV\\CAVERN.SMK", 40},    {0x1060, "FMV\\BRIDGE.SMK", 85},
    {0x1080, "FMV\\DRAGON.SMK", 205},   {0x10A0, "FMV\\BETRAYAL.SMK", 175},
    {0x10C0, "FMV\\SIEGE.SMK", 295},    {0x10E0, "FMV\\ESCAPE.SMK", 70},
    {0x1100, "FMV\\TEMPLE.SMK", 130},   {0x1120, "FMV\\VISION.SMK", 55},
    {0x1140, "FMV\\THRONE.SMK", 160},   {0x1160, "FMV\\FINALE.SMK", 445},
    {0x1180, "FMV\\ENDING.SMK", 595},   {0x11A0, "FMV\\CREDITS.SMK", 1195},
};

uint8_t filler_byte(size_t at) {
  return static_cast<uint8_t>(1 + (at * 131 + (at >> 8)) % 255);
}

std::vector<uint8_t> game_image(const SampleClip (&clips)[14]) {
  std::vector<uint8_t> image(SAMPLE_GAME_SIZE);
  for (size_t i = 0; i < image.size(); ++i) image[i] = filler_byte(i);
  for (int k = 0; k < 14; ++k) {
    const SampleClip &clip = clips[k];
    put_16(image, record_field(k + 1, RECORD_NAME_OFFSET_AT), clip.name_offset);
    put_16(image, record_field(k + 1, RECORD_DURATION_CODE_AT),
           clip.duration_code);
    std::memcpy(&image[GAME_NAME_BASE + clip.name_offset], clip.name,
                std::strlen(clip.name) + 1);
  }
  return image;
}

bool write_bytes(const std::string &path, const std::vector<uint8_t> &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}
