#include "platform/folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "platform/user_dirs.h"
#include "tests/platform/temp_tree.h"

namespace {

using platform::EntryKind;
using platform::FolderEntry;
using platform::FolderResult;

std::map<std::string, FolderEntry> ByName(const std::vector<FolderEntry>& entries) {
  std::map<std::string, FolderEntry> out;
  for (const FolderEntry& e : entries) out[e.name] = e;
  return out;
}

TEST(FolderListTest, APreparedTreeWithLinksLoopsAndOddNamesIsListedExactly) {
  TempTree tree;
  ASSERT_FALSE(tree.Root().empty());
  ASSERT_TRUE(tree.Dir("sub"));
  ASSERT_TRUE(tree.File("photo.jpg", "12345"));
  ASSERT_TRUE(tree.File(".hidden"));
  ASSERT_TRUE(tree.Link("photo.jpg", "to-photo"));
  ASSERT_TRUE(tree.Link("sub", "to-sub"));
  ASSERT_TRUE(tree.Link("missing", "dangling"));
  ASSERT_TRUE(tree.Link("loop-b", "loop-a"));
  ASSERT_TRUE(tree.Link("loop-a", "loop-b"));
  ASSERT_TRUE(tree.Link(".", "self"));  // a folder loop: listing must not walk it
  ASSERT_TRUE(tree.File("bad\xff\xfe.png"));
  ASSERT_TRUE(tree.File("two\nlines.gif"));

  std::vector<FolderEntry> entries;
  ASSERT_EQ(platform::ListFolder(tree.Root(), entries), FolderResult::kOk);
  ASSERT_EQ(entries.size(), 11u) << "no '.' or '..', nothing followed into";
  auto e = ByName(entries);

  EXPECT_EQ(e["sub"].kind, EntryKind::kFolder);
  EXPECT_FALSE(e["sub"].isLink);
  EXPECT_EQ(e["photo.jpg"].kind, EntryKind::kFile);
  EXPECT_EQ(e["photo.jpg"].size, 5u);
  EXPECT_TRUE(e[".hidden"].hidden);
  EXPECT_FALSE(e["photo.jpg"].hidden);

  EXPECT_EQ(e["to-photo"].kind, EntryKind::kFile);
  EXPECT_TRUE(e["to-photo"].isLink);
  EXPECT_EQ(e["to-photo"].size, 5u) << "a link reports its target's size";
  EXPECT_EQ(e["to-sub"].kind, EntryKind::kFolder);
  EXPECT_TRUE(e["to-sub"].isLink);
  EXPECT_EQ(e["self"].kind, EntryKind::kFolder);
  EXPECT_EQ(e["dangling"].kind, EntryKind::kBrokenLink);
  EXPECT_EQ(e["loop-a"].kind, EntryKind::kBrokenLink);
  EXPECT_EQ(e["loop-b"].kind, EntryKind::kBrokenLink);

  // Raw bytes kept for opening; the display form is valid and one line.
  const FolderEntry& bad = e["bad\xff\xfe.png"];
  EXPECT_EQ(bad.kind, EntryKind::kFile);
  EXPECT_EQ(bad.displayName, "bad\xEF\xBF\xBD\xEF\xBF\xBD.png");
  const FolderEntry& lines = e["two\nlines.gif"];
  EXPECT_EQ(lines.displayName, "two\xE2\x90\x8Alines.gif");
  EXPECT_EQ(lines.displayName.find('\n'), std::string::npos);

  // What one path is, the same way.
  EXPECT_TRUE(platform::IsFolder(tree.Path("to-sub")));
  EXPECT_TRUE(platform::IsFile(tree.Path("bad\xff\xfe.png")));
  EXPECT_FALSE(platform::IsFile(tree.Path("dangling")));
  const platform::PathInfo dangling = platform::GetPathInfo(tree.Path("dangling"));
  EXPECT_TRUE(dangling.exists);
  EXPECT_EQ(dangling.kind, EntryKind::kBrokenLink);
  EXPECT_FALSE(platform::GetPathInfo(tree.Path("nothing")).exists);
  EXPECT_FALSE(platform::GetPathInfo("").exists);
}

TEST(FolderListTest, FailuresAreReportedAndLeaveNoEntries) {
  TempTree tree;
  ASSERT_TRUE(tree.File("plain"));
  ASSERT_TRUE(tree.Dir("locked"));
  ASSERT_TRUE(tree.File("locked/inside"));
  std::vector<FolderEntry> entries(3);

  EXPECT_EQ(platform::ListFolder(tree.Path("absent"), entries), FolderResult::kNotFound);
  EXPECT_TRUE(entries.empty());
  EXPECT_EQ(platform::ListFolder(tree.Path("plain"), entries), FolderResult::kNotAFolder);
  EXPECT_EQ(platform::ListFolder("", entries), FolderResult::kNotFound);
  EXPECT_STRNE(platform::FolderResultText(FolderResult::kNotFound), "");

  ASSERT_EQ(chmod(tree.Path("locked").c_str(), 0), 0);
  if (geteuid() != 0) {  // the super-user reads every folder
    EXPECT_EQ(platform::ListFolder(tree.Path("locked"), entries), FolderResult::kAccessDenied);
    EXPECT_TRUE(entries.empty());
  }
  chmod(tree.Path("locked").c_str(), 0700);

  // A folder removed while it is shown reads as missing, not as a crash.
  ASSERT_TRUE(tree.Dir("gone"));
  ASSERT_EQ(rmdir(tree.Path("gone").c_str()), 0);
  EXPECT_EQ(platform::ListFolder(tree.Path("gone"), entries), FolderResult::kNotFound);
}

TEST(FolderListTest, PlainFilesAreReadWhileLimitsPipesAndFoldersAreRefusedAtOnce) {
  TempTree tree;
  ASSERT_TRUE(tree.File("ten", "0123456789"));
  ASSERT_TRUE(tree.Link("ten", "link"));
  ASSERT_EQ(mkfifo(tree.Path("pipe.jpg").c_str(), 0600), 0);
  std::string out = "old";
  EXPECT_TRUE(platform::ReadPlainFile(tree.Path("link"), 10, out));
  EXPECT_EQ(out, "0123456789");
  EXPECT_FALSE(platform::ReadPlainFile(tree.Path("ten"), 9, out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(platform::ReadPlainFile(tree.Path("pipe.jpg"), 100, out)) << "and returns without a writer";
  EXPECT_FALSE(platform::ReadPlainFile(tree.Root(), 100, out));
  EXPECT_FALSE(platform::ReadPlainFile(tree.Path("absent"), 100, out));
  std::vector<FolderEntry> entries;
  ASSERT_EQ(platform::ListFolder(tree.Root(), entries), FolderResult::kOk);
  EXPECT_EQ(ByName(entries)["pipe.jpg"].kind, EntryKind::kOther);
}

TEST(FolderListTest, DisplayNamesReplaceOnlyWhatCannotBeShown) {
  // Valid multi-byte text passes untouched.
  EXPECT_EQ(platform::DisplayName("Fr\xC3\xBChling \xE2\x82\xAC \xF0\x9F\x98\x80"),
            "Fr\xC3\xBChling \xE2\x82\xAC \xF0\x9F\x98\x80");
  const std::string r = "\xEF\xBF\xBD";
  // Overlong forms, surrogates, code points past U+10FFFF, cut sequences.
  EXPECT_EQ(platform::DisplayName("a\xC0\xAF"), "a" + r + r);
  EXPECT_EQ(platform::DisplayName("\xED\xA0\x80"), r + r + r);
  EXPECT_EQ(platform::DisplayName("\xF4\x90\x80\x80"), r + r + r + r);
  EXPECT_EQ(platform::DisplayName("x\xE2\x82"), "x" + r + r);
  // Controls become their pictures; C1 controls are replaced.
  EXPECT_EQ(platform::DisplayName("a\tb\rc\x7F"), "a\xE2\x90\x89" "b\xE2\x90\x8D" "c\xE2\x90\xA1");
  EXPECT_EQ(platform::DisplayName("\xC2\x85"), r);
  EXPECT_EQ(platform::DisplayName(""), "");
}

TEST(FolderListTest, AHundredThousandEntriesAreListedAndALimitStopsTheListingSayingSo) {
  TempTree tree;
  for (int i = 0; i < 100000; ++i) ASSERT_TRUE(tree.File(std::to_string(i), ""));
  std::vector<FolderEntry> entries;
  ASSERT_EQ(platform::ListFolder(tree.Root(), entries), FolderResult::kOk);
  EXPECT_EQ(entries.size(), 100000u);
  EXPECT_EQ(platform::ListFolder(tree.Root(), entries, 10), FolderResult::kTooManyEntries);
  EXPECT_EQ(entries.size(), 10u);
}

TEST(UserDirsTest, TheSettingsTextIsReadAsTheShellWouldReadIt) {
  const std::string text =
      "# written by the desktop\n"
      "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
      "XDG_PICTURES_DIR=\"$HOME/My \\\"Pics\\\"/\"\r\n"
      "  XDG_MUSIC_DIR = \"/srv/music\"   # shared\n"
      "XDG_DOCUMENTS_DIR=\"$HOME\"\n"
      "XDG_DOWNLOAD_DIR=relative/path\n"
      "XDG_DOWNLOAD_DIRX=\"$HOME/wrong\"\n"
      "XDG_VIDEOS_DIR=\"videos\"\n"
      "XDG_TEMPLATES_DIR=\"$HOME/T1\"\n"
      "XDG_TEMPLATES_DIR=\"$HOME/T2\"\n"
      "XDG_PUBLICSHARE_DIR=\"$HOME/unclosed\n";
  EXPECT_EQ(platform::ParseUserDir(text, "XDG_DESKTOP_DIR", "/home/ann"), "/home/ann/Desktop");
  EXPECT_EQ(platform::ParseUserDir(text, "XDG_PICTURES_DIR", "/home/ann"), "/home/ann/My \"Pics\"");
  EXPECT_EQ(platform::ParseUserDir(text, "XDG_MUSIC_DIR", "/home/ann"), "/srv/music");
  EXPECT_EQ(platform::ParseUserDir(text, "XDG_DOCUMENTS_DIR", "/home/ann"), "/home/ann");
  EXPECT_EQ(platform::ParseUserDir(text, "XDG_DOWNLOAD_DIR", "/home/ann"), "") << "unquoted, relative";
  EXPECT_EQ(platform::ParseUserDir(text, "XDG_VIDEOS_DIR", "/home/ann"), "") << "relative";
  EXPECT_EQ(platform::ParseUserDir(text, "XDG_TEMPLATES_DIR", "/home/ann"), "/home/ann/T2") << "last one wins";
  EXPECT_EQ(platform::ParseUserDir(text, "XDG_PUBLICSHARE_DIR", "/home/ann"), "");
  EXPECT_EQ(platform::ParseUserDir(text, "XDG_DESKTOP_DIR", "/"), "/Desktop");
  EXPECT_EQ(platform::ParseUserDir("", "XDG_DESKTOP_DIR", "/h"), "");
}

TEST(UserDirsTest, PlacesAreTheFoldersThatExistInTheirOrderThenTheRoot) {
  TempTree tree;
  ScopedEnv env;
  ASSERT_TRUE(tree.Dir("home"));
  ASSERT_TRUE(tree.Dir("home/Bilder"));
  ASSERT_TRUE(tree.Dir("home/Musik"));
  ASSERT_TRUE(tree.Dir("home/Downloads"));  // the fallback name, no key for it
  ASSERT_TRUE(tree.Dir("home/Desktop"));    // exists, but the key points elsewhere
  ASSERT_TRUE(tree.Dir("config"));
  ASSERT_TRUE(tree.File("config/user-dirs.dirs",
                        "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                        "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"
                        "XDG_MUSIC_DIR=\"" + tree.Path("home/Musik") + "\"\n"
                        "XDG_DOCUMENTS_DIR=\"$HOME/\"\n"));
  env.Set("HOME", (tree.Path("home") + "/").c_str());
  env.Set("XDG_CONFIG_HOME", tree.Path("config").c_str());

  EXPECT_EQ(platform::GetHomeFolder(), tree.Path("home"));
  EXPECT_EQ(platform::GetUserDirsFile(), tree.Path("config/user-dirs.dirs"));
  EXPECT_EQ(platform::GetSpecialFolderPath(platform::SpecialFolder::kPictures), tree.Path("home/Bilder"));
  EXPECT_EQ(platform::GetSpecialFolderPath(platform::SpecialFolder::kDocuments), "") << "set to home: none";

  const auto places = platform::GetSpecialFolders();
  std::vector<std::string> labels, paths;
  for (const auto& p : places) labels.push_back(p.label), paths.push_back(p.path);
  EXPECT_EQ(labels, (std::vector<std::string>{"Home", "Pictures", "Music", "Downloads", "File System"}));
  EXPECT_EQ(paths, (std::vector<std::string>{tree.Path("home"), tree.Path("home/Bilder"), tree.Path("home/Musik"),
                                             tree.Path("home/Downloads"), "/"}));

  // Without XDG_CONFIG_HOME the file is looked for under home.
  env.Set("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(platform::GetUserDirsFile(), tree.Path("home") + "/.config/user-dirs.dirs");
  EXPECT_EQ(platform::GetSpecialFolderPath(platform::SpecialFolder::kPictures), tree.Path("home/Pictures"))
      << "no settings: the usual name";
}

}  // namespace
