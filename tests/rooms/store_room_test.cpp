#include "rooms/store_room.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include <SDL.h>

#include "canvas/sound.h"
#include "canvas/styles.h"
#include "data/puzzle_data.h"
#include "platform/message_loop.h"
#include "platform/program_payload.h"
#include "platform/random.h"
#include "play/play_room.h"
#include "rooms/gallery_room.h"
#include "rooms/category_window.h"
#include "../data/library_test_support.h"
#include "../data/puzzle_test_support.h"
#include "tests/app/root_scene.h"

namespace {

// The real root object, headless, with a library the test fills and a
// store room built afresh over it.
class StoreRoomScene : public RootScene {
 protected:
  void SetUp() override {
    RootScene::SetUp();
    Deliver();
    canvas->SetSize(SizeF(1000, 800));
    folder = (std::filesystem::temp_directory_path() / ("store_room_" + std::to_string(::getpid()))).string() + "/";
    std::filesystem::create_directories(folder);
    CPuzzleData::SetPuzzleFolder(folder);
  }
  void TearDown() override {
    RootScene::TearDown();
    CPuzzleData::SetPuzzleFolder({});
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  void Deliver() { Pump(1); }
  CPuzzleLibrary& Library() { return canvas->GetLibrary(); }

  CPuzzleCategoryData* AddCategory(const std::string& title, bool picture = true) {
    auto* category = new CPuzzleCategoryData(title, picture ? library_test::MakePicture(60, 40) : nullptr);
    Library().AddCategory(category);
    return category;
  }
  CPuzzleImageData* AddPuzzle(const std::string& name, const std::string& category, int percent = 0) {
    auto picture = library_test::MakePicture(200, 150);
    auto* entry = new CPuzzleImageData(picture.get(), name);
    entry->SetSelected(false);
    entry->SetCategory(category);
    entry->SetPercentCompleted(percent);
    entry->SetSize(Size(200, 150));
    entry->SetTitle(name + " title");
    Library().AddPuzzleImage(entry);
    return entry;
  }
  CPuzzleStoreRoom* Enter() {
    auto* room = new CPuzzleStoreRoom(canvas, "");
    Library().SetStoreRoom(room);
    canvas->AdoptRoom(room);
    Deliver();
    return room;
  }
  static std::string NumberOf(CPuzzleCategoryData* category) {
    auto* number = dynamic_cast<CRSCanvasShapeText*>(category->PeekItem()->FindChild("textShapeNumber"));
    return number ? number->GetText() : "(none)";
  }
  CRSControlWindow* WindowOf(CPuzzleCategoryData* category) {
    return dynamic_cast<CRSControlWindow*>(category->GetWindow());
  }
  // Opens the folder's window as a double click does: its thumbnails are
  // built when it first opens.
  static void OpenFolder(CPuzzleStoreRoom* room, CPuzzleCategoryData* category) {
    room->GetSelection()->Select(category->PeekItem());
    room->Open();
  }
  // Drops a file on the window as the desktop does, and lets the rooms
  // answer.
  void Drop(const std::string& path) {
    SDL_Event event{};
    event.type = SDL_DROPFILE;
    event.drop.file = SDL_strdup(path.c_str());
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    for (int i = 0; i < 4; ++i) Deliver();
  }
  // A stand-in program with a payload appended as a gift carries it.
  std::string MakeGiftFile(const std::string& name, const std::string& payload) {
    const std::string path = folder + name;
    std::ofstream(path, std::ios::binary) << "#!/bin/sh\necho a stranger's program\n";
    EXPECT_TRUE(platform::AppendPayload(path, payload));
    return path;
  }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<std::string> Boxes(const CRSObject* parent = nullptr) {
    std::vector<std::string> texts;
    for (const auto& child : (parent ? parent : canvas)->GetChildren()) {
      if (auto* box = dynamic_cast<CRSMessageBox*>(child.get())) {
        if (!box->IsClosing()) texts.push_back(box->GetCaption() + ": " + box->GetTextItem()->GetText());
      } else if (child) {
        for (const std::string& t : Boxes(child.get())) texts.push_back(t);
      }
    }
    return texts;
  }

  std::string folder;
};

TEST_F(StoreRoomScene, EmptyLibraryShowsPanelsAndLogoWithCommandsOfASelectionOff) {
  // The next room's hand-over ends the previous one.
  CRSAutoPtrPolymorphic<CRSObject> first(canvas->GetCurrentRoom());
  ASSERT_NE(first.get(), nullptr);
  CPuzzleStoreRoom* room = Enter();
  EXPECT_EQ(first.get(), nullptr);
  ASSERT_NE(room->GetMainPanel(), nullptr);
  ASSERT_NE(room->GetToolsPanel(), nullptr);
  ASSERT_NE(room->GetLogo(), nullptr);

  const char* labels[] = {"&Play", "&Modify", "&Create", "&Delete", "Email Gi&ft", "&Gallery", "&Quit",
                          "&Background", "C&olor", "&Sound Off", "&About"};
  const bool enabled[] = {false, false, true, false, false, true, true, true, true, true, true};
  for (int i = 0; i < CPuzzleStoreRoom::kButtonCount; ++i) {
    ASSERT_NE(room->GetButton(i), nullptr) << i;
    if (i != CPuzzleStoreRoom::kSound) {
      EXPECT_EQ(room->GetButton(i)->GetCaption(), labels[i]);
    }
    EXPECT_EQ(room->GetButton(i)->IsEnabled(), enabled[i]) << labels[i];
  }
  // The panel rule: 104 wide, placed once at the left, buttons 6 apart,
  // the window ending 2 below its last button.
  CRSControlWindow* main = room->GetMainPanel();
  EXPECT_FLOAT_EQ(main->GetSize().Width, 104.0f);
  EXPECT_FLOAT_EQ(main->GetPosition().X, 5.0f);
  EXPECT_FLOAT_EQ(main->GetPosition().Y, 15.0f);
  EXPECT_FLOAT_EQ(room->GetToolsPanel()->GetPosition().Y, 275.0f);
  CRSControlButton* play = room->GetButton(CPuzzleStoreRoom::kPlay);
  CRSControlButton* modify = room->GetButton(CPuzzleStoreRoom::kModify);
  EXPECT_FLOAT_EQ(play->GetPosition().Y, 2.0f);
  EXPECT_FLOAT_EQ(modify->GetPosition().Y, 2.0f + play->GetFaceSize().Height + 6.0f);
  CRSControlButton* quit = room->GetButton(CPuzzleStoreRoom::kQuit);
  EXPECT_FLOAT_EQ(main->GetClientArea()->GetSize().Height, quit->GetPosition().Y + quit->GetFaceSize().Height + 2.0f);

  // With nothing selected, Open and Delete do nothing and show nothing.
  room->Open();
  room->AskDeletePuzzle();
  Deliver();
  EXPECT_EQ(CRSControlWindow::GetModalCount(), 0u);

  // Sound toggles the effects and the label says what a click would do.
  const bool wasOn = CRSSoundHandler::Instance().EffectsEnabled();
  room->ToggleSound();
  EXPECT_NE(CRSSoundHandler::Instance().EffectsEnabled(), wasOn);
  EXPECT_EQ(room->GetButton(CPuzzleStoreRoom::kSound)->GetCaption(), wasOn ? "&Sound On" : "&Sound Off");
  room->ToggleSound();
  EXPECT_EQ(room->GetButton(CPuzzleStoreRoom::kSound)->GetCaption(), wasOn ? "&Sound Off" : "&Sound On");
}

TEST_F(StoreRoomScene, FloorShowsFoldersAndUnfinishedPuzzlesAndCountsThem) {
  CPuzzleCategoryData* animals = AddCategory("Animals");
  CPuzzleCategoryData* bare = AddCategory("Bare", false);
  CPuzzleImageData* cat = AddPuzzle("cat", "Animals", 40);
  CPuzzleImageData* solved = AddPuzzle("dog", "Animals", 100);
  CPuzzleImageData* lost = AddPuzzle("lost", "Nowhere");
  CPuzzleImageData* loose = AddPuzzle("loose", "");
  CPuzzleImageData* hidden = AddPuzzle("hidden", "Bare");
  CPuzzleStoreRoom* room = Enter();
  CRSCanvasItem* floor = canvas->GetFloor();
  EXPECT_EQ(cat->PeekItem(), nullptr) << "a window's thumbnails wait until it opens";

  ASSERT_NE(animals->PeekItem(), nullptr);
  EXPECT_EQ(animals->PeekItem()->GetParent(), floor);
  EXPECT_EQ(NumberOf(animals), "1") << "the solved puzzle does not count";
  EXPECT_EQ(bare->PeekItem(), nullptr) << "no picture, no folder";
  EXPECT_EQ(solved->PeekItem(), nullptr) << "solved puzzles live in the gallery";

  // A categorised thumbnail lies in its window's list and is not dragged.
  OpenFolder(room, animals);
  ASSERT_NE(cat->PeekItem(), nullptr);
  auto* list = dynamic_cast<CRSListView*>(animals->GetListView());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetItems().size(), 1u);
  EXPECT_EQ(CRSCanvasBehaviour::Find<CBehaviourDrag>(cat->PeekItem()), nullptr);
  // A category without a folder keeps its puzzles off the floor.
  EXPECT_TRUE(!hidden->PeekItem() || hidden->PeekItem()->GetParent() != floor);

