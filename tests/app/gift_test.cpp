#include "app/gift.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/dialog_hooks.h"
#include "canvas/controls.h"
#include "canvas/event_dispatcher.h"
#include "data/library.h"
#include "data/puzzle_data.h"
#include "platform/program_payload.h"
#include "../data/puzzle_test_support.h"
#include "../data/library_test_support.h"

namespace fs = std::filesystem;

namespace {

// A puzzles folder with one half-played puzzle, a gift template beside it,
// and the mail and save hand-overs answered by the test.
class GiftTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CRSEventDispatcher::Create();
    folder = puzzle_test::MakeTempFolder() + "/";
    CPuzzleData::SetPuzzleFolder(folder + "puzzles/");
    fs::create_directories(folder + "puzzles");
    templatePath = folder + "gift.pzl";
    std::ofstream(templatePath) << "#!/bin/sh\necho program\n";
    fs::permissions(templatePath, fs::perms::owner_all);
    app::SetGiftTemplatePath(templatePath);

    CPuzzleData puzzle("half");
    puzzle_test::MakePlayable(puzzle);
    puzzle.SetTimePlayed(123456);
    ASSERT_TRUE(puzzle.Save());
    auto picture = library_test::MakePicture(200, 150);
    entry = new CPuzzleImageData(picture.get(), "half");
    library.AddPuzzleImage(entry);
    root = new CRSControlWindow(PointF(), nullptr, "root", SizeF(800, 600));
  }
  void TearDown() override {
    root->Delete();
    DiscardEvents();
    app::SetGiftTemplatePath({});
    app::ResetMailer();
    app::ResetDialogs();
    CPuzzleData::SetPuzzleFolder({});
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  std::string GiftPath() const { return CPuzzleData::GetPuzzleFolder() + app::kGiftFileName; }
  int BoxesTitled(const std::string& title) const {
    int n = 0;
    for (const auto& child : root->GetClientArea()->GetChildren())
      if (auto* box = dynamic_cast<CRSMessageBox*>(child.get()); box && box->GetCaption() == title) ++n;
    for (const auto& child : root->GetChildren())
      if (auto* box = dynamic_cast<CRSMessageBox*>(child.get()); box && box->GetCaption() == title) ++n;
    return n;
  }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string folder;
  std::string templatePath;
  CPuzzleLibrary library;
  CPuzzleImageData* entry = nullptr;
  CRSControlWindow* root = nullptr;
};

TEST_F(GiftTest, GiftCarriesAFreshPuzzleAndTheSendersFileKeepsItsProgress) {
  const std::string gift = app::MakeGiftFile(entry, root);
  ASSERT_EQ(gift, GiftPath());
  EXPECT_EQ(::access(gift.c_str(), X_OK), 0) << "the gift runs";
  const std::string bytes = ReadAll(gift);
  EXPECT_EQ(bytes.rfind("#!/bin/sh\necho program\n", 0), 0u) << "the program comes first";

  std::optional<std::string> payload = platform::ReadPayload(gift);
  ASSERT_TRUE(payload.has_value());
  CPuzzleData received("Gift Puzzle");
  ASSERT_TRUE(received.LoadFromText(*payload));
  EXPECT_EQ(received.GetTimePlayed(), 0);
  EXPECT_FALSE(received.IsCompleted());

  CPuzzleData sender("half");
  ASSERT_TRUE(sender.Load());
  EXPECT_EQ(sender.GetTimePlayed(), 123456) << "the sender's own file is untouched";

  EXPECT_EQ(app::MakeGiftFile(nullptr, root), "");
}

TEST_F(GiftTest, FailuresLeaveNothingBehindAndSayWhatTheUserMustKnow) {
  // No template: the failure box names it, and no gift is left.
  app::SetGiftTemplatePath(folder + "missing.pzl");
  EXPECT_EQ(app::MakeGiftFile(entry, root), "");
  EXPECT_FALSE(fs::exists(GiftPath()));
  EXPECT_EQ(BoxesTitled("Failed making the gift!!!"), 1);
  app::SetGiftTemplatePath(templatePath);

  // An unreadable puzzle file: the copy goes, silently.
  fs::remove(CPuzzleData::GetPuzzleFileName("half"));
  EXPECT_EQ(app::MakeGiftFile(entry, root), "");
  EXPECT_FALSE(fs::exists(GiftPath()));
  EXPECT_EQ(BoxesTitled("Failed making the gift!!!"), 1);
}

