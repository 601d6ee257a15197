// Hostile and broken puzzle files: they load as failures or with the bad
// records dropped, and nothing outside the puzzles folder is ever written or
// removed.

#include <gtest/gtest.h>

#include <cmath>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "canvas/event_dispatcher.h"
#include "data/base64.h"
#include "data/puzzle_data.h"
#include "data/xml_writer.h"
#include "platform/files.h"
#include "tests/data/puzzle_test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace puzzle_test;

class PuzzleFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CRSEventDispatcher::Create();
    root = MakeTempFolder();
    folder = root + "/a/b/puzzles/";
    CPuzzleData::SetPuzzleFolder(folder);
    CPuzzleData good("good");
    MakePlayable(good);
    CRSXMLWriter out;
    good.Write(out);
    text = out.GetBytes();
  }
  void TearDown() override {
    FlushEvents(nullptr);
    CPuzzleData::SetPuzzleFolder({});
    fs::remove_all(root);
  }
  static std::string Replace(std::string s, const std::string& from, const std::string& to) {
    const auto at = s.find(from);
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
  }
  std::string root, folder, text;
};

TEST_F(PuzzleFileTest, BrokenFilesAreFailures) {
  CPuzzleData puzzle("x");
  ASSERT_TRUE(puzzle.LoadFromText(text));
  const auto imgStart = text.find("<img-data>"), imgEnd = text.find("</img-data>\r\n") + 13;
  const std::string cases[] = {
      text.substr(0, text.size() / 2),                         // truncated
      text.substr(0, imgStart) + text.substr(imgEnd),          // no picture
      text.substr(0, imgStart) + "<img-data>QUJDRA==</img-data>\r\n" + text.substr(imgEnd),  // no picture inside
      Replace(text, "<size w=\"200\" h=\"150\" />", "<size w=\"-200\" h=\"150\" />"),
      Replace(text, "<size w=\"200\" h=\"150\" />", "<size w=\"2000000\" h=\"150\" />"),
      Replace(text, "<size w=\"200\" h=\"150\" />", "<size w=\"30000\" h=\"30000\" />"),
      Replace(text, "<piece-size>50</piece-size>", "<piece-size>-50</piece-size>"),
      Replace(Replace(text, "<puzzle-data>", "<library>"), "</puzzle-data>", "</library>"),
      "",
  };
  for (const std::string& bad : cases) {
    CPuzzleData broken("x");
    EXPECT_FALSE(broken.LoadFromText(bad)) << &bad - cases;
  }
  // A missing file is a failure too, and reading never creates it.
  CPuzzleData missing("nowhere");
  EXPECT_FALSE(missing.Load());
  EXPECT_FALSE(fs::exists(CPuzzleData::GetPuzzleFileName("nowhere")));
}

TEST_F(PuzzleFileTest, BadPieceRecordsAndAbsurdScalesAreDropped) {
  auto piece = [](const std::string& x, const std::string& y, const std::string& px) {
    return "<puzzle-piece x=\"" + x + "\" y=\"" + y + "\">\r\n<pointf x=\"" + px +
           "\" y=\"5\" />\r\n<rotation>90.00</rotation>\r\n</puzzle-piece>\r\n";
  };
  std::string bad = Replace(text, "<pieces>\r\n",
                            "<pieces>\r\n" + piece("1", "1", "7") + piece("1", "1", "8") + piece("4", "0", "1") +
                                piece("0", "3", "1") + piece("-1", "0", "1") + piece("2", "2", "nan") +
                                piece("3", "2", "1e30") + piece("2147483647", "2147483647", "1"));
  bad = Replace(bad, "<size-scale val=\"1\" />", "<size-scale val=\"1e9\" />");
  CPuzzleData puzzle("x");
  ASSERT_TRUE(puzzle.LoadFromText(bad));
  ASSERT_EQ(puzzle.GetPieces().size(), 1u);
  EXPECT_FLOAT_EQ(puzzle.GetPieceData(1, 1)->GetPosition().X, 7.0f);  // the first of a cell wins
  EXPECT_FLOAT_EQ(puzzle.GetSizeScale(), 1.0f);
  for (const char* scale : {"0", "-2", "nan", "inf", "0.001"}) {
    CPuzzleData other("x");
    ASSERT_TRUE(other.LoadFromText(Replace(text, "val=\"1\"", std::string("val=\"") + scale + "\"")));
    EXPECT_FLOAT_EQ(other.GetSizeScale(), 1.0f) << scale;
  }
}

