// The drawn dialogs as windows in a headless view: clicks and keys reach the
// browser and chooser, the overwrite question is answered through its box,
// each dialog answers once and closes only after the caller's slot has run,
// and a dialog may go while its thumbnails are still being made.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "canvas/dialogs/dialogs.h"
#include "platform/bitmap.h"
#include "platform/graphics.h"
#include "platform/image_codec.h"
#include "tests/canvas/controls_test_support.h"
#include "tests/platform/temp_tree.h"

namespace {

using control_test::ControlScene;

std::string EncodedPicture(int w, int h) {
  Gdiplus::Bitmap picture(w, h, Gdiplus::PixelFormat::Format24bppRGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) picture.SetPixel(x, y, (x + y) % 2 ? 0xFFFF0000 : 0xFF0000FF);
  std::vector<std::uint8_t> bytes;
  if (!platform::EncodeImage(picture, "image/jpeg", bytes)) return std::string();
  return std::string(bytes.begin(), bytes.end());
}

// Records the answers, and whether the window was still there when the
// caller's slot ran.
struct Caller : sigslot::has_slots {
  std::vector<std::string> chosen;
  std::vector<ARGB> colours;
  int cancelled = 0;
  bool windowAliveInSlot = false;
  CRSAutoPtrPolymorphic<CRSCanvasItem> window;
  void OnChosen(std::string path) { Record(), chosen.push_back(path); }
  void OnColour(ARGB c) { Record(), colours.push_back(c); }
  void OnCancelled() { Record(), ++cancelled; }
  void Record() { windowAliveInSlot = window.get() != nullptr; }
  int Answers() const { return static_cast<int>(chosen.size() + colours.size()) + cancelled; }
  void Watch(CRSFileDialogWindow* w) {
    window = w;
    w->Browser().sigFileChosen.connect(this, &Caller::OnChosen);
    w->Browser().sigCancelled.connect(this, &Caller::OnCancelled);
  }
  void Watch(CRSColourDialogWindow* w) {
    window = w;
    w->Chooser().sigColourChosen.connect(this, &Caller::OnColour);
    w->Chooser().sigCancelled.connect(this, &Caller::OnCancelled);
  }
};

class DialogWindowsTest : public ControlScene {
 protected:
  void SetUp() override {
    ControlScene::SetUp();
    root->SetSize(SizeF(900, 700));
    Pump();
    ASSERT_TRUE(m_tree.Dir("home"));
    ASSERT_TRUE(m_tree.Dir("home/Pictures"));
    ASSERT_TRUE(m_tree.Dir("pics"));
    ASSERT_TRUE(m_tree.Dir("pics/album"));
    ASSERT_TRUE(m_tree.File("pics/album/inner.png"));
    ASSERT_TRUE(m_tree.File("pics/beach.jpg"));
    ASSERT_TRUE(m_tree.File("pics/boat.jpg"));
    ASSERT_TRUE(m_tree.File("pics/cliff.jpg"));
    ASSERT_TRUE(m_tree.File("pics/gift.exe", "old"));
    m_env.Set("HOME", m_tree.Path("home").c_str());
    m_env.Set("XDG_CONFIG_HOME", nullptr);
    ForgetDialogFolders();
  }
  void TearDown() override {
    ForgetDialogFolders();
    ControlScene::TearDown();
  }

  CRSOpenFileRequest OpenRequest() {
    CRSOpenFileRequest r;
    r.title = "Open Puzzle Image:";
    r.filters = ImageFileFilters();
    r.kind = CRSDialogKind::kPicture;
    r.initialFolder = m_tree.Path("pics");
    return r;
  }
  // Delivers queued work until the condition holds (folders are read on a
  // worker thread).
  template <class F>
  bool WaitFor(F done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      Deliver();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }
  void Key(unsigned vk) {
    view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), platform::kMsgKeyDown, vk, 0});
    view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), platform::kMsgKeyUp, vk, 0});
  }
  // Text typed as characters, as the platform's text input delivers them.
  void Type(const std::string& text) {
    for (char c : text)
      view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), platform::kMsgChar,
                                             static_cast<unsigned char>(c), 0});
  }
  // The centre of a rectangle of the body, in root coordinates.
  static PointF InRoot(CRSCanvasItem* item, const RectF& r) {
    return item->MapToAncestor(PointF(r.X + r.Width / 2, r.Y + r.Height / 2), nullptr);
  }
  PointF RowPoint(CRSFileDialogWindow& w, const std::string& name) {
    CRSFileBrowser& b = w.Browser();
    return InRoot(w.GetBody(), RowRect(w.GetLayout(), b.GetModel().FindRow(name), b.GetTopRow()));
  }

  TempTree m_tree;
  ScopedEnv m_env;
};

