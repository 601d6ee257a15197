#include "canvas/dialogs/file_browser.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "canvas/dialogs/folder_reader.h"
#include "canvas/dialogs/save_name.h"
#include "canvas/dialogs/start_folders.h"
#include "platform/message_loop.h"
#include "platform/messages.h"
#include "tests/platform/temp_tree.h"

namespace {

std::vector<std::string> RowNames(const CRSFolderModel& model) {
  std::vector<std::string> out;
  for (int r = 0; r < model.GetRowCount(); ++r) out.push_back(model.EntryOfRow(r).name);
  return out;
}

// Records what a browser answers and asks.
struct Answers : sigslot::has_slots {
  std::vector<std::string> chosen;
  int cancelled = 0;
  std::vector<std::string> questions;
  void OnChosen(std::string path) { chosen.push_back(path); }
  void OnCancelled() { ++cancelled; }
  void OnAsk(std::string text) { questions.push_back(text); }
  void Watch(CRSFileBrowser& b) {
    b.sigFileChosen.connect(this, &Answers::OnChosen);
    b.sigCancelled.connect(this, &Answers::OnCancelled);
    b.sigAskOverwrite.connect(this, &Answers::OnAsk);
  }
};

class FileBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_tree.Root().empty());
    // A home of our own with user-dirs settings, so start folders and
    // places do not depend on the machine.
    ASSERT_TRUE(m_tree.Dir("home"));
    ASSERT_TRUE(m_tree.Dir("home/Pictures"));
    ASSERT_TRUE(m_tree.Dir("home/Pictures/holiday"));
    ASSERT_TRUE(m_tree.File("home/Pictures/holiday/beach.JPG"));
    ASSERT_TRUE(m_tree.Dir("home/Tunes"));
    ASSERT_TRUE(m_tree.Dir("home/.config"));
    ASSERT_TRUE(m_tree.File("home/.config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Tunes\"\n"));
    m_env.Set("HOME", m_tree.Path("home").c_str());
    m_env.Set("XDG_CONFIG_HOME", nullptr);
    ForgetDialogFolders();

    ASSERT_TRUE(m_tree.Dir("pics"));
    ASSERT_TRUE(m_tree.Dir("pics/Album 10"));
    ASSERT_TRUE(m_tree.Dir("pics/album 2"));
    ASSERT_TRUE(m_tree.Dir("pics/.cache"));
    ASSERT_TRUE(m_tree.Link("album 2", "pics/linked"));
    ASSERT_TRUE(m_tree.File("pics/img10.png"));
    ASSERT_TRUE(m_tree.File("pics/IMG2.JPG"));
    ASSERT_TRUE(m_tree.File("pics/img1.jpeg"));
    ASSERT_TRUE(m_tree.File("pics/notes.txt"));
    ASSERT_TRUE(m_tree.File("pics/.secret.png"));
    ASSERT_TRUE(m_tree.Link("nowhere.png", "pics/broken.png"));
    ASSERT_TRUE(m_tree.File("pics/album 2/inner.gif"));
  }
  void TearDown() override { ForgetDialogFolders(); }
  CRSOpenFileRequest OpenPictures() {
    CRSOpenFileRequest r;
    r.title = "Open Puzzle Image:";
    r.filters = ImageFileFilters();
    r.kind = CRSDialogKind::kPicture;
    r.initialFolder = m_tree.Path("pics");
    return r;
  }

  TempTree m_tree;
  platform::MessageLoop m_loop;
  ScopedEnv m_env;
};

