// The monkey player's data folder (TANDRILL_DATA_DIR), made and checked:
//
//   tandrill_monkey_library make MUSIC_FILE [LARGE_WIDTH LARGE_HEIGHT LARGE_PIECE]
//     the samples of a first start, and one puzzle of every kind beside
//     them: a surprise, one with music, one whose pieces turn (two of
//     them in a tray), a solved one, a large one (by default 600 pieces)
//     and a full picture, some in a category of their own.
//   tandrill_monkey_library seeds
//     the same kinds as small puzzles, without the samples: the seeds of
//     the fuzz targets (scripts/make-fuzz-seeds.sh).
//   tandrill_monkey_library check
//     reads the library and every puzzle file in the data folder with the
//     game's own readers; prints what it found, exits 1 on the first file
//     that does not read.
//   tandrill_monkey_library keyboard
//     gives the X display's keyboard keys of their own for the letters
//     beyond ASCII that the monkey types (KEY_NAMES in monkey.py), as a
//     European keyboard has them.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/first_start.h"
#include "canvas/event_dispatcher.h"
#include "data/library.h"
#include "data/puzzle_category_data.h"
#include "data/puzzle_data.h"
#include "data/puzzle_image_data.h"
#include "data/puzzle_table_view.h"
#include "platform/bitmap.h"
#include "platform/paths.h"

// Last: its macros (Status, None) would rename the game's own names.
#include <X11/Xlib.h>

namespace {

std::shared_ptr<Gdiplus::Bitmap> Picture(int w, int h, unsigned seed) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(w, h, PixelFormat::Format24bppRGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const unsigned r = (static_cast<unsigned>(x) * 255u / static_cast<unsigned>(w) + seed * 40u) & 0xFFu;
      const unsigned g = static_cast<unsigned>(y) * 255u / static_cast<unsigned>(h);
      const unsigned b = ((x / 24 + y / 24 + static_cast<int>(seed)) % 2) ? 210u : 50u;
      picture->SetPixel(x, y, 0xFF000000u | r << 16 | g << 8 | b);
    }
  return picture;
}

struct Kind {
  const char* name;
  const char* category;
  int width, height, pieceSize;
  bool surprise, music, rotate, solved, full;
};

bool Add(CPuzzleLibrary& library, const Kind& k, const std::string& musicFile, unsigned seed) {
  CPuzzleData puzzle(k.name);
  puzzle.SetPicture(Picture(k.width, k.height, seed));
  puzzle.GetCutter().SetPieceSize(k.pieceSize);
  puzzle.SetTitle(std::string("The ") + k.name + " puzzle");
  puzzle.SetSurprise(k.surprise);
  puzzle.SetRotatePiecesWhenScatter(k.rotate);
  puzzle.SetCompleted(k.solved);
  puzzle.SetFullPicture(k.full);
  if (k.music && !musicFile.empty()) puzzle.SetMusicFile(musicFile);
  if (k.solved) puzzle.SetTimePlayed(95000);
  // The one whose pieces turn keeps two of them in a tray, a letter
  // beyond ASCII in its title.
  if (k.rotate)
    puzzle.SetTrays({{"Edges \u00fc", RectF(40.0f, 60.0f, 260.0f, 180.0f), 0.5f, {Point(0, 0), Point(1, 0)}}});
  if (k.full) {
    // Left zoomed out and panned, on a table larger than the picture.
    CPuzzleTableView view;
    view.zoom = 0.5f;
    view.viewOrigin = PointF(-40.0f, -30.0f);
    view.tableSize = SizeF(static_cast<float>(k.width) * 2.0f, static_cast<float>(k.height) * 2.0f);
    puzzle.SetTableView(view);
  }
  if (!puzzle.Save()) return false;
  auto* entry = new CPuzzleImageData(puzzle.GetPicture().get(), k.name);
  entry->SetSelected(false);
  entry->SetTitle(puzzle.GetTitle());
  entry->SetCategory(k.category);
  entry->SetSurprise(k.surprise);
  entry->SetPercentCompleted(k.solved ? 100 : 0);
  entry->SetNumberOfPieces((k.width / k.pieceSize) * (k.height / k.pieceSize));
  entry->SetSize(Size(k.width, k.height));
  // The large one lies clear of the Samples window a first start opens in
  // the middle of the floor, so that it can be opened at once.
  const PointF place(120.0f + 90.0f * static_cast<float>(seed % 6), 260.0f + 70.0f * static_cast<float>(seed / 6));
  entry->SetPosition(std::string(k.name) == "large" ? PointF(700.0f, 10.0f) : place);
  library.AddPuzzleImage(entry);
  return true;
}