  // An unknown category is forgotten; the puzzle lies on the floor.
  EXPECT_EQ(lost->GetCategory(), "");
  EXPECT_EQ(lost->PeekItem()->GetParent(), floor);
  EXPECT_NE(CRSCanvasBehaviour::Find<CBehaviourDrag>(lost->PeekItem()), nullptr);
  // A puzzle without a place got one and keeps it; moves are stored at once.
  EXPECT_TRUE(loose->IsPositionValid());
  loose->PeekItem()->SetPosition(PointF(321, 123));
  EXPECT_FLOAT_EQ(loose->GetPosition().X, 321.0f);
  animals->PeekItem()->SetPosition(PointF(400, 300));
  EXPECT_FLOAT_EQ(animals->GetPosition().Y, 300.0f);
}

TEST_F(StoreRoomScene, SelectionSetsButtonsAndCaptionsAndDeleteEmptiesTheFolder) {
  CPuzzleCategoryData* animals = AddCategory("Animals");
  CPuzzleImageData* cat = AddPuzzle("cat", "Animals");
  CPuzzleImageData* secret = AddPuzzle("secret", "");
  secret->SetSurprise(true);
  secret->SetCanBeGift(false);
  CPuzzleStoreRoom* room = Enter();

  OpenFolder(room, animals);
  room->GetSelection()->Select(cat->PeekItem());
  EXPECT_TRUE(cat->IsSelected());
  EXPECT_EQ(canvas->GetCaption(), "Tandrill: cat title (200 x 150)");
  for (int b : {CPuzzleStoreRoom::kPlay, CPuzzleStoreRoom::kModify, CPuzzleStoreRoom::kDelete,
                CPuzzleStoreRoom::kEmailGift})
    EXPECT_TRUE(room->GetButton(b)->IsEnabled()) << b;

  room->GetSelection()->Select(secret->PeekItem());
  EXPECT_FALSE(cat->IsSelected()) << "one selection at a time";
  EXPECT_EQ(canvas->GetCaption(), std::string("Tandrill: ") + CPuzzleStoreRoom::kSurpriseCaption + " (200 x 150)");
  EXPECT_EQ(canvas->GetCaption().find("secret"), std::string::npos);
  EXPECT_FALSE(room->GetButton(CPuzzleStoreRoom::kEmailGift)->IsEnabled()) << "this puzzle may not be a gift";

  room->GetSelection()->Select(animals->PeekItem());
  EXPECT_EQ(room->GetButton(CPuzzleStoreRoom::kPlay)->GetCaption(), "O&pen");
  EXPECT_TRUE(room->GetButton(CPuzzleStoreRoom::kPlay)->IsEnabled());
  EXPECT_FALSE(room->GetButton(CPuzzleStoreRoom::kDelete)->IsEnabled());
  EXPECT_EQ(canvas->GetCaption(), "Tandrill: Animals (group)");
  // Opening a folder shows its window at 60 % of the root, centred.
  room->Open();
  CRSControlWindow* window = WindowOf(animals);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->IsVisible());
  EXPECT_EQ(window->GetCaption(), "Category: Animals");
  EXPECT_NEAR(window->GetSize().Width, 600.0f, 1.0f);
  EXPECT_NEAR(window->GetSize().Height, 480.0f, 1.0f);
  // The player's place for the window survives the next open.
  window->SetPosition(PointF(30, 40));
  room->Open();
  EXPECT_FLOAT_EQ(window->GetPosition().X, 30.0f);
  animals->SetTitle("Beasts");
  EXPECT_EQ(window->GetCaption(), "Category: Beasts");
  animals->SetTitle("Animals");