TEST_F(FileBrowserTest, RowsAreFoldersThenMatchingFilesInNaturalOrderWithoutHiddenOnes) {
  CRSFolderModel model;
  model.SetPatterns(SplitFilterPattern("*.JPG;*.JPEG;*.PNG"));
  ASSERT_EQ(model.SetFolder(m_tree.Path("pics")), platform::FolderResult::kOk);
  EXPECT_TRUE(model.GetMessage().empty());
  EXPECT_EQ(RowNames(model), (std::vector<std::string>{"album 2", "Album 10", "linked", "broken.png", "img1.jpeg",
                                                       "IMG2.JPG", "img10.png"}));
  EXPECT_TRUE(model.IsFolderRow(2)) << "a link to a folder opens as one";
  EXPECT_FALSE(model.IsFolderRow(3));
  EXPECT_EQ(model.PathOfRow(4), m_tree.Path("pics/img1.jpeg"));
  EXPECT_EQ(model.FindRow("IMG2.JPG"), 5);
  EXPECT_EQ(model.FindRow("notes.txt"), -1);

  EXPECT_EQ(FormatFileSize(0), "0 bytes");
  EXPECT_EQ(FormatFileSize(1), "1 byte");
  EXPECT_EQ(FormatFileSize(1023), "1023 bytes");
  EXPECT_EQ(FormatFileSize(1536), "1.5 KB");
  EXPECT_EQ(FormatFileSize(10239), "10 KB") << "rounds to ten: no decimal";
  EXPECT_EQ(FormatFileSize(1048575), "1.0 MB") << "rounds to 1024 KB: the next unit";
  EXPECT_EQ(FormatFileSize(~std::uint64_t(0)), "16 EB");

  model.SetShowHidden(true);
  EXPECT_EQ(model.FindRow(".cache"), 0);
  model.SetPatterns({});
  EXPECT_NE(model.FindRow("notes.txt"), -1) << "no filter: every file";
}

TEST_F(FileBrowserTest, BrowsingByClicksAndKeysEndsInOneAnswer) {
  Answers answers;
  CRSFileBrowser browser(OpenPictures(), nullptr);
  answers.Watch(browser);
  EXPECT_EQ(browser.GetTitle(), "Open Puzzle Image:");
  EXPECT_EQ(browser.GetFolder(), m_tree.Path("pics"));
  EXPECT_EQ(browser.GetSelection(), -1);

  // Double click into a folder, Backspace back out with it selected.
  browser.DoubleClickRow(browser.GetModel().FindRow("album 2"));
  EXPECT_EQ(browser.GetFolder(), m_tree.Path("pics/album 2"));
  EXPECT_EQ(RowNames(browser.GetModel()), (std::vector<std::string>{"inner.gif"}));
  EXPECT_TRUE(browser.OnKey(platform::kVkBack));
  EXPECT_EQ(browser.GetFolder(), m_tree.Path("pics"));
  EXPECT_EQ(browser.GetSelection(), browser.GetModel().FindRow("album 2"));

  // Arrows move and stop at the ends; one click only selects.
  browser.Select(-1);
  EXPECT_TRUE(browser.OnKey(platform::kVkDown));
  EXPECT_EQ(browser.GetSelection(), 0);
  EXPECT_TRUE(browser.OnKey(platform::kVkUp));
  EXPECT_EQ(browser.GetSelection(), 0);
  EXPECT_TRUE(browser.OnKey(platform::kVkEnd));
  EXPECT_EQ(browser.GetSelection(), browser.GetModel().GetRowCount() - 1);
  EXPECT_FALSE(browser.OnKey('Q'));
  browser.ClickRow(browser.GetModel().FindRow("IMG2.JPG"));
  EXPECT_FALSE(browser.IsFinished());

  // Typing jumps to names; a pause starts afresh; one letter again steps on.
  browser.Select(-1);
  EXPECT_TRUE(browser.TypeAhead("I", 0));
  EXPECT_EQ(browser.GetSelection(), 4);  // img1.jpeg
  EXPECT_TRUE(browser.TypeAhead("m", 100));
  EXPECT_TRUE(browser.TypeAhead("g", 200));
  EXPECT_TRUE(browser.TypeAhead("1", 300));
  EXPECT_EQ(browser.GetSelection(), 4) << "still matching: it stays";
  EXPECT_TRUE(browser.TypeAhead("0", 400));
  EXPECT_EQ(browser.GetSelection(), 6);  // img10.png
  EXPECT_TRUE(browser.TypeAhead("a", 5000));
  EXPECT_EQ(browser.GetSelection(), 0);  // album 2, wrapping round
  EXPECT_TRUE(browser.TypeAhead("a", 5100));
  EXPECT_EQ(browser.GetSelection(), 1);  // Album 10
  EXPECT_FALSE(browser.TypeAhead("z", 9000));
  EXPECT_EQ(browser.GetSelection(), 1);
  browser.ClickRow(browser.GetModel().FindRow("IMG2.JPG"));

  // Changing the filter keeps the selected file when it is still shown.
  browser.SetFilterIndex(4);  // JPEG only
  EXPECT_EQ(browser.GetModel().FindRow("img10.png"), -1);
  EXPECT_EQ(browser.GetSelection(), browser.GetModel().FindRow("IMG2.JPG"));

  // Enter chooses; the answer comes through the queue, once.
  EXPECT_TRUE(browser.OnKey(platform::kVkReturn));
  EXPECT_TRUE(browser.IsFinished());
  EXPECT_FALSE(browser.OnKey(platform::kVkEscape));
  browser.Cancel();
  EXPECT_TRUE(answers.chosen.empty());
  m_loop.PumpMessages(0);
  EXPECT_EQ(answers.chosen, (std::vector<std::string>{m_tree.Path("pics/IMG2.JPG")}));
  EXPECT_EQ(answers.cancelled, 0);

  // The next picture dialog starts where this one ended.
  EXPECT_EQ(GetDialogStartFolder(CRSDialogKind::kPicture), m_tree.Path("pics"));
}