TEST_F(DialogWindowsTest, ClicksAndKeysDriveTheBrowserAndEscapeAnswersOnceBeforeTheWindowGoes) {
  Caller caller;
  auto* w = OpenFileDialog(root, OpenRequest());
  caller.Watch(w);
  CRSFileBrowser& b = w->Browser();
  ASSERT_TRUE(WaitFor([&] { return !b.IsReading(); }));
  EXPECT_EQ(w->GetCaption(), "Open Puzzle Image:");
  EXPECT_TRUE(w->IsModal());
  EXPECT_EQ(view.GetFocusItem(), w) << "the dialog holds the keyboard from the start";
  EXPECT_EQ(w->GetPathEdit()->GetText(), m_tree.Path("pics") + "/");
  ASSERT_EQ(w->GetFilterChoice()->GetChoices().size(), ImageFileFilters().size());

  // One click selects a row; a double click opens the folder.
  PointF p = RowPoint(*w, "boat.jpg");
  Click(p.X, p.Y);
  EXPECT_EQ(b.GetSelection(), b.GetModel().FindRow("boat.jpg"));
  p = RowPoint(*w, "album");
  Click(p.X, p.Y);
  Send(platform::kMsgLButtonDblClk, platform::kKeyStateLButton, p.X, p.Y);
  Release(p.X, p.Y);
  ASSERT_TRUE(WaitFor([&] { return !b.IsReading(); }));
  EXPECT_EQ(b.GetFolder(), m_tree.Path("pics/album"));
  EXPECT_EQ(w->GetPathEdit()->GetText(), m_tree.Path("pics/album") + "/") << "the path edit follows the folder";

  // Backspace goes up with the folder selected; arrows and typing move.
  Key(platform::kVkBack);
  ASSERT_TRUE(WaitFor([&] { return !b.IsReading(); }));
  EXPECT_EQ(b.GetFolder(), m_tree.Path("pics"));
  EXPECT_EQ(b.GetSelection(), b.GetModel().FindRow("album"));
  Key(platform::kVkDown);
  EXPECT_EQ(b.GetSelection(), b.GetModel().FindRow("beach.jpg"));
  Key('C');
  EXPECT_EQ(b.GetSelection(), b.GetModel().FindRow("cliff.jpg")) << "a letter jumps to the name";

  // A path segment and a place are clicked in the painted body.
  const int segments = static_cast<int>(b.GetSegments().size());
  p = InRoot(w->GetBody(), w->GetBody()->SegmentRect(segments - 2));
  EXPECT_EQ(w->GetBody()->PartAt(w->GetBody()->SegmentRect(segments - 2).GetLocation()).kind,
            CRSFileDialogBody::PartKind::kSegment);
  Click(p.X, p.Y);
  ASSERT_TRUE(WaitFor([&] { return !b.IsReading(); }));
  EXPECT_EQ(b.GetFolder(), m_tree.Root());
  ASSERT_FALSE(b.GetPlaces().empty());
  p = InRoot(w->GetBody(), w->GetBody()->PlaceRect(0));
  Click(p.X, p.Y);
  ASSERT_TRUE(WaitFor([&] { return !b.IsReading(); }));
  EXPECT_EQ(b.GetFolder(), b.GetPlaces()[0].path);

  // Escape answers a cancel; the caller still finds the window, which is
  // gone once the answer has been delivered, and nothing answers twice.
  Key(platform::kVkEscape);
  Key(platform::kVkEscape);
  Deliver();
  Deliver();
  EXPECT_EQ(caller.cancelled, 1);
  EXPECT_EQ(caller.Answers(), 1);
  EXPECT_TRUE(caller.windowAliveInSlot);
  EXPECT_EQ(caller.window.get(), nullptr);
  EXPECT_EQ(CRSControlWindow::GetTopModal(), nullptr);
}