  // Deleting the only puzzle of the category: asked first, then the file
  // goes, the folder shows 0 and the selection's commands are off.
  room->GetSelection()->Select(cat->PeekItem());
  const std::string file = CPuzzleData::GetPuzzleFileName("cat");
  std::ofstream(file) << "x";
  room->AskDeletePuzzle();
  Deliver();
  auto* box = dynamic_cast<CRSMessageBox*>(CRSControlWindow::GetTopModal());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->GetKind(), CRSMessageBox::Kind::kYesNo);
  box->GetButton(0)->Click();
  Deliver();
  Deliver();
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(Library().FindPuzzleImage("cat"), nullptr);
  EXPECT_EQ(NumberOf(animals), "0");
  EXPECT_FALSE(room->GetButton(CPuzzleStoreRoom::kDelete)->IsEnabled());
  EXPECT_EQ(canvas->GetCaption(), "Tandrill");

  // A puzzle whose file is already gone is deleted all the same, and a
  // second deletion right after finds nothing.
  room->GetSelection()->Select(secret->PeekItem());
  room->DeleteSelectedPuzzle();
  room->DeleteSelectedPuzzle();
  Deliver();
  EXPECT_EQ(Library().FindPuzzleImage("secret"), nullptr);
}

TEST_F(StoreRoomScene, SelectionSurvivesARestartWithItsWindowOpen) {
  CPuzzleCategoryData* animals = AddCategory("Animals");
  CPuzzleImageData* cat = AddPuzzle("cat", "Animals");
  AddPuzzle("other", "");
  CPuzzleStoreRoom* room = Enter();
  OpenFolder(room, animals);
  room->GetSelection()->Select(cat->PeekItem());
  WindowOf(animals)->SetVisible(false);

  // Written and read back, as at the next start.
  const std::string text = Library().ToText();
  canvas->ClearFloor();
  Deliver();
  Library().LoadText(text);
  room = Enter();
  CPuzzleImageData* again = Library().FindPuzzleImage("cat");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(room->GetSelection()->GetSelection(), again->PeekItem());
  CPuzzleCategoryData* category = Library().FindCategory("Animals");
  ASSERT_NE(category, nullptr);
  ASSERT_NE(WindowOf(category), nullptr);
  EXPECT_TRUE(WindowOf(category)->IsVisible());
  EXPECT_EQ(canvas->GetCaption(), "Tandrill: cat title (200 x 150)");
}