TEST_F(FileBrowserTest, StartFoldersPerKindAndPlacesComeFromTheUsersFolders) {
  EXPECT_EQ(GetDialogStartFolder(CRSDialogKind::kPicture), m_tree.Path("home/Pictures"));
  EXPECT_EQ(GetDialogStartFolder(CRSDialogKind::kMusic), m_tree.Path("home/Tunes"));
  EXPECT_EQ(GetDialogStartFolder(CRSDialogKind::kGift), m_tree.Path("home"));

  CRSOpenFileRequest request = OpenPictures();
  request.initialFolder.clear();
  Answers answers;
  {
    CRSFileBrowser browser(request, nullptr);
    answers.Watch(browser);
    EXPECT_EQ(browser.GetFolder(), m_tree.Path("home/Pictures"));
    std::vector<std::string> labels;
    for (const auto& p : browser.GetPlaces()) labels.push_back(p.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"Home", "Pictures", "Music", "File System"}));
    browser.OpenPlace(2);
    EXPECT_EQ(browser.GetFolder(), m_tree.Path("home/Tunes"));
    browser.OpenPlace(1);
    browser.DoubleClickRow(0);  // holiday
    const auto segments = browser.GetSegments();
    ASSERT_GE(segments.size(), 3u);
    EXPECT_EQ(segments.front().label, "/");
    EXPECT_EQ(segments.back().label, "holiday");
    EXPECT_EQ(segments.back().path, m_tree.Path("home/Pictures/holiday"));
    browser.OpenSegment(static_cast<int>(segments.size()) - 2);
    EXPECT_EQ(browser.GetFolder(), m_tree.Path("home/Pictures"));
    browser.OnKey(platform::kVkEscape);
  }
  // The answer was queued by a browser that is gone: it is dropped with it,
  // and nothing touches the dead browser.
  m_loop.PumpMessages(0);
  EXPECT_EQ(answers.cancelled, 0);
  EXPECT_EQ(GetDialogStartFolder(CRSDialogKind::kPicture), m_tree.Path("home/Pictures"));
  EXPECT_EQ(GetDialogStartFolder(CRSDialogKind::kMusic), m_tree.Path("home/Tunes")) << "kinds are apart";

  // A remembered folder that vanished gives way to the kind's first folder.
  RememberDialogFolder(CRSDialogKind::kMusic, m_tree.Path("pics/album 2"));
  EXPECT_EQ(GetDialogStartFolder(CRSDialogKind::kMusic), m_tree.Path("pics/album 2"));
  ASSERT_TRUE(std::remove(m_tree.Path("pics/album 2/inner.gif").c_str()) == 0);
  ASSERT_EQ(rmdir(m_tree.Path("pics/album 2").c_str()), 0);
  EXPECT_EQ(GetDialogStartFolder(CRSDialogKind::kMusic), m_tree.Path("home/Tunes"));
}

