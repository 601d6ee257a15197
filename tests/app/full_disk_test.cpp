// Every save the game makes, on a disk that is full: the library (with and
// without a background picture), a puzzle file, a gift made in the data
// folder and one saved where the player chose, and the sound bank's
// download. Each fails cleanly: the old file stays as it was, nothing
// half-written is left beside it, and the player is told, once.
//
// The disk is a small file system of its own, filled to its last byte, when
// the test command could mount one (TANDRILL_FULL_DISK names it, see
// full_disk_mount.sh); otherwise a file-size limit makes writes fail the way
// a full disk does.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/download_window.h"
#include "app/gift.h"
#include "app/library_check.h"
#include "canvas/controls.h"
#include "canvas/event_dispatcher.h"
#include "data/library.h"
#include "data/puzzle_data.h"
#include "platform/http_download.h"
#include "platform/paths.h"
#include "platform/synth_library.h"
#include "tests/app/http_test_server.h"
#include "tests/data/library_test_support.h"
#include "tests/data/puzzle_test_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> s_told;
void Told(const std::string&, const std::string& reason) { s_told.push_back(reason); }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every file under the folder with its size and a hash of its bytes.
std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& f : fs::recursive_directory_iterator(folder)) {
    if (!f.is_regular_file() || f.path().filename() == "filler") continue;
    const std::string bytes = ReadAll(f.path());
    files[f.path().filename()] =
        std::to_string(bytes.size()) + " bytes " + std::to_string(std::hash<std::string>{}(bytes));
  }
  return files;
}

class Ui : public app::LibraryCheckUi {
 public:
  bool AskYesNo(const std::string&, const std::string&) override { return true; }
  void ShowMessage(const std::string&, const std::string& text, app::MessageIcon) override { messages.push_back(text); }
  std::unique_ptr<app::DownloadWindow> CreateDownloadWindow(const std::string&) override {
    struct Window : app::DownloadWindow {
      void SetStatus(const std::string&) override {}
      void SetAddress(const std::string&) override {}
      void SetProgress(const std::string&) override {}
      void SetProgressValue(int) override {}
      bool Pump(unsigned, bool) override { return true; }
      bool Exists() const override { return true; }
      void Destroy() override {}
    };
    return std::make_unique<Window>();
  }
  std::vector<std::string> messages;
};

class FullDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    CRSEventDispatcher::Create();
    const char* mounted = std::getenv("TANDRILL_FULL_DISK");
    m_mounted = mounted && *mounted;
    // The data folder is the full disk: only failures there are the data
    // folder's problem to tell.
    m_folder = (m_mounted ? std::string(mounted) : puzzle_test::MakeTempFolder()) + "/data/";
    fs::create_directories(m_folder + "puzzles");
    setenv("TANDRILL_DATA_DIR", m_folder.c_str(), 1);
    CPuzzleData::SetPuzzleFolder(m_folder + "puzzles/");
    m_outside = puzzle_test::MakeTempFolder() + "/";
    platform::SetDataFolderProblemHandler(&Told);
    platform::ResetDataFolderProblemForTesting();
    s_told.clear();
    app::ResetLibraryCheckForTesting();
    m_root = new CRSControlWindow(PointF(), nullptr, "root", SizeF(800, 600));
  }
  void TearDown() override {
    Empty();
    m_root->Delete();
    DiscardEvents();
    app::SetGiftTemplatePath({});
    CPuzzleData::SetPuzzleFolder({});
    platform::SetDataFolderProblemHandler(nullptr);
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
    fs::remove_all(m_outside, ignored);
  }

  // Fills the disk: the mounted one to its last byte, else every write past
  // a few bytes fails as on a full disk.
  void Fill() {
    if (m_mounted) {
      std::ofstream filler(m_folder + "filler", std::ios::binary);
      const std::string block(1 << 16, 'f');
      while (filler.write(block.data(), block.size())) {
      }
      filler.close();
      std::ofstream rest(m_folder + "filler", std::ios::binary | std::ios::app);
      while (rest.put('f')) {
      }
    } else {
      ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &m_limit), 0);
      m_sigxfsz = signal(SIGXFSZ, SIG_IGN);
      const rlimit tiny{256, m_limit.rlim_max};
      ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
      m_limited = true;
    }
  }
  void Empty() {
    if (m_mounted) fs::remove(m_folder + "filler");
    if (m_limited) {
      setrlimit(RLIMIT_FSIZE, &m_limit);
      signal(SIGXFSZ, m_sigxfsz);
      m_limited = false;
    }
  }

  int Boxes(const std::string& title) const {
    int n = 0;
    for (CRSCanvasItem* parent :
         {static_cast<CRSCanvasItem*>(m_root), static_cast<CRSCanvasItem*>(m_root->GetClientArea())})
      for (const auto& child : parent->GetChildren())
        if (auto* box = dynamic_cast<CRSMessageBox*>(child.get()); box && box->GetCaption() == title) ++n;
    return n;
  }

  bool m_mounted = false;
  bool m_limited = false;
  rlimit m_limit{};
  void (*m_sigxfsz)(int) = SIG_DFL;
  std::string m_folder, m_outside;
  CRSControlWindow* m_root = nullptr;
};