int Make(int argc, char** argv, bool small) {
  const std::string music = argc > 2 ? argv[2] : "";
  const int largeWidth = argc > 3 ? std::atoi(argv[3]) : 1200;
  const int largeHeight = argc > 4 ? std::atoi(argv[4]) : 800;
  const int largePiece = argc > 5 ? std::atoi(argv[5]) : 40;
  CPuzzleLibrary library;
  if (!small && !app::AddSamplePuzzlesOnFirstStart(library, true)) return 1;
  library.AddCategory(new CPuzzleCategoryData("Kinds", Picture(96, 64, 9)));
  const Kind kinds[] = {
      {"surprise", "Kinds", 480, 320, 80, true, false, false, false, false},
      {"music", "Kinds", 480, 320, 80, false, true, false, false, false},
      {"rotated", "", 400, 300, 100, false, false, true, false, false},
      {"solved", "", 360, 240, 60, false, false, false, true, false},
      {"large", "", largeWidth, largeHeight, largePiece, false, false, false, false, false},
      {"full", "Kinds", 900, 600, 60, false, false, false, false, true},
  };
  unsigned seed = 0;
  for (Kind k : kinds) {
    if (small) k.width = 160, k.height = 120, k.pieceSize = 40;
    if (!Add(library, k, music, seed++)) return 1;
  }
  return library.SaveFile().ok ? 0 : 1;
}

int Check() {
  CPuzzleLibrary library;
  const CPuzzleLibrary::LoadResult read = library.LoadFile();
  if (read.showError || read.parseResult != CRSXMLParser::kSuccess) {
    std::printf("the library does not read: %s\n", read.errorText.c_str());
    return 1;
  }
  int files = 0;
  std::error_code error;
  for (const auto& f : std::filesystem::directory_iterator(platform::GetDataDirectory() + "puzzles", error)) {
    if (f.path().extension() != ".pzl") continue;
    CPuzzleData puzzle(f.path().stem().string());
    if (!puzzle.Load()) {
      std::printf("the puzzle file %s does not read\n", f.path().c_str());
      return 1;
    }
    ++files;
  }
  for (const auto& entry : library.GetPuzzleImages())
    if (!std::filesystem::exists(CPuzzleData::GetPuzzleFileName(entry->GetName()), error)) {
      std::printf("the puzzle %s has no file\n", entry->GetName().c_str());
      return 1;
    }
  std::printf("library of %zu puzzles and %zu categories, %d puzzle files read\n", library.GetPuzzleImages().size(),
              library.GetCategories().size(), files);
  return 0;
}

// xdotool presses a letter that has a key as a player would; for one that
// has none it binds a spare key for the moment and takes it away again,
// racing with the game's looking the key up. Each letter without a key gets
// the highest key code that has no symbol.
int Keyboard(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  int low = 0, high = 0, perCode = 0;
  XDisplayKeycodes(display, &low, &high);
  KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(low), high - low + 1, &perCode);
  int code = high;
  for (int i = 2; i < argc; ++i) {
    KeySym sym = XStringToKeysym(argv[i]);
    if (sym == NoSymbol || XKeysymToKeycode(display, sym) != 0) continue;
    while (code >= low && map[(code - low) * perCode] != NoSymbol) --code;
    if (code < low) break;
    XChangeKeyboardMapping(display, code--, 1, &sym, 1);
  }
  XFree(map);
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CRSEventDispatcher::Create();
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "keyboard") return Keyboard(argc, argv);
  const int rc = what == "make" || what == "seeds" ? Make(argc, argv, what == "seeds") : what == "check" ? Check() : 2;
  DiscardEvents();
  return rc;
}