TEST_F(FileBrowserTest, TypedPathsVanishedFilesAndBrokenLinksNeverEndTheDialogWrongly) {
  Answers answers;
  CRSFileBrowser browser(OpenPictures(), nullptr);
  answers.Watch(browser);

  browser.EnterTypedPath("  album 2/../Album 10/ ");
  EXPECT_EQ(browser.GetFolder(), m_tree.Path("pics/Album 10"));
  browser.EnterTypedPath("~/Pictures");
  EXPECT_EQ(browser.GetFolder(), m_tree.Path("home/Pictures"));
  browser.EnterTypedPath(m_tree.Path("pics/nothing-here.png"));
  EXPECT_NE(browser.GetMessage().find("no such file"), std::string::npos) << browser.GetMessage();
  EXPECT_FALSE(browser.IsFinished());

  browser.EnterTypedPath(m_tree.Path("pics"));
  // A broken link is shown (the user may wonder where it went) but not chosen.
  browser.DoubleClickRow(browser.GetModel().FindRow("broken.png"));
  EXPECT_NE(browser.GetMessage().find("leads nowhere"), std::string::npos);
  EXPECT_FALSE(browser.IsFinished());

  // A file that vanished after the list was read.
  browser.ClickRow(browser.GetModel().FindRow("img10.png"));
  ASSERT_EQ(std::remove(m_tree.Path("pics/img10.png").c_str()), 0);
  browser.Activate();
  EXPECT_FALSE(browser.IsFinished());
  EXPECT_NE(browser.GetMessage().find("img10.png: this file no longer exists."), std::string::npos);
  EXPECT_EQ(browser.GetModel().FindRow("img10.png"), -1) << "the list was read again";

  // The folder itself removed while shown: a message, and Backspace still works.
  browser.EnterTypedPath(m_tree.Path("pics/Album 10"));
  ASSERT_EQ(rmdir(m_tree.Path("pics/Album 10").c_str()), 0);
  browser.Refresh();
  EXPECT_EQ(browser.GetModel().GetRowCount(), 0);
  EXPECT_FALSE(browser.GetMessage().empty());
  browser.OnKey(platform::kVkBack);
  EXPECT_EQ(browser.GetFolder(), m_tree.Path("pics"));
  EXPECT_TRUE(browser.GetMessage().empty());

  // A typed pattern filters (here and in another folder) until a filter is chosen.
  browser.EnterTypedPath("*.TXT;*.gif");
  EXPECT_EQ(RowNames(browser.GetModel()), (std::vector<std::string>{"album 2", "linked", "notes.txt"}));
  browser.EnterTypedPath("album 2/i*");
  EXPECT_EQ(RowNames(browser.GetModel()), (std::vector<std::string>{"inner.gif"}));
  EXPECT_EQ(browser.GetTypedPattern(), "i*");
  browser.SetFilterIndex(browser.GetFilterIndex());
  EXPECT_EQ(browser.GetTypedPattern(), "");
  browser.OnKey(platform::kVkBack);
  EXPECT_EQ(browser.GetModel().FindRow("notes.txt"), -1);

  // A typed file path chooses it, raw bytes and all.
  ASSERT_TRUE(m_tree.File("pics/odd\xff\nname.png"));
  browser.EnterTypedPath("odd\xff\nname.png");
  m_loop.PumpMessages(0);
  EXPECT_EQ(answers.chosen, (std::vector<std::string>{m_tree.Path("pics/odd\xff\nname.png")}));
}