TEST_F(StoreRoomScene, LogoFadesWandersAndEchoesAndStopsWithTheRoom) {
  CPuzzleStoreRoom* room = Enter();
  CRSCanvasImage* logo = room->GetLogo();
  CRSCanvasImage* echo = room->GetEcho();
  ASSERT_NE(logo, nullptr);
  ASSERT_NE(echo, nullptr);
  EXPECT_EQ(logo->GetImage(), echo->GetImage());

  room->SetPhase(0.0f);
  room->OnTimer(CPuzzleStoreRoom::kTimerFade, 700);
  EXPECT_TRUE(logo->IsVisible());
  const float s = logo->GetScale().X;
  EXPECT_GE(s, 0.5f);
  EXPECT_LE(s, 2.6f);
  EXPECT_NEAR(echo->GetScale().X, 0.8f * s, 1e-4);
  const RectF inFloor = logo->GetBoundsIn(canvas->GetFloor());
  EXPECT_GE(inFloor.X, -0.5f);
  EXPECT_NEAR(room->GetPhase(), 0.05f, 1e-5);

  // Rising, holding and falling: the phase turns negative after 1.4 and
  // climbs back; no new place in between.
  const PointF placed = logo->GetPosition();
  int ticks = 1;
  while (room->GetPhase() > 0.0f && ticks < 100) {
    room->OnTimer(CPuzzleStoreRoom::kTimerFade, 700);
    ++ticks;
  }
  EXPECT_EQ(ticks, 29);
  EXPECT_LT(room->GetPhase(), -1.4f);
  EXPECT_EQ(logo->GetPosition().X, placed.X);

  // The echo hides near phase 0 and drifts right between jumps.
  room->SetPhase(0.05f);
  echo->SetVisible(true);
  room->OnTimer(CPuzzleStoreRoom::kTimerEcho, 100);
  EXPECT_FALSE(echo->IsVisible());
  room->SetPhase(1.0f);
  const float x = echo->GetPosition().X;
  room->OnTimer(CPuzzleStoreRoom::kTimerEcho, 250);
  EXPECT_FLOAT_EQ(echo->GetPosition().X, x + 2.0f);

  // A tick only fades the logo's kept picture: it is scaled for the screen
  // once per place and size, and an unchanged factor paints nothing anew.
  CRSCanvasFadingImage* fading = room->GetLogo();
  room->SetPhase(0.5f);
  room->OnTimer(CPuzzleStoreRoom::kTimerFade, 700);
  canvas->UpdateNow();
  const int scales = fading->GetScaleCount();
  const int fades = fading->GetFadeCount();
  EXPECT_EQ(scales, 1);
  for (int i = 0; i < 3; ++i) {
    room->OnTimer(CPuzzleStoreRoom::kTimerFade, 700);
    room->OnTimer(CPuzzleStoreRoom::kTimerEcho, 100);
    canvas->UpdateNow();
  }
  EXPECT_EQ(fading->GetScaleCount(), scales);
  EXPECT_EQ(fading->GetFadeCount(), fades + 3);
  EXPECT_NEAR(fading->GetAlphaFactor(), 0.65f, 1e-4);

  // The room replaced with its timers running: later ticks find nothing.
  canvas->ClearFloor();
  for (int i = 0; i < 5; ++i) {
    Deliver();
    loop.PumpMessages(30);
  }
  SUCCEED();
}