TEST_F(GiftTest, MailingNeverLeavesTheGiftAndReportsOnlyRealFailures) {
  entry->SetSelected(true);
  std::string attached;
  for (int code : {0, -1, 3, 4}) {
    app::Mailer() = [&](const std::string& path) {
      attached = path;
      EXPECT_TRUE(fs::exists(path)) << "the gift exists while it is handed over";
      return code;
    };
    app::EmailGift(library, root);
    EXPECT_EQ(attached, GiftPath());
    EXPECT_FALSE(fs::exists(GiftPath())) << code;
  }
  EXPECT_EQ(BoxesTitled("Send Mail Failed !!!"), 1) << "only the failure exit is shown";
  // Without a selection nothing is made.
  entry->SetSelected(false);
  attached.clear();
  app::EmailGift(library, root);
  EXPECT_EQ(attached, "");
}

// Gifts kept outside the data folder go when the game ends: the copy under
// the attachment name that xdg-email's mail client may read later (a failed
// hand-over keeps nothing), and the gift of a copy of the game that may not
// write the data folder.
TEST_F(GiftTest, GiftsMadeOutsideTheDataFolderGoWhenTheGameEnds) {
  entry->SetSelected(true);
  fs::create_directories(folder + "bin");
  std::ofstream(folder + "bin/xdg-email") << "#!/bin/sh\necho \"$2\" >>'" << folder << "mailed'\nexit $CODE\n";
  fs::permissions(folder + "bin/xdg-email", fs::perms::owner_all);
  const std::string path = std::getenv("PATH");
  setenv("PATH", (folder + "bin:" + path).c_str(), 1);
  app::ResetMailer();
  for (const char* code : {"0", "4"}) {
    setenv("CODE", code, 1);
    app::EmailGift(library, root);
  }
  setenv("PATH", path.c_str(), 1);
  std::string sent, failed;
  std::ifstream mailed(folder + "mailed");
  std::getline(std::getline(mailed, sent), failed);
  CPuzzleData::SetPuzzleFilesWritable(false);
  const std::string apart = app::MakeGiftFile(entry, root);
  CPuzzleData::SetPuzzleFilesWritable(true);
  EXPECT_EQ(fs::path(sent).filename(), app::kGiftAttachmentName);
  EXPECT_TRUE(fs::exists(sent) && platform::ReadPayload(apart)) << "both are still needed";
  EXPECT_FALSE(fs::exists(fs::path(failed).parent_path()) || fs::exists(GiftPath()));
  app::RemoveTemporaryGifts();
  EXPECT_FALSE(fs::exists(fs::path(sent).parent_path()) || fs::exists(fs::path(apart).parent_path()));
}

TEST_F(GiftTest, SavingMovesTheGiftOrDiscardsItAndReplacesAnExistingFile) {
  entry->SetSelected(true);
  std::string answer;
  CRSSaveFileRequest asked;
  app::Dialogs().saveFile = [&](CRSControlWindow*, const CRSSaveFileRequest& request, app::FileAnswer reply) {
    asked = request;
    EXPECT_TRUE(fs::exists(GiftPath()));
    reply(answer);
  };
  // Cancelled: nothing left.
  app::SaveGiftAs(library, root);
  EXPECT_EQ(asked.title, "Save Puzzle Gift:");
  EXPECT_EQ(asked.proposedName, "puzzle_gift.exe");
  EXPECT_EQ(asked.defaultExtension, "exe");
  EXPECT_TRUE(asked.overwritePrompt);
  ASSERT_EQ(asked.filters.size(), 1u);
  EXPECT_EQ(asked.filters[0].pattern, "*.exe");
  EXPECT_FALSE(fs::exists(GiftPath()));

  // Over an existing file: replaced by the gift, which still runs.
  answer = folder + "present.exe";
  std::ofstream(answer) << "old";
  app::SaveGiftAs(library, root);
  EXPECT_FALSE(fs::exists(GiftPath()));
  EXPECT_TRUE(platform::ReadPayload(answer).has_value());
  EXPECT_EQ(::access(answer.c_str(), X_OK), 0);

  // A place the gift cannot go: said so, the gift discarded, and a folder
  // of that name left as it was.
  answer = folder + "no such folder/gift.exe";
  app::SaveGiftAs(library, root);
  EXPECT_EQ(BoxesTitled("Failed making the gift!!!"), 1);
  EXPECT_FALSE(fs::exists(GiftPath()));
  answer = folder + "kept";
  fs::create_directories(answer);
  app::SaveGiftAs(library, root);
  EXPECT_TRUE(fs::is_directory(answer));
  EXPECT_EQ(BoxesTitled("Failed making the gift!!!"), 2);
  EXPECT_FALSE(fs::exists(GiftPath()));
}

}  // namespace