TEST_F(FileBrowserTest, SavingAddsTheExtensionAndAsksBeforeReplacing) {
  ASSERT_TRUE(m_tree.Dir("gifts"));
  ASSERT_TRUE(m_tree.File("gifts/old.exe", "old"));
  CRSSaveFileRequest request;
  request.title = "Save Puzzle Gift:";
  request.filters = GiftFileFilters();
  request.defaultExtension = "exe";
  request.proposedName = "puzzle_gift.exe";
  request.initialFolder = m_tree.Path("gifts");
  request.kind = CRSDialogKind::kGift;
  Answers answers;
  CRSFileBrowser browser(request, nullptr);
  answers.Watch(browser);
  EXPECT_EQ(browser.GetName(), "puzzle_gift.exe");

  // Clicking a file proposes its name; Enter then asks before replacing it.
  browser.ClickRow(browser.GetModel().FindRow("old.exe"));
  EXPECT_EQ(browser.GetName(), "old.exe");
  browser.OnKey(platform::kVkReturn);
  ASSERT_EQ(answers.questions.size(), 1u);
  EXPECT_EQ(answers.questions[0], "old.exe already exists.\nDo you want to replace it?");
  EXPECT_TRUE(browser.IsAskingOverwrite());
  browser.Accept();  // a second OK while the box is up asks nothing more
  EXPECT_EQ(answers.questions.size(), 1u);
  browser.AnswerOverwrite(false);
  m_loop.PumpMessages(0);
  EXPECT_TRUE(answers.chosen.empty()) << "No keeps the dialog open";
  EXPECT_FALSE(browser.IsFinished());

  // Empty names and missing folders give a message; a folder's name opens it.
  browser.SetName("   ");
  browser.Accept();
  EXPECT_FALSE(browser.GetMessage().empty());
  browser.SetName("../missing/x");
  browser.Accept();
  EXPECT_NE(browser.GetMessage().find("does not exist"), std::string::npos);
  ASSERT_TRUE(m_tree.Dir("gifts/sub"));
  browser.SetName("sub");
  browser.Accept();
  EXPECT_EQ(browser.GetFolder(), m_tree.Path("gifts/sub"));
  EXPECT_TRUE(answers.questions.size() == 1 && answers.chosen.empty());
  browser.OnKey(platform::kVkBack);

  // The typed name without an extension gets one, and hits the same file.
  browser.SetName("old");
  browser.Accept();
  ASSERT_EQ(answers.questions.size(), 2u);
  browser.AnswerOverwrite(true);
  m_loop.PumpMessages(0);
  EXPECT_EQ(answers.chosen, (std::vector<std::string>{m_tree.Path("gifts/old.exe")}));
}

TEST_F(FileBrowserTest, FoldersReadInTheBackgroundShowOnlyTheNewestAndKeepTheSelection) {
  CRSFolderReader reader;
  CRSOpenFileRequest request = OpenPictures();
  CRSFileBrowser browser(request, nullptr, &reader);
  auto settle = [&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (browser.IsReading() && std::chrono::steady_clock::now() < deadline) m_loop.PumpMessages(20);
    return !browser.IsReading();
  };
  EXPECT_EQ(browser.GetModel().GetRowCount(), 0) << "nothing shown before the listing arrives";
  ASSERT_TRUE(settle());
  EXPECT_EQ(browser.GetModel().FindRow("IMG2.JPG"), 5);

  // Two quick moves: only the second folder is ever shown.
  browser.OpenFolder(m_tree.Path("home"));
  browser.DoubleClickRow(0);  // nothing to click yet: ignored
  browser.OpenFolder(m_tree.Path("pics/album 2"));
  ASSERT_TRUE(settle());
  EXPECT_EQ(RowNames(browser.GetModel()), (std::vector<std::string>{"inner.gif"}));
  m_loop.PumpMessages(50);
  EXPECT_EQ(browser.GetFolder(), m_tree.Path("pics/album 2"));

  browser.OnKey(platform::kVkBack);
  ASSERT_TRUE(settle());
  EXPECT_EQ(browser.GetSelection(), browser.GetModel().FindRow("album 2")) << "selected once it is shown";

  CRSFolderReader::Listing listing;
  const unsigned old = reader.Read(m_tree.Root());
  reader.Read(m_tree.Path("pics"));
  EXPECT_FALSE(reader.Take(old, listing)) << "an older ticket gets nothing";
}