// The cuts room's zoom gives any positive scale; the file keeps it as long
// as the scaled cut picture (200 x 150 here) stays within the pixel budget.
TEST_F(PuzzleFileTest, ZoomedScalesReadBackWhileTheScaledPictureFitsTheBudget) {
  struct Case {
    const char* written;
    float read;
  };
  for (const Case& c : {Case{"6.5", 6.5f}, Case{"0.02", 0.02f}, Case{"30", 30.0f}, Case{"4.5", 4.5f},
                        Case{"0.01", 0.01f}, Case{"1e+01", 10.0f},
                        // 10000 x 7500 pixels, over the budget; and under a pixel.
                        Case{"50", 1.0f}, Case{"0.004", 1.0f}}) {
    CPuzzleData puzzle("x");
    ASSERT_TRUE(puzzle.LoadFromText(Replace(text, "val=\"1\"", std::string("val=\"") + c.written + "\"")))
        << c.written;
    EXPECT_FLOAT_EQ(puzzle.GetSizeScale(), c.read) << c.written;
    EXPECT_FLOAT_EQ(puzzle.GetCutter().GetScale().X, c.read) << c.written << ": the cutter follows the puzzle";
  }
  // A zoomed puzzle saved and reopened comes back at its size.
  CPuzzleData zoomed("zoomed");
  MakePlayable(zoomed);
  zoomed.SetSizeScale(7.25f);
  ASSERT_TRUE(zoomed.Save());
  CPuzzleData back("zoomed");
  ASSERT_TRUE(back.Load());
  EXPECT_FLOAT_EQ(back.GetSizeScale(), 7.25f);
}

// The table view comes back as it was left; a file without one (every file
// written before there were views) reads as the default and re-saves byte for
// byte; a view no table of the picture (200 x 150) can have reads as the
// default too.
TEST_F(PuzzleFileTest, TableViewRoundTripsAndBadViewsReadAsTheDefault) {
  ASSERT_EQ(text.find("table-view"), std::string::npos) << "a default view must leave the file as it was";
  CPuzzleData old("old");
  ASSERT_TRUE(old.LoadFromText(text));
  EXPECT_TRUE(old.GetTableView().IsDefault());
  CRSXMLWriter again;
  old.Write(again);
  EXPECT_EQ(again.GetBytes(), text);

  CPuzzleData viewed("viewed");
  MakePlayable(viewed);
  viewed.SetTableView({0.25f, PointF(-300.5f, 120.25f), SizeF(2000.0f, 1500.0f)});
  ASSERT_TRUE(viewed.Save());
  CPuzzleData back("viewed");
  ASSERT_TRUE(back.Load());
  EXPECT_FLOAT_EQ(back.GetTableView().zoom, 0.25f);
  EXPECT_TRUE(back.GetTableView().viewOrigin.Equals(PointF(-300.5f, 120.25f)));
  EXPECT_TRUE(back.GetTableView().tableSize.Equals(SizeF(2000.0f, 1500.0f)));

  struct Case {
    const char* attributes;
    bool kept;
  };
  const Case cases[] = {
      {R"(zoom="0.015625" x="-1e6" y="1e6" w="200" h="150")", true},
      {R"(zoom="4" x="0" y="0" w="0" h="0")", true},
      {R"(zoom="2")", true},
      {R"(zoom="0")", false},         {R"(zoom="0.01")", false},        {R"(zoom="4.5")", false},
      {R"(zoom="nan")", false},       {R"(zoom="inf")", false},         {R"(zoom="abc")", false},
      {R"(zoom="2" x="2e6")", false}, {R"(zoom="2" y="-1e30")", false}, {R"(zoom="2" x="nan")", false},
      {R"(zoom="2" w="-10" h="150")", false},  {R"(zoom="2" w="2e6" h="150")", false},
      {R"(zoom="2" w="199" h="150")", false},  {R"(zoom="2" w="0" h="500")", false},
      {R"(zoom="2" w="300" h="inf")", false},
  };
  for (const Case& c : cases) {
    CPuzzleData puzzle("x");
    const std::string file = Replace(text, "<size-scale", std::string("<table-view ") + c.attributes + " />\r\n<size-scale");
    ASSERT_TRUE(puzzle.LoadFromText(file)) << c.attributes;
    EXPECT_EQ(!puzzle.GetTableView().IsDefault(), c.kept) << c.attributes;
  }
}