TEST_F(DialogWindowsTest, TypedPathsAndTheCloseButtonAnswer) {
  Caller caller;
  auto* w = OpenFileDialog(root, OpenRequest());
  caller.Watch(w);
  ASSERT_TRUE(WaitFor([&] { return !w->Browser().IsReading(); }));
  CRSEdit* edit = w->GetPathEdit();
  // A slash right after the folder shown starts a fresh path.
  edit->AppendCharacter('/');
  EXPECT_EQ(edit->GetText(), "/");
  for (char c : m_tree.Path("pics/cliff.jpg").substr(1)) edit->AppendCharacter(static_cast<unsigned char>(c));
  view.SetFocusItem(edit);
  Key(platform::kVkReturn);
  Deliver();
  ASSERT_EQ(caller.chosen, std::vector<std::string>{m_tree.Path("pics/cliff.jpg")});
  EXPECT_EQ(caller.window.get(), nullptr);

  // A vanished file is told in the dialog, which stays open.
  auto* again = OpenFileDialog(root, OpenRequest());
  caller.Watch(again);
  ASSERT_TRUE(WaitFor([&] { return !again->Browser().IsReading(); }));
  EXPECT_EQ(again->Browser().GetFolder(), m_tree.Path("pics"));
  again->Browser().Select(again->Browser().GetModel().FindRow("boat.jpg"));
  ASSERT_EQ(std::remove(m_tree.Path("pics/boat.jpg").c_str()), 0);
  Key(platform::kVkReturn);
  ASSERT_TRUE(WaitFor([&] { return !again->Browser().IsReading(); }));
  EXPECT_NE(again->Browser().GetMessage().find("no longer exists"), std::string::npos);
  EXPECT_EQ(caller.Answers(), 1);

  // The title bar's close button is a cancel.
  CRSControlButton* close = again->GetTitleButton(CRSControlWindow::kButtonClose);
  ASSERT_NE(close, nullptr);
  close->Click();
  Deliver();
  Deliver();
  EXPECT_EQ(caller.cancelled, 1);
  EXPECT_EQ(caller.window.get(), nullptr);
}

TEST_F(DialogWindowsTest, ASlashOrTildeTypedOutsideThePathEditStartsATypedPath) {
  Caller caller;
  auto* w = OpenFileDialog(root, OpenRequest());
  caller.Watch(w);
  ASSERT_TRUE(WaitFor([&] { return !w->Browser().IsReading(); }));
  ASSERT_EQ(view.GetFocusItem(), w);
  Type(m_tree.Path("pics/cliff.jpg"));
  EXPECT_EQ(view.GetFocusItem(), w->GetPathEdit());
  EXPECT_EQ(w->GetPathEdit()->GetText(), m_tree.Path("pics/cliff.jpg")) << "the slash begins the path";
  Key(platform::kVkReturn);
  Deliver();
  ASSERT_EQ(caller.chosen, std::vector<std::string>{m_tree.Path("pics/cliff.jpg")});

  // Saving: a tilde over the proposed name, or a slash anywhere in the name,
  // begins a path; a tilde inside a name being typed stays in it.
  CRSSaveFileRequest r;
  r.title = "Save Puzzle Gift:";
  r.proposedName = "gift";
  r.initialFolder = m_tree.Path("pics");
  for (const char* typed : {"~", "a~/"}) {
    auto* save = SaveFileDialog(root, r);
    ASSERT_TRUE(WaitFor([&] { return !save->Browser().IsReading(); }));
    ASSERT_EQ(view.GetFocusItem(), save->GetNameEdit());
    Type(typed);
    EXPECT_EQ(view.GetFocusItem(), save->GetPathEdit()) << typed;
    EXPECT_EQ(save->GetPathEdit()->GetText(), std::string(1, typed[0] == '~' ? '~' : '/')) << typed;
    EXPECT_EQ(save->GetNameEdit()->GetText(), typed[0] == '~' ? "gift" : "gifta~") << typed;
    save->Close();
    Deliver();
  }
}