TEST(SaveNameTest, TheDefaultExtensionIsAddedOnlyWhereTheNameHasNone) {
  EXPECT_EQ(ApplyDefaultExtension("puzzle_gift", "exe"), "puzzle_gift.exe");
  EXPECT_EQ(ApplyDefaultExtension("puzzle_gift.exe", "exe"), "puzzle_gift.exe");
  EXPECT_EQ(ApplyDefaultExtension("archive.tar", "exe"), "archive.tar") << "any extension counts";
  EXPECT_EQ(ApplyDefaultExtension("name.", "exe"), "name.exe");
  EXPECT_EQ(ApplyDefaultExtension(".profile", "exe"), ".profile.exe") << "a leading dot is no extension";
  EXPECT_EQ(ApplyDefaultExtension("v1.2/gift", ".exe"), "v1.2/gift.exe") << "dots in folders do not count";
  EXPECT_EQ(ApplyDefaultExtension("gift", ""), "gift");
  EXPECT_EQ(OverwriteQuestion("bad\xff.exe"), "bad\xEF\xBF\xBD.exe already exists.\nDo you want to replace it?");

  TempTree tree;
  ASSERT_TRUE(tree.File("there.exe"));
  ASSERT_TRUE(tree.Link("nowhere", "dangling.exe"));
  ASSERT_TRUE(tree.Dir("dir.exe"));
  const std::string root = tree.Root();
  EXPECT_EQ(CheckSaveTarget(root, "there", "exe", "/").check, CRSSaveCheck::kExists);
  EXPECT_EQ(CheckSaveTarget(root, "there", "exe", "/").path, root + "/there.exe");
  EXPECT_EQ(CheckSaveTarget(root, "dangling", "exe", "/").check, CRSSaveCheck::kExists);
  EXPECT_EQ(CheckSaveTarget(root, "dir", "exe", "/").check, CRSSaveCheck::kIsFolder);
  EXPECT_EQ(CheckSaveTarget(root, "fresh", "exe", "/").check, CRSSaveCheck::kNew);
  EXPECT_EQ(CheckSaveTarget(root, "no/such/x", "exe", "/").check, CRSSaveCheck::kNoFolder);
  EXPECT_EQ(CheckSaveTarget(root, "", "exe", "/").check, CRSSaveCheck::kInvalidName);
  EXPECT_EQ(CheckSaveTarget(root, "..", "exe", "/").check, CRSSaveCheck::kIsFolder);
  EXPECT_EQ(CheckSaveTarget(root, "x/", "exe", "/").check, CRSSaveCheck::kInvalidName);
  EXPECT_EQ(CheckSaveTarget(root, "~/there", "exe", root).path, root + "/there.exe");
}

TEST(FolderPathsTest, PathsAreNormalisedByTheirTextAndSegmentsKeepRawBytes) {
  EXPECT_EQ(NormalisePath("/a//b/./c/../d/", "/x"), "/a/b/d");
  EXPECT_EQ(NormalisePath("../..", "/x"), "/");
  EXPECT_EQ(ParentFolder("/a"), "/");
  EXPECT_EQ(ParentFolder("/"), "/");
  EXPECT_EQ(JoinPath("/", "a"), "/a");
  EXPECT_EQ(ResolveTypedPath("~x", "/cur", "/home/u"), "/cur/~x") << "only ~ and ~/ mean home";
  EXPECT_EQ(ResolveTypedPath("", "/cur", "/home/u"), "/cur");
  const auto segments = PathSegments("/a/b\xff");
  ASSERT_EQ(segments.size(), 3u);
  EXPECT_EQ(segments[2].label, "b\xEF\xBF\xBD");
  EXPECT_EQ(segments[2].path, "/a/b\xff");
}

TEST_F(FileBrowserTest, TheSelectionStaysInViewWhileItMovesAndTheWheelScrolls) {
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(m_tree.File("many" + std::to_string(i) + ".png"));
  CRSOpenFileRequest request = OpenPictures();
  request.initialFolder = m_tree.Root();
  CRSFileBrowser browser(request, nullptr);
  const int rows = browser.GetModel().GetRowCount();
  ASSERT_GE(rows, 20);
  browser.SetVisibleRowCount(5);
  browser.OnKey(platform::kVkNext);  // from nothing: the fifth row
  EXPECT_EQ(browser.GetSelection(), 4);
  EXPECT_EQ(browser.GetTopRow(), 0);
  browser.OnKey(platform::kVkDown);
  EXPECT_EQ(browser.GetTopRow(), 1);
  browser.OnKey(platform::kVkEnd);
  EXPECT_EQ(browser.GetTopRow(), rows - 5);
  browser.OnKey(platform::kVkHome);
  EXPECT_EQ(browser.GetTopRow(), 0);
  browser.Scroll(3);
  EXPECT_EQ(browser.GetTopRow(), 3);
  browser.Scroll(1000);
  EXPECT_EQ(browser.GetTopRow(), rows - 5);
  browser.Scroll(-1000);
  EXPECT_EQ(browser.GetTopRow(), 0);
  browser.OnKey(platform::kVkPrior);
  EXPECT_EQ(browser.GetSelection(), 0);
}

}  // namespace
