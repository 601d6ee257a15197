// A small program of the project for the gallery's end-to-end test. It
// prepares a data folder, or runs the real game (the same root object, rooms
// and library as tandrill) and walks into the gallery once the store room is
// up, for builds whose store room does not yet offer its gallery command.
//
//   tandrill_gallery_demo --prepare SOLVED_COUNT   writes into TANDRILL_DATA_DIR
//   tandrill_gallery_demo                          runs the game, enters the gallery

#include <cstdlib>
#include <memory>
#include <string>

#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/timer.h"
#include "data/control_styles_default.h"
#include "data/library.h"
#include "data/puzzle_data.h"
#include "platform/message_loop.h"

namespace {

std::shared_ptr<Gdiplus::Bitmap> MakePicture(int width, int height, unsigned tint) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(width, height, PixelFormat::Format24bppRGB);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned r = 255u * static_cast<unsigned>(x) / static_cast<unsigned>(width);
      const unsigned g = 255u * static_cast<unsigned>(y) / static_cast<unsigned>(height);
      picture->SetPixel(x, y, 0xFF000000u | ((r << 16 | g << 8 | 0x80u) ^ tint));
    }
  return picture;
}

// Up to four solved puzzles ("harbour" and "meadow" on the wall, "castle"
// and "tower" in the category "Travel") and one unfinished one; with 0
// solved, only the unfinished one. Each solved puzzle took 1 min 5 s more than the last.
int Prepare(int solved) {
  CPuzzleLibrary library;
  library.AddCategory(new CPuzzleCategoryData("Travel", MakePicture(120, 90, 0x203040u)));
  struct Entry {
    const char* name;
    const char* category;
    int w, h;
    unsigned tint;
  } entries[] = {{"harbour", "", 400, 300, 0x000000u},   {"castle", "Travel", 300, 400, 0x406000u},
                 {"tower", "Travel", 250, 400, 0x004060u}, {"meadow", "", 500, 250, 0x008040u},
                 {"unfinished", "Travel", 300, 300, 0x804000u}};
  int made = 0;
  for (const Entry& s : entries) {
    const bool done = std::string(s.name) != "unfinished" && made < solved;
    if (done) ++made;
    auto picture = MakePicture(s.w, s.h, s.tint);
    auto* entry = new CPuzzleImageData(picture.get(), s.name);
    entry->SetSelected(false);
    entry->SetCategory(s.category);
    entry->SetPercentCompleted(done ? 100 : 30);
    entry->SetSize(Size(s.w, s.h));
    library.AddPuzzleImage(entry);
    CPuzzleData puzzle(s.name);
    puzzle.SetPicture(picture);
    puzzle.GetCutter().SetPieceSize(60);
    puzzle.SetTimePlayed(made * 65000);
    puzzle.SetCompleted(done);
    if (!puzzle.Save()) return 1;
  }
  return library.SaveFile().ok ? 0 : 1;
}

int RunIntoGallery() {
  if (!platform::InitialiseMessaging()) return 1;
  CRSEventDispatcher::Create();
  CRSGlobalEvents::Get();
  CRSTimerStatic::Create();
  CRSControlStylesDefault::Install();
  platform::MessageLoop loop;
  {
    CPuzzleView view;
    if (!view.Create()) return 1;
    view.GetWindow()->ShowMaximized();
    // Queued after the view's own first GoHome, so the store room is up
    // (and gone again) exactly as when the player asks for the gallery.
    CRSSignalEmittedTroughEvent0 enter;
    enter.connect(view.GetPuzzleCanvas(), &CPuzzleCanvas::ShowGallery);
    enter.EmitLater();
    loop.Run();
  }
  DiscardEvents();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--prepare") return Prepare(std::atoi(argv[2]));
  return RunIntoGallery();
}