TEST_F(DialogWindowsTest, AHungFolderListingNeitherHoldsTheClosingDialogNorReachesItLate) {
  // A folder that answers only when the test lets it, as a stalled network
  // mount does; a lister that waited in vain says so.
  struct Gate {
    std::mutex lock;
    std::condition_variable cv;
    bool entered = false, open = false, waitedInVain = false;
  };
  auto gate = std::make_shared<Gate>();
  CRSFolderReader::Lister lister = [gate](const std::string&, std::vector<platform::FolderEntry>& entries) {
    std::unique_lock<std::mutex> hold(gate->lock);
    gate->entered = true;
    gate->cv.notify_all();
    gate->waitedInVain = !gate->cv.wait_for(hold, std::chrono::seconds(5), [&] { return gate->open; });
    entries.push_back(platform::FolderEntry{"late.jpg", "late.jpg", platform::EntryKind::kFile});
    return platform::FolderResult::kOk;
  };
  Caller caller;
  auto* w = new CRSFileDialogWindow(root, OpenRequest(), nullptr, std::move(lister));
  caller.Watch(w);
  {
    std::unique_lock<std::mutex> hold(gate->lock);
    ASSERT_TRUE(gate->cv.wait_for(hold, std::chrono::seconds(10), [&] { return gate->entered; }));
  }
  EXPECT_TRUE(w->Browser().IsReading());
  w->Close();
  Deliver();
  Deliver();
  EXPECT_EQ(caller.window.get(), nullptr);
  EXPECT_EQ(caller.cancelled, 1);

  // The folder answers once the dialog has gone: the listing is dropped and
  // the worker lets go of everything it held.
  std::weak_ptr<Gate> watch = gate;
  Gate* raw = gate.get();
  gate.reset();
  {
    std::lock_guard<std::mutex> hold(raw->lock);
    EXPECT_FALSE(raw->waitedInVain) << "closing waited for the listing";
    raw->open = true;
  }
  raw->cv.notify_all();
  EXPECT_TRUE(WaitFor([&] { return watch.expired(); }));
  EXPECT_EQ(caller.Answers(), 1);
}

TEST_F(DialogWindowsTest, SavingOverAFileAsksInAMessageBoxAndOnlyYesAnswers) {
  Caller caller;
  CRSSaveFileRequest r;
  r.title = "Save Puzzle Gift:";
  r.filters = GiftFileFilters();
  r.defaultExtension = "exe";
  r.proposedName = "gift";
  r.initialFolder = m_tree.Path("pics");
  r.kind = CRSDialogKind::kGift;
  auto* w = SaveFileDialog(root, r);
  caller.Watch(w);
  ASSERT_TRUE(WaitFor([&] { return !w->Browser().IsReading(); }));
  ASSERT_NE(w->GetNameEdit(), nullptr);
  EXPECT_EQ(view.GetFocusItem(), w->GetNameEdit()) << "the name edit holds the keyboard";
  EXPECT_EQ(w->GetNameEdit()->GetText(), "gift");

  Key(platform::kVkReturn);
  CRSMessageBox* box = w->GetOverwriteBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->GetKind(), CRSMessageBox::Kind::kYesNo);
  EXPECT_EQ(box->GetTextItem()->GetText(), "gift.exe already exists.\nDo you want to replace it?");
  EXPECT_TRUE(box->IsModal());
  // No keeps the file and the dialog; the name edit has the keyboard again.
  box->GetButton(1)->Click();
  Deliver();
  Deliver();
  EXPECT_EQ(w->GetOverwriteBox(), nullptr);
  EXPECT_EQ(caller.Answers(), 0);
  EXPECT_FALSE(w->IsClosing());
  EXPECT_EQ(view.GetFocusItem(), w->GetNameEdit());

  // Typing a new name saves at once; the existing name asks again, and Yes
  // answers the path.
  w->GetNameEdit()->AppendCharacter('2');
  EXPECT_EQ(w->Browser().GetName(), "gift2");
  w->GetNameEdit()->RemoveLastCharacter();
  Key(platform::kVkReturn);
  box = w->GetOverwriteBox();
  ASSERT_NE(box, nullptr);
  Key(platform::kVkEscape);  // Escape while asking is a No, not a cancel
  Deliver();
  Deliver();
  EXPECT_EQ(caller.Answers(), 0);
  Key(platform::kVkReturn);
  ASSERT_NE(w->GetOverwriteBox(), nullptr);
  w->GetOverwriteBox()->GetButton(0)->Click();
  Deliver();
  Deliver();
  ASSERT_EQ(caller.chosen, std::vector<std::string>{m_tree.Path("pics/gift.exe")});
  EXPECT_TRUE(caller.windowAliveInSlot);
  EXPECT_EQ(caller.window.get(), nullptr);
  EXPECT_EQ(CRSControlWindow::GetModalCount(), 0u);
}