TEST_F(StoreRoomScene, ClosedCategoryWindowComesBackAsThePlayerLeftItInBothRooms) {
  CPuzzleCategoryData* animals = AddCategory("Animals");
  for (const char* name : {"cat", "dog", "eel"}) AddPuzzle(name, "Animals");
  for (const char* name : {"owl", "yak"}) AddPuzzle(name, "Animals", 100);
  // Opened, made smaller and moved, closed by its title bar's button and
  // opened again: the same window, entries and rectangle.
  auto roundTrip = [&](const std::function<void()>& open, const std::vector<std::string>& entries) {
    open();
    CRSAutoPtrPolymorphic<CRSControlWindow> window(WindowOf(animals));
    ASSERT_NE(window.get(), nullptr);
    window->SetSize(SizeF(420, 300));
    window->SetPosition(PointF(250, 120));
    const RectF left = window->GetBoundsIn(nullptr);
    window->GetTitleButton(CRSControlWindow::kButtonClose)->Click();
    for (int i = 0; i < 3; ++i) Deliver();
    ASSERT_NE(window.get(), nullptr);
    EXPECT_FALSE(window->IsVisible());
    open();
    ASSERT_EQ(WindowOf(animals), window.get());
    EXPECT_TRUE(window->IsVisible());
    const RectF back = window->GetBoundsIn(nullptr);
    EXPECT_EQ(std::vector<float>({back.X, back.Y, back.Width, back.Height}),
              std::vector<float>({left.X, left.Y, left.Width, left.Height}));
    std::vector<std::string> names;
    for (CRSCanvasItem* item : dynamic_cast<CRSListView*>(animals->GetListView())->GetItems())
      names.push_back(item->GetName());
    EXPECT_EQ(names, entries);
  };
  CPuzzleStoreRoom* room = Enter();
  room->GetSelection()->Select(animals->PeekItem());
  roundTrip([room] { room->Open(); }, {"cat", "dog", "eel"});
  EXPECT_EQ(NumberOf(animals), "3");

  canvas->ShowGallery();
  Deliver();
  auto* gallery = dynamic_cast<CPuzzleGalleryRoom*>(canvas->GetCurrentRoom());
  ASSERT_NE(gallery, nullptr);
  gallery->GetSelection()->Select(gallery->GetFloorItems()[0]);
  roundTrip([gallery] { gallery->Open(); }, {"owl", "yak"});
  // Home again, the store room builds its own window rather than fill the
  // gallery's, which goes with the gallery.
  gallery->Back();
  Deliver();
  auto* home = dynamic_cast<CPuzzleStoreRoom*>(canvas->GetCurrentRoom());
  ASSERT_NE(home, nullptr);
  OpenFolder(home, animals);
  ASSERT_NE(WindowOf(animals), nullptr);
  EXPECT_EQ(WindowOf(animals)->GetParent(), canvas->GetFloor());
  EXPECT_EQ(dynamic_cast<CRSListView*>(animals->GetListView())->GetItems().size(), 3u);
}