TEST_F(FullDisk, EverySaveFailsCleanlyAndIsToldOnce) {
  CPuzzleLibrary library;
  auto picture = library_test::MakePicture(200, 150);
  for (const char* name : {"one", "two"}) library.AddPuzzleImage(new CPuzzleImageData(picture.get(), name));
  CPuzzleData puzzle("one");
  puzzle_test::MakePlayable(puzzle);
  // A gift template of some size, outside the full disk.
  const std::string giftTemplate = m_outside + "gift.pzl";
  std::ofstream(giftTemplate, std::ios::binary) << "#!/bin/sh\n" << std::string(300000, '#');
  app::SetGiftTemplatePath(giftTemplate);
  const std::string gift = m_outside + "made.exe";
  const std::string chosen = m_folder + "present.exe";
  HttpTestServer server;
  const std::string bank = "RIFF" + std::string("\x04\x00\x04\x00", 4) + "sfbk" + std::string(0x40000, 'b');
  server.Serve("/bank", HttpTestServer::Mode::kBody, bank);
  std::ofstream(m_outside + "bank", std::ios::binary) << bank;
  const std::string bankSha256 = platform::Sha256OfFile(m_outside + "bank");
  Ui ui;

  struct Save {
    const char* what;
    std::function<bool()> save;
    bool toldAsDataFolder;
    bool onlyOnAMountedDisk;
  };
  const Save saves[] = {
      {"the library", [&] { return library.SaveFile().ok; }, true, false},
      {"the library with a background picture",
       [&] {
         library.SetBackgroundImage(library_test::MakePicture(640, 480));
         return library.SaveFile().ok;
       },
       true, false},
      {"a puzzle file",
       [&] {
         puzzle.SetTimePlayed(98765);
         return puzzle.Save();
       },
       true, false},
      {"a gift made in the data folder",
       [&] {
         const bool made = !app::MakeGiftFile(library.GetPuzzleImages()[0].get(), m_root).empty();
         EXPECT_EQ(Boxes("Failed making the gift!!!"), 1);
         return made;
       },
       false, false},
      // A rename within one file system writes nothing; only a gift moved
      // from another disk is written, and only a mounted disk is another.
      {"a gift saved where the player chose", [&] { return app::MoveGiftTo(gift, chosen); }, false, true},
      {"the sound bank's download",
       [&] {
         app::LibraryCheckTarget target;
         target.name = "bank.sf3";
         target.targetPath = m_folder + "bank.sf3";
         target.probe = [path = target.targetPath] { return platform::ProbeSoundBank(path); };
         app::DownloadSource source;
         source.url = server.Url("/bank");
         source.size = bank.size();
         source.sha256 = bankSha256;
         source.limits.maxBytes = bank.size();
         target.source = source;
         const bool installed = app::CheckLibrary(target, ui);
         EXPECT_EQ(std::count(ui.messages.begin(), ui.messages.end(), app::kFailedText), 1);
         return installed;
       },
       false, false},
  };

  // What is there before the disk fills: the files of an earlier save.
  ASSERT_TRUE(library.SaveFile().ok);
  ASSERT_TRUE(puzzle.Save());
  std::ofstream(chosen) << "the player's older gift";
  std::ofstream(m_folder + "bank.sf3") << "an older bank";
  std::ofstream(gift, std::ios::binary) << ReadAll(giftTemplate) << "and its puzzle";
  const auto before = Contents(m_folder);

  for (const Save& s : saves) {
    if (s.onlyOnAMountedDisk && !m_mounted) continue;
    SCOPED_TRACE(s.what);
    Fill();
    const bool saved = s.save();
    Empty();
    EXPECT_FALSE(saved);
    EXPECT_EQ(Contents(m_folder), before) << "the old files whole, nothing half-written beside them";
    if (s.toldAsDataFolder) {
      EXPECT_EQ(s_told.size(), 1u);
    }
  }
  EXPECT_EQ(s_told.size(), 1u) << "one notice for the data folder, however many saves failed";
}

}  // namespace
