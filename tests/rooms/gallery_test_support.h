#pragma once
// The real main window, headless, with a library prepared for the gallery:
// solved and unfinished puzzles with their puzzle files, and categories.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "data/puzzle_data.h"
#include "platform/message_loop.h"
#include "rooms/gallery_room.h"
#include "tests/app/root_scene.h"

namespace gallery_test {

inline std::shared_ptr<Gdiplus::Bitmap> Picture(int w, int h, ARGB colour) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(w, h, PixelFormat::Format24bppRGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) picture->SetPixel(x, y, colour ^ static_cast<ARGB>((x * 7 + y) & 0x3F));
  return picture;
}

class GalleryScene : public RootScene {
 protected:
  void SetUp() override {
    RootScene::SetUp();
    canvas->SetSize(SizeF(1000, 700));
    Deliver();
  }
  void Deliver() { Pump(4); }

  // An entry of w × h pixels at the given progress; a puzzle file with the
  // playing time is written unless withFile is false.
  CPuzzleImageData* AddPuzzle(const std::string& name, int percent, const std::string& category = {},
                              std::int32_t timeMs = 0, bool withFile = true, int w = 200, int h = 150) {
    auto picture = Picture(w, h, 0xFF336699u + static_cast<ARGB>(name.size() * 0x1020));
    auto* entry = new CPuzzleImageData(picture.get(), name);
    entry->SetSelected(false);
    entry->SetPercentCompleted(percent);
    entry->SetCategory(category);
    entry->SetSize(Size(w, h));
    canvas->GetLibrary().AddPuzzleImage(entry);
    if (withFile) {
      CPuzzleData puzzle(name);
      puzzle.SetPicture(picture);
      puzzle.GetCutter().SetPieceSize(50);
      puzzle.SetTimePlayed(timeMs);
      puzzle.SetCompleted(percent == 100);
      EXPECT_TRUE(puzzle.Save());
    }
    return entry;
  }
  CPuzzleCategoryData* AddCategory(const std::string& title) {
    auto* category = new CPuzzleCategoryData(title, Picture(90, 70, 0xFF884422u));
    canvas->GetLibrary().AddCategory(category);
    return category;
  }
  CPuzzleGalleryRoom* Enter() {
    canvas->ShowGallery();
    Deliver();
    return dynamic_cast<CPuzzleGalleryRoom*>(canvas->GetCurrentRoom());
  }
  // Selects an item as a click does, and double-clicks it when asked.
  void Click(CRSCanvasItem* item, bool twice = false) {
    auto* mouse = CBehaviourSignalMousEvents::GetOrCreate(item);
    mouse->sigPressedItemLater.emit(CRSAutoPtrPolymorphic<CRSCanvasItem>(item));
    if (twice) mouse->sigDoubleClickedLater.emit();
    Deliver();
  }
  // The open message boxes on the root window.
  std::vector<CRSMessageBox*> Boxes() {
    std::vector<CRSMessageBox*> boxes;
    for (const auto& child : canvas->GetChildren())
      if (auto* box = dynamic_cast<CRSMessageBox*>(child.get()); box && !box->IsClosing()) boxes.push_back(box);
    return boxes;
  }
  static std::vector<std::string> Names(const CPuzzleGalleryRoom& room) {
    std::vector<std::string> names;
    for (const auto& item : room.GetFloorItems())
      if (item) names.push_back(item->GetName());
    return names;
  }
};

}  // namespace gallery_test