TEST_F(StoreRoomScene, RandomPlacesAreNeverUnderThePanels) {
  // Enough entries without a place that, drawn over the whole floor, some
  // would land under the "Main" or "Tools" column.
  for (int i = 0; i < 8; ++i) AddCategory("c" + std::to_string(i));
  for (int i = 0; i < 30; ++i) AddPuzzle("p" + std::to_string(i), "");
  platform::SeedRand(1);
  CPuzzleStoreRoom* room = Enter();
  CRSCanvasItem* floor = canvas->GetFloor();
  const RectF panels[] = {room->GetMainPanel()->GetBoundsIn(floor), room->GetToolsPanel()->GetBoundsIn(floor)};
  std::vector<CRSCanvasItem*> items;
  for (const auto& category : Library().GetCategories()) items.push_back(category->PeekItem());
  for (const auto& entry : Library().GetPuzzleImages()) items.push_back(entry->PeekItem());
  for (CRSCanvasItem* item : items) {
    ASSERT_NE(item, nullptr);
    const RectF b = item->GetBoundsIn(floor);
    for (const RectF& panel : panels) EXPECT_FALSE(panel.IntersectsWith(b)) << item->GetName();
  }
}

TEST_F(StoreRoomScene, HintBesideTheMainPanelIsNeverUnderACategoryWindow) {
  CPuzzleImageData* loose = AddPuzzle("loose", "");
  CPuzzleCategoryData* animals = AddCategory("Animals");
  AddPuzzle("cat", "Animals");
  CPuzzleStoreRoom* room = Enter();
  CRSCanvasText* hint = room->GetHint();
  ASSERT_NE(hint, nullptr);
  EXPECT_EQ(hint->GetText(), CPuzzleStoreRoom::kCreateHint);
  EXPECT_NE(hint->GetText().find("Create"), std::string::npos);
  EXPECT_EQ(hint->GetText().find('\n'), std::string::npos) << "one line";
  // It names the panel that really holds Create.
  CRSCanvasItem* holder = room->GetButton(CPuzzleStoreRoom::kCreate);
  while (holder && holder != room->GetMainPanel() && holder != room->GetToolsPanel()) holder = holder->GetParentItem();
  ASSERT_NE(holder, nullptr);
  EXPECT_NE(hint->GetText().find(static_cast<CRSControlWindow*>(holder)->GetCaption() + " panel"), std::string::npos);

  // The panels' font, one line high, along the top of the floor beside the
  // "Main" panel.
  const auto* drawn = dynamic_cast<const CRSControlStylesDrawn*>(CRSControlStyles::GetCurrent().get());
  ASSERT_NE(drawn, nullptr);
  ASSERT_NE(hint->GetFont(), nullptr);
  EXPECT_EQ(hint->GetFont()->GetFamilyName(), drawn->GetValues().buttonFont.family);
  EXPECT_FLOAT_EQ(hint->GetFont()->GetSize(), drawn->GetValues().buttonFont.size);
  CRSCanvasItem* floor = canvas->GetFloor();
  const RectF main = room->GetMainPanel()->GetBoundsIn(floor);
  RectF placed = hint->GetBoundsIn(floor);
  EXPECT_GT(placed.X, main.X + main.Width);
  EXPECT_NEAR(placed.Y, 6.0f, 0.5f);
  EXPECT_LT(placed.Y, main.Y + main.Height);
  EXPECT_LT(placed.Height, 2.0f * room->GetButton(CPuzzleStoreRoom::kAbout)->GetFaceSize().Height);

  // A thumbnail lying over the hint is painted above it, the panels too.
  EXPECT_LT(hint->GetZOrder(), loose->PeekItem()->GetZOrder());
  EXPECT_LT(hint->GetZOrder(), room->GetMainPanel()->GetZOrder());
  int hintAt = -1, thumbAt = -1, i = 0;
  for (const auto& child : floor->GetChildren()) {
    if (child.get() == hint) hintAt = i;
    if (child.get() == loose->PeekItem()) thumbAt = i;
    ++i;
  }
  EXPECT_LT(hintAt, thumbAt) << "painted first, underneath";

  // An opened category window leaves it in sight, in a large window and in
  // the smallest one the room allows, where the line wraps beside the
  // panels rather than run under them or past the edge.
  room->GetSelection()->Select(animals->PeekItem());
  room->Open();
  Deliver();
  CRSControlWindow* window = WindowOf(animals);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(window->IsVisible());
  EXPECT_FALSE(window->GetBoundsIn(floor).IntersectsWith(hint->GetBoundsIn(floor)));
  canvas->SetSize(SizeF(500, 400));
  Deliver();
  room = Enter();
  hint = room->GetHint();
  room->GetSelection()->Select(animals->PeekItem());
  room->Open();
  Deliver();
  ASSERT_NE(WindowOf(animals), nullptr);
  placed = hint->GetBoundsIn(floor);
  EXPECT_FALSE(WindowOf(animals)->GetBoundsIn(floor).IntersectsWith(placed));
  EXPECT_FALSE(room->GetMainPanel()->GetBoundsIn(floor).IntersectsWith(placed));
  EXPECT_LE(placed.X + placed.Width, floor->GetSize().Width) << "fits the smallest room: " << placed.Width;
  EXPECT_LT(placed.Height, 3.0f * room->GetButton(CPuzzleStoreRoom::kAbout)->GetFaceSize().Height);

  // A wide window takes it back to one line; it stays where it is when the
  // player drags the panel away.
  canvas->SetSize(SizeF(1400, 900));
  Deliver();
  room->GetMainPanel()->SetPosition(PointF(600, 300));
  Deliver();
  EXPECT_NEAR(hint->GetBoundsIn(floor).X, placed.X, 0.5f);
  EXPECT_NEAR(hint->GetBoundsIn(floor).Y, 6.0f, 0.5f);
  EXPECT_LT(hint->GetBoundsIn(floor).Height, 2.0f * room->GetButton(CPuzzleStoreRoom::kAbout)->GetFaceSize().Height);
}