// Trays are written only when there are some and come back whole; a file's
// trays keep each cell of the grid once, and absurd numbers or a flood of
// trays are cut down to what a table can have.
TEST_F(PuzzleFileTest, TraysRoundTripAndHostileTraysKeepEachPieceInOnePlace) {
  ASSERT_EQ(text.find("<tray"), std::string::npos);
  CPuzzleData trayed("trayed");
  MakePlayable(trayed);
  trayed.SetTrays({{"Ränder 青", RectF(10.5f, 20, 300, 200), 0.3f, {Point(0, 0), Point(3, 2)}},
                   {"Tray 2", RectF(-40, 600, 160, 120), 2.0f, {}}});
  ASSERT_TRUE(trayed.Save());
  CPuzzleData back("trayed");
  ASSERT_TRUE(back.Load());
  ASSERT_EQ(back.GetTrays().size(), 2u);
  const CPuzzleTrayData& first = back.GetTrays()[0];
  EXPECT_EQ(first.title, "Ränder 青");
  EXPECT_TRUE(first.place.Equals(RectF(10.5f, 20, 300, 200)));
  EXPECT_FLOAT_EQ(first.scale, 0.3f);
  ASSERT_EQ(first.cells.size(), 2u);
  EXPECT_TRUE(first.cells[1].X == 3 && first.cells[1].Y == 2);
  EXPECT_TRUE(back.GetTrays()[1].cells.empty());

  struct Case {
    const char* trays;
    std::size_t trayCount;
    std::size_t cellCount;  // over every tray
    float firstScale;
  };
  std::string flood;
  for (int i = 0; i < 2000; ++i) flood += R"(<tray title="" pieces="1,1" />)";
  const Case cases[] = {
      {R"(<tray title="" pieces="0,0 0,0 1,0" /><tray pieces="1,0 2,0" />)", 2, 3, 0.5f},
      {R"(<tray pieces="4,0 0,3 -1,0 99999999999,1 2,2" />)", 1, 1, 0.5f},
      {R"(<tray pieces="1,1,1 x 2" scale="1e30" />)", 1, 1, 2.0f},
      {R"(<tray scale="nan" x="inf" w="-5" pieces="" />)", 1, 0, 0.5f},
      {R"(<tray scale="0" title="@@@" />)", 1, 0, 0.05f},
      {flood.c_str(), CPuzzleTrayData::kMaxTrays, 1, 0.5f},
  };
  for (const Case& c : cases) {
    CPuzzleData puzzle("x");
    ASSERT_TRUE(puzzle.LoadFromText(Replace(text, "<size-scale", std::string(c.trays) + "\r\n<size-scale")))
        << c.trays;
    std::size_t cells = 0;
    for (const CPuzzleTrayData& tray : puzzle.GetTrays()) {
      cells += tray.cells.size();
      EXPECT_TRUE(std::isfinite(tray.place.X) && tray.place.Width >= 0.0f) << c.trays;
    }
    EXPECT_EQ(puzzle.GetTrays().size(), c.trayCount) << c.trays;
    EXPECT_EQ(cells, c.cellCount) << c.trays;
    if (!puzzle.GetTrays().empty()) {
      EXPECT_FLOAT_EQ(puzzle.GetTrays()[0].scale, c.firstScale) << c.trays;
    }
  }
}

// A picture embedded with an EXIF orientation tag (200 x 150 stored, a
// quarter turn asked for) is read as stored, so it still fits its cut.
TEST_F(PuzzleFileTest, EmbeddedPictureIsNotTurnedByItsExifTag) {
  const auto imgStart = text.find("<img-data>") + 10, imgEnd = text.find("</img-data>");
  const std::string jpeg = Base64DecodeToString(text.substr(imgStart, imgEnd - imgStart));
  ASSERT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
  const std::string exif("\xFF\xE1\x00\x22" "Exif\0\0" "MM\x00\x2A\x00\x00\x00\x08" "\x00\x01"
                         "\x01\x12\x00\x03\x00\x00\x00\x01" "\x00\x06\x00\x00\x00\x00\x00\x00", 36);
  const std::string tagged = text.substr(0, imgStart) + Base64Encode(jpeg.substr(0, 2) + exif + jpeg.substr(2)) +
                             text.substr(imgEnd);
  CPuzzleData puzzle("x");
  ASSERT_TRUE(puzzle.LoadFromText(tagged));
  ASSERT_NE(puzzle.GetPicture(), nullptr);
  EXPECT_EQ(puzzle.GetPicture()->GetWidth(), 200);
  EXPECT_EQ(puzzle.GetPicture()->GetHeight(), 150);
}

