#include "app/puzzle_canvas.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/library_read_ahead.h"
#include "app/puzzle_view.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "data/control_styles_default.h"
#include "platform/brush.h"
#include "platform/message_loop.h"
#include "platform/paths.h"
#include "rooms/store_room.h"
#include "tests/app/root_scene.h"

namespace {

// The real main window, headless: the root object, its floor and the first
// room, driven through the message loop as the game runs them.
class PuzzleCanvasScene : public RootScene {
 protected:
  void SetUp() override {
    RootScene::SetUp();
    Deliver();
  }
  void Deliver() { Pump(1); }
  int CountNamed(const CRSObject* parent, const std::string& name) {
    int n = 0;
    for (const auto& child : parent->GetChildren()) {
      if (child && child->GetName() == name) ++n;
    }
    return n;
  }
};

TEST_F(PuzzleCanvasScene, FirstRoomCaptionAndGradient) {
  // The first room opens from the loop, once; a second GoHome finds it.
  ASSERT_NE(dynamic_cast<CPuzzleStoreRoom*>(canvas->GetCurrentRoom()), nullptr);
  CRSObject* first = canvas->GetCurrentRoom();
  canvas->GoHome();
  Deliver();
  EXPECT_EQ(canvas->GetCurrentRoom(), first);
  EXPECT_EQ(CountNamed(canvas->GetFloor(), "roomTitle"), 1);
  EXPECT_EQ(canvas->GetLibrary().GetStoreRoom(), first);

  view.GetWindow()->ShowMaximized();
  Deliver();
  const Size client = view.GetWindow()->GetClientSize();
  EXPECT_EQ(canvas->GetSize().Width, client.Width) << "the root fills the maximised window";
  EXPECT_EQ(canvas->GetSize().Height, client.Height);

  EXPECT_EQ(canvas->GetCaption(), "Tandrill");
  canvas->SetCaption("Store Room");
  EXPECT_EQ(canvas->GetCaption(), "Tandrill: Store Room");

  // Background texture first, the gradient over it, rebuilt on resize over
  // a square as large as the longer side.
  canvas->SetSize(SizeF(800, 600));
  ASSERT_EQ(canvas->GetBrushCount(), 2);
  EXPECT_EQ(canvas->GetBrush(0)->GetType(), Gdiplus::BrushTypeTextureFill);
  auto* gradient = dynamic_cast<Gdiplus::LinearGradientBrush*>(canvas->GetBrush(1));
  ASSERT_NE(gradient, nullptr);
  RectF square;
  gradient->GetRectangle(&square);
  EXPECT_FLOAT_EQ(square.Width, 800);
  EXPECT_FLOAT_EQ(square.Height, 800);
  Gdiplus::Color colours[2];
  gradient->GetLinearColors(colours);
  EXPECT_EQ(colours[0].GetValue(), 0x30666666u);
  EXPECT_EQ(colours[1].GetValue(), 0xF0666666u);
  canvas->SetGradientColour(0xFF123456);
  canvas->SetSize(SizeF(640, 900));
  gradient = dynamic_cast<Gdiplus::LinearGradientBrush*>(canvas->GetBrush(1));
  gradient->GetRectangle(&square);
  EXPECT_FLOAT_EQ(square.Width, 900);
  gradient->GetLinearColors(colours);
  EXPECT_EQ(colours[0].GetValue(), 0x30123456u) << "only the low 24 bits are kept";
  // A new caption re-lays the title bar; the background stays.
  canvas->SetCaption("A much longer caption than before");
  EXPECT_EQ(canvas->GetBrush(0)->GetType(), Gdiplus::BrushTypeTextureFill);
}

TEST_F(PuzzleCanvasScene, BackgroundThatIsNotAPictureKeepsTheOldOne) {
  const std::string text = platform::GetDataDirectory() + "notes.jpg";
  std::ofstream(text) << "not a picture";
  const auto before = canvas->GetBackgroundImage();
  EXPECT_FALSE(canvas->SetBackgroundFile(text));
  EXPECT_EQ(canvas->GetBackgroundImage(), before);
  int boxes = 0;
  for (const auto& child : canvas->GetChildren()) {
    if (auto* box = dynamic_cast<CRSMessageBox*>(child.get())) {
      ++boxes;
      EXPECT_EQ(box->GetCaption(), "ERROR") << box->GetTextItem()->GetText();
    }
  }
  EXPECT_EQ(boxes, 1);
}

// The library read while the window is made is the one the root plays
// with, the style it holds made current only then; a read of a data folder
// that is no longer the one in force is dropped for the folder in force.
TEST(LibraryReadAhead, TheRootTakesTheReadWithItsStyleOnlyForItsOwnFolder) {
  CRSEventDispatcher::Create();
  const char* before = std::getenv("TANDRILL_DATA_DIR");
  const std::string home = before ? before : "";
  const std::string elsewhere = home + "/read-ahead-elsewhere/";
  auto style = CRSControlStylesDefault::Install();
  CRSControlStyleValues chosen;
  chosen.buttonText = 0xFF102030;
  auto writeLibrary = [&](const std::string& folder, int puzzles) {
    style->SetValues(chosen);
    CPuzzleLibrary library;
    Gdiplus::Bitmap picture(40, 30, PixelFormat::Format24bppRGB);
    const CPuzzleImageData sample(&picture, "sample");
    for (int i = 0; i < puzzles; ++i) {
      auto* entry = new CPuzzleImageData();
      entry->SetName("P" + std::to_string(i));
      entry->SetThumbnailText(sample.GetThumbnailText());
      library.AddPuzzleImage(entry);
    }
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(library.SaveFile(folder + CPuzzleLibrary::kFileName).ok);
    style->SetValues(CRSControlStyleValues());
  };
  writeLibrary(platform::GetDataDirectory(), 3);
  writeLibrary(elsewhere, 2);
  for (const bool moved : {false, true}) {
    app::StartReadingLibraryAhead();
    EXPECT_EQ(style->GetValues().buttonText, CRSControlStyleValues().buttonText) << "not while the window is made";
    if (moved) setenv("TANDRILL_DATA_DIR", elsewhere.c_str(), 1);
    {
      platform::MessageLoop loop;
      CPuzzleView view;
      ASSERT_TRUE(view.Create());
      EXPECT_EQ(view.GetPuzzleCanvas()->GetLibrary().GetPuzzleImages().size(), moved ? 2u : 3u);
      EXPECT_EQ(style->GetValues().buttonText, 0xFF102030u);
    }
    style->SetValues(CRSControlStyleValues());
    setenv("TANDRILL_DATA_DIR", home.c_str(), 1);
    DiscardEvents();
  }
}

}  // namespace