TEST_F(DialogWindowsTest, TheWindowMayGoWhileThumbnailsAreBeingMade) {
  const std::string jpeg = EncodedPicture(900, 700);
  ASSERT_FALSE(jpeg.empty());
  for (int i = 0; i < 30; ++i) ASSERT_TRUE(m_tree.File("pics/p" + std::to_string(i) + ".jpg", jpeg));
  CRSThumbnailService service(64);
  Caller caller;
  auto* w = new CRSFileDialogWindow(root, OpenRequest(), &service);
  caller.Watch(w);
  ASSERT_TRUE(WaitFor([&] { return !w->Browser().IsReading(); }));
  // The visible picture rows were asked for; the window goes at once.
  EXPECT_NE(service.Find(m_tree.Path("pics/p0.jpg")), CRSThumbnailService::State::kUnknown);
  w->Close();
  Deliver();
  EXPECT_EQ(caller.window.get(), nullptr);
  EXPECT_EQ(caller.cancelled, 1);
  // The results still arrive and are cached, with nobody left to tell.
  ASSERT_TRUE(WaitFor([&] { return service.Find(m_tree.Path("pics/p0.jpg")) != CRSThumbnailService::State::kPending; }));

  // A new dialog on the same folder finds them ready.
  auto* again = new CRSFileDialogWindow(root, OpenRequest(), &service);
  caller.Watch(again);
  ASSERT_TRUE(WaitFor([&] { return !again->Browser().IsReading(); }));
  ASSERT_TRUE(WaitFor([&] { return service.Find(m_tree.Path("pics/p0.jpg")) == CRSThumbnailService::State::kReady; }));
  again->Close();
  Deliver();
}

TEST_F(DialogWindowsTest, TheWheelAndTheBarScrollAndOddNamesPaintAsOneLine) {
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(m_tree.File("pics/n" + std::to_string(i) + ".png"));
  ASSERT_TRUE(m_tree.File("pics/bad\xFF\xFEname.png"));
  ASSERT_TRUE(m_tree.File("pics/two\nlines.png"));
  auto* w = OpenFileDialog(root, OpenRequest());
  CRSFileBrowser& b = w->Browser();
  ASSERT_TRUE(WaitFor([&] { return !b.IsReading(); }));
  CRSScrollBar* bar = w->GetScrollBar();
  ASSERT_TRUE(bar->IsVisible()) << "more rows than the list shows";
  EXPECT_EQ(bar->GetTotal(), static_cast<float>(b.GetModel().GetRowCount()));

  // One notch down moves three rows, and the bar follows; the bar moves
  // the list back.
  const PointF p = InRoot(w->GetBody(), w->GetLayout().list);
  Move(p.X, p.Y);
  view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), platform::kMsgMouseWheel,
                                         static_cast<unsigned>(platform::MakeWheelParam(-platform::kWheelDelta, 0)),
                                         platform::MakeMousePosition(static_cast<int>(p.X), static_cast<int>(p.Y))});
  EXPECT_EQ(b.GetTopRow(), 3);
  EXPECT_EQ(bar->GetValue(), 3.0f);
  bar->SetValue(1);
  EXPECT_EQ(b.GetTopRow(), 1);
  // The selection kept in view scrolls the bar too.
  Key(platform::kVkEnd);
  EXPECT_EQ(bar->GetValue(), static_cast<float>(b.GetTopRow()));
  EXPECT_GT(b.GetTopRow(), 30);

  // Names that are not UTF-8 or hold a newline are painted from their
  // display form, and the chosen path keeps the raw bytes.
  const int bad = b.GetModel().FindRow("bad\xFF\xFEname.png");
  ASSERT_GE(bad, 0);
  EXPECT_EQ(b.GetModel().EntryOfRow(bad).displayName.find('\xFF'), std::string::npos);
  EXPECT_EQ(b.GetModel().EntryOfRow(b.GetModel().FindRow("two\nlines.png")).displayName.find('\n'), std::string::npos);
  b.Select(bad);
  Gdiplus::Bitmap canvas(static_cast<int>(w->GetBody()->GetSize().Width),
                         static_cast<int>(w->GetBody()->GetSize().Height), Gdiplus::PixelFormat::Format32bppARGB);
  Gdiplus::Graphics g(&canvas);
  w->GetBody()->PaintContent(g, false);
  Caller caller;
  caller.Watch(w);
  Key(platform::kVkReturn);
  Deliver();
  EXPECT_EQ(caller.chosen, std::vector<std::string>{m_tree.Path("pics/bad\xFF\xFEname.png")});
}