TEST_F(PuzzleFileTest, NamesNeverEscapeThePuzzlesFolderNorShareAFile) {
  // A file beside the folder that a careless name would reach.
  fs::create_directories(folder);
  const std::string outside = root + "/a/x.pzl";
  WriteBytes(outside, 5, 'o');
  const std::string names[] = {"../x", "../../x", "/etc/x", "..", ".", "", "a/b", "a%2Fb", "a\\b", "tab\tname",
                               "~", std::string(400, 'n'), std::string(399, 'n') + "m"};
  std::set<std::string> files;
  for (const std::string& name : names) {
    CPuzzleData puzzle(name);
    MakePlayable(puzzle);
    ASSERT_TRUE(puzzle.Save()) << name;
    const std::string file = CPuzzleData::GetPuzzleFileName(name);
    EXPECT_EQ(fs::path(file).parent_path(), fs::path(folder).parent_path()) << name;
    EXPECT_TRUE(fs::is_regular_file(file)) << name;
    EXPECT_LE(fs::path(file).filename().string().size(), 255u);
    files.insert(file);
    // The name read back is the name, not the file's.
    CPuzzleData back(name);
    ASSERT_TRUE(back.Load()) << name;
    EXPECT_EQ(back.GetName(), name);
  }
  EXPECT_EQ(files.size(), std::size(names));
  std::size_t inFolder = 0;
  for (const auto& entry : fs::recursive_directory_iterator(root)) inFolder += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(inFolder, std::size(names) + 1) << "a temporary file was left behind or a file went elsewhere";
  for (const std::string& name : names) EXPECT_TRUE(DeletePuzzleFile(name)) << name;
  EXPECT_FALSE(DeletePuzzleFile("../x"));
  EXPECT_TRUE(fs::exists(outside));
  EXPECT_TRUE(fs::is_empty(folder));
}

// A file whose inner name is not the one it is kept under (a stranger's
// file, or one renamed by hand) is written back where it was read from, so
// the next Play finds the progress.
TEST_F(PuzzleFileTest, APuzzleSavesBackToTheFileItWasReadFrom) {
  fs::create_directories(folder);
  std::ofstream(CPuzzleData::GetPuzzleFileName("Mine"), std::ios::binary) << text;  // inside: "good"
  CPuzzleData puzzle("Mine");
  ASSERT_TRUE(puzzle.Load());
  EXPECT_EQ(puzzle.GetName(), "Mine");
  puzzle.SetTimePlayed(4321);
  ASSERT_TRUE(puzzle.Save());
  CPuzzleData again("Mine");
  ASSERT_TRUE(again.Load());
  EXPECT_EQ(again.GetTimePlayed(), 4321);
  EXPECT_FALSE(fs::exists(CPuzzleData::GetPuzzleFileName("good")));
}

TEST_F(PuzzleFileTest, SavingReplacesTheOldFileWholeOrNotAtAll) {
  CPuzzleData first("keep");
  MakePlayable(first);
  first.SetTitle("first");
  ASSERT_TRUE(first.Save());
  const std::string file = CPuzzleData::GetPuzzleFileName("keep");
  std::stringstream before;
  before << std::ifstream(file).rdbuf();

  // A save that cannot finish (the folder is gone and a file stands in its
  // place) reports failure; a failed load leaves the file alone as well.
  CPuzzleData::SetPuzzleFolder(root + "/blocked");
  WriteBytes(root + "/blocked", 1, 'f');
  CPuzzleData second("keep");
  MakePlayable(second);
  EXPECT_FALSE(second.Save());
  CPuzzleData::SetPuzzleFolder(folder);
  WriteBytes(folder + "broken.pzl", 10, '<');
  CPuzzleData broken("broken");
  EXPECT_FALSE(broken.Load());
  std::stringstream after;
  after << std::ifstream(file).rdbuf();
  EXPECT_EQ(before.str(), after.str());

  // A successful save replaces it, leaving nothing else in the folder.
  second.SetTitle("second");
  ASSERT_TRUE(second.Save());
  CPuzzleData reread("keep");
  ASSERT_TRUE(reread.Load());
  EXPECT_EQ(reread.GetTitle(), "second");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

TEST(SafeFileStemTest, MapsEveryNameToItsOwnHarmlessStem) {
  using platform::SafeFileStem;
  EXPECT_EQ(SafeFileStem("sunset.jpg"), "sunset.jpg");
  EXPECT_EQ(SafeFileStem("Über Grün"), "Über Grün");
  for (const char* bad : {"..", ".", "../../x", "a/b", "a\\b", "a\nb", ".hidden"}) {
    const std::string stem = SafeFileStem(bad);
    EXPECT_EQ(stem.find('/'), std::string::npos) << bad;
    EXPECT_EQ(stem.find('\\'), std::string::npos) << bad;
    EXPECT_NE(stem.front(), '.') << bad;
    for (char c : stem) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << bad;
  }
  EXPECT_NE(SafeFileStem("a/b"), SafeFileStem("a%2Fb"));
  EXPECT_NE(SafeFileStem(""), SafeFileStem("%"));
  const std::string longA(300, 'x'), longB = std::string(299, 'x') + "y";
  EXPECT_NE(SafeFileStem(longA), SafeFileStem(longB));
  EXPECT_LE(SafeFileStem(std::string(300, '/')).size(), 200u);
}

}  // namespace
