// Makes a gift program for the end-to-end tests of the play room: a copy of
// the gift template with a generated puzzle appended as its payload.
//
//   tandrill_gift_maker TEMPLATE OUT [COLUMNS ROWS PIECE_SIZE [MUSIC_FILE [TITLE]]]
//
// A music file, when given, is carried inside the puzzle.

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "data/puzzle_data.h"
#include "platform/files.h"
#include "platform/program_payload.h"
#include "platform/random.h"

namespace {

std::shared_ptr<Gdiplus::Bitmap> MakePicture(int width, int height) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(width, height, PixelFormat::Format24bppRGB);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned r = 255u * static_cast<unsigned>(x) / static_cast<unsigned>(width);
      const unsigned g = 255u * static_cast<unsigned>(y) / static_cast<unsigned>(height);
      const unsigned b = ((x / 20 + y / 20) % 2) ? 200u : 60u;
      picture->SetPixel(x, y, 0xFF000000u | r << 16 | g << 8 | b);
    }
  return picture;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s TEMPLATE OUT [COLUMNS ROWS PIECE_SIZE [MUSIC_FILE [TITLE]]]\n", argv[0]);
    return 2;
  }
  const int columns = argc > 3 ? std::atoi(argv[3]) : 4;
  const int rows = argc > 4 ? std::atoi(argv[4]) : 3;
  const int pieceSize = argc > 5 ? std::atoi(argv[5]) : 100;
  platform::SeedRand(4242);

  char folder[] = "/tmp/tandrill_gift_XXXXXX";
  if (!mkdtemp(folder)) return 1;
  CPuzzleData::SetPuzzleFolder(folder);
  CPuzzleData puzzle("gift");
  puzzle.SetPicture(MakePicture(columns * pieceSize, rows * pieceSize));
  puzzle.GetCutter().SetPieceSize(pieceSize);
  puzzle.SetTitle(argc > 7 ? argv[7] : "Checkers");
  if (argc > 6 && *argv[6]) puzzle.SetMusicFile(argv[6]);
  std::string text;
  const bool made = puzzle.Save() && platform::ReadWholeFile(CPuzzleData::GetPuzzleFileName("gift"), 64u << 20, text);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  if (!made) return 1;

  std::filesystem::copy_file(argv[1], argv[2], std::filesystem::copy_options::overwrite_existing, ignored);
  if (ignored || !platform::AppendPayload(argv[2], text)) return 1;
  std::filesystem::permissions(argv[2], std::filesystem::perms::owner_exec, std::filesystem::perm_options::add, ignored);
  return 0;
}