TEST_F(DialogWindowsTest, TheColourDialogPicksByClickHexAndKeysAndAnswersOpaque) {
  Caller caller;
  CRSColourRequest r;
  r.initial = 0x80336699;
  auto* w = ChooseColourDialog(root, r);
  caller.Watch(w);
  CRSColourChooser& c = w->Chooser();
  EXPECT_EQ(c.GetColour(), 0xFF336699u) << "preselected, made opaque";
  EXPECT_EQ(w->GetHexEdit()->GetText(), "#336699");
  EXPECT_EQ(view.GetFocusItem(), w);

  // A palette cell, then the field and the brightness bar.
  const CRSColourDialogLayout& l = w->GetLayout();
  PointF p = InRoot(w->GetBody(), PaletteCellRect(l, 13));
  Click(p.X, p.Y);
  EXPECT_EQ(c.GetColour(), BasicPalette()[13]);
  EXPECT_EQ(w->GetHexEdit()->GetText(), FormatHexColour(BasicPalette()[13]));
  const PointF fieldTop = w->GetBody()->MapToAncestor(PointF(l.field.X + 1, l.field.Y + 1), nullptr);
  Click(fieldTop.X, fieldTop.Y);
  EXPECT_NEAR(c.GetHsv().saturation, 1.0, 0.02);
  EXPECT_NEAR(c.GetHsv().hue, 0.0, 3.0);
  const PointF sliderBottom = w->GetBody()->MapToAncestor(PointF(l.slider.X + 2, l.slider.GetBottom() - 1), nullptr);
  Click(sliderBottom.X, sliderBottom.Y);
  EXPECT_LT(c.GetHsv().value, 0.02);

  // Typing into the hexadecimal field sets the colour as soon as it is one.
  CRSEdit* hex = w->GetHexEdit();
  while (hex->RemoveLastCharacter()) {
  }
  for (char ch : std::string("#0A0")) hex->AppendCharacter(static_cast<unsigned char>(ch));
  EXPECT_EQ(c.GetColour(), 0xFF00AA00u);
  hex->AppendCharacter('Z');
  EXPECT_EQ(c.GetColour(), 0xFF00AA00u) << "a text that is no colour leaves the colour";

  Key(platform::kVkReturn);
  Key(platform::kVkReturn);
  Deliver();
  Deliver();
  ASSERT_EQ(caller.colours, std::vector<ARGB>{0xFF00AA00u});
  EXPECT_EQ(caller.Answers(), 1);
  EXPECT_TRUE(caller.windowAliveInSlot);
  EXPECT_EQ(caller.window.get(), nullptr);

  // Cancel answers nothing but the cancel.
  auto* again = ChooseColourDialog(root, r);
  caller.Watch(again);
  again->GetCancelButton()->Click();
  Deliver();
  Deliver();
  EXPECT_EQ(caller.cancelled, 1);
  EXPECT_EQ(caller.colours.size(), 1u);
  EXPECT_EQ(caller.window.get(), nullptr);
}

}  // namespace