TEST_F(StoreRoomScene, DroppedGiftPlaysInGiftModeAfterKeepingTheLibrary) {
  AddPuzzle("mine", "");
  CPuzzleStoreRoom* room = Enter();
  room->GetSelection()->Select(Library().FindPuzzleImage("mine")->PeekItem());
  CPuzzleData puzzle("sent");
  puzzle_test::MakePlayable(puzzle);
  ASSERT_TRUE(puzzle.Save());
  const std::string text = ReadAll(CPuzzleData::GetPuzzleFileName("sent"));
  ASSERT_FALSE(text.empty());
  const std::string libraryFile = CPuzzleLibrary::GetFilePath();
  std::filesystem::remove(libraryFile);

  // A file that is neither gift nor picture: the cuts room's refusal, and
  // nothing else changes.
  const std::string note = folder + "note.txt";
  std::ofstream(note) << "just words";
  Drop(note);
  EXPECT_EQ(canvas->GetCurrentRoom(), room);
  EXPECT_FALSE(canvas->IsGift());
  EXPECT_EQ(Boxes(), std::vector<std::string>{"ERROR: Image file could not be loaded: unrecognized format!!!"});
  EXPECT_FALSE(std::filesystem::exists(libraryFile));
  // While that box waits for the player, a gift dropped is not taken.
  const std::string gift = MakeGiftFile("puzzle gift.exe", text);
  Drop(gift);
  EXPECT_EQ(canvas->GetCurrentRoom(), room);
  EXPECT_FALSE(canvas->IsGift());
  CRSControlWindow::GetTopModal()->Close();
  Deliver();

  // A sound trailer around something that is no puzzle: the play room's
  // error, and still the store room, not a gift session.
  Drop(MakeGiftFile("hollow.exe", "<puzzle-data>nothing to play"));
  EXPECT_EQ(canvas->GetCurrentRoom(), room);
  EXPECT_FALSE(canvas->IsGift());
  EXPECT_EQ(Boxes(), std::vector<std::string>{"ERROR: Could not read the puzzle file"});
  CRSControlWindow::GetTopModal()->Close();
  Deliver();

  // A real gift: its puzzle is played in gift mode, the caption says so,
  // and the library as the player left it was written first, since a gift
  // session never writes it.
  Drop(gift);
  EXPECT_TRUE(canvas->IsGift());
  auto* play = dynamic_cast<CPuzzlePlayRoom*>(canvas->GetCurrentRoom());
  ASSERT_NE(play, nullptr);
  EXPECT_EQ(play->GetPuzzleName(), CPuzzlePlayRoom::kGiftName);
  EXPECT_EQ(canvas->GetCaption().rfind("Tandrill Gift", 0), 0u) << canvas->GetCaption();
  EXPECT_FALSE(canvas->WillSaveLibrary());
  ASSERT_TRUE(std::filesystem::exists(libraryFile));
  const std::string written = ReadAll(libraryFile);
  CPuzzleLibrary reread;
  reread.LoadText(written);
  ASSERT_NE(reread.FindPuzzleImage("mine"), nullptr);
  EXPECT_TRUE(reread.FindPuzzleImage("mine")->IsSelected());
  EXPECT_TRUE(Boxes().empty());

  // A second drop while the gift plays is not taken.
  Drop(gift);
  EXPECT_EQ(canvas->GetCurrentRoom(), play);
}

}  // namespace
