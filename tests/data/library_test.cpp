// The library: its operations, and the library file as written, read,
// refused and survived.

#include "data/library.h"
#include "data/library_decode.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <fstream>
#include <sstream>

#include "canvas/event_dispatcher.h"
#include "canvas/items.h"
#include "canvas/styles.h"
#include "data/base64.h"
#include "data/xml_writer.h"
#include "platform/graphics.h"
#include "platform/paths.h"
#include "tests/data/library_test_support.h"

namespace {

using namespace library_test;

class Library : public ::testing::Test {
 protected:
  void SetUp() override {
    CRSEventDispatcher::Create();
    path = CPuzzleLibrary::GetFilePath();
    std::filesystem::remove(path);
  }
  void TearDown() override {
    CRSControlStyles::SetCurrent(nullptr);
    FlushEvents(nullptr);
  }
  void WriteFile(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  std::string ReadFile() const {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string path;
};

CPuzzleImageData* Entry(CPuzzleLibrary& library, const std::string& name, int percent = 0, bool selected = false,
                        const std::string& category = {}) {
  auto* entry = new CPuzzleImageData(MakePicture(80, 60).get(), name);
  entry->SetSelected(selected);
  entry->SetPercentCompleted(percent);
  entry->SetCategory(category);
  library.AddPuzzleImage(entry);
  return entry;
}

std::string ImageElement(const std::string& name, const std::string& img, const std::string& extra = {}) {
  return "<puzzle-image>\n<name>" + Base64Encode(name) + "</name>\n<title></title>\n" + extra + "<img-data>" + img +
         "</img-data>\n</puzzle-image>\n";
}

std::string CategoryElement(const std::string& title, const std::string& img) {
  return "<puzzle-category>\n<title>" + Base64Encode(title) + "</title>\n<img-data>" + img +
         "</img-data>\n</puzzle-category>\n";
}

TEST_F(Library, MakeUniqueNameCountsUpPastEveryNameTakenIgnoringCase) {
  CPuzzleLibrary library;
  EXPECT_EQ(library.MakeUniqueName("Sunset"), "Sunset");
  Entry(library, "Sunset");
  EXPECT_EQ(library.MakeUniqueName("SUNSET"), "SUNSET (2)");
  Entry(library, "sunset (2)");
  EXPECT_EQ(library.MakeUniqueName("SUNSET"), "SUNSET (3)");
  Entry(library, "Sunset (4)");
  Entry(library, "Sunset (3)");
  EXPECT_EQ(library.MakeUniqueName("Sunset"), "Sunset (5)");
  EXPECT_EQ(library.MakeUniqueName("Dawn"), "Dawn");
}

TEST_F(Library, OperationsFindSelectAndGroupEntries) {
  CPuzzleLibrary library;
  CPuzzleImageData* done = Entry(library, "Done", 100, true, "Sea");
  CPuzzleImageData* open = Entry(library, "Open", 40, true, "Sea");
  CPuzzleImageData* other = Entry(library, "Other", 0, false, "sea");
  other->SetTitle("");
  open->SetTitle("The open sea");

  EXPECT_EQ(library.FindPuzzleImage("Open"), open);
  EXPECT_EQ(library.FindPuzzleImage("open"), nullptr);
  // The selected puzzle is the first selected one not yet solved.
  EXPECT_EQ(library.GetSelectedPuzzleImage(), open);
  EXPECT_EQ(library.GetDisplayTitle("Open"), "The open sea");
  EXPECT_EQ(library.GetDisplayTitle("Other"), "Other");
  EXPECT_EQ(library.GetDisplayTitle("Nobody"), "");
  EXPECT_EQ(library.GetPuzzleImagesOfCategory("Sea"), (std::vector<CPuzzleImageData*>{done, open}));

  library.ClearPuzzleSelection(false);  // the solved ones only
  EXPECT_FALSE(done->IsSelected());
  EXPECT_TRUE(open->IsSelected());
  done->SetSelected(true);
  library.ClearPuzzleSelection(true);  // the unfinished ones only
  EXPECT_TRUE(done->IsSelected());
  EXPECT_FALSE(open->IsSelected());
  EXPECT_EQ(library.GetSelectedPuzzleImage(), nullptr);

  auto* sea = new CPuzzleCategoryData("Sea", MakePicture(20, 20));
  auto* hills = new CPuzzleCategoryData("Hills", MakePicture(20, 20));
  library.AddCategory(sea);
  library.AddCategory(hills);
  EXPECT_EQ(library.FindCategory("Hills"), hills);
  EXPECT_EQ(library.FindCategory("hills"), nullptr);
  EXPECT_EQ(library.GetSelectedCategory(), nullptr);
  hills->SetSelected(true);
  EXPECT_EQ(library.GetSelectedCategory(), hills);

  // Removing deletes the entry; an entry that deletes itself drops out.
  CRSWeakRef<CPuzzleImageData> openRef(open);
  library.RemovePuzzleImage(open);
  EXPECT_FALSE(openRef);
  other->DeleteWithFile();
  ASSERT_EQ(library.GetPuzzleImages().size(), 1u);
  EXPECT_EQ(library.GetPuzzleImages()[0].get(), done);
  EXPECT_EQ(library.FindPuzzleImage("Other"), nullptr);
}

TEST_F(Library, AddingTellsTheStoreRoomOnlyWhileItExists) {
  struct Listener : sigslot::has_slots {
    std::vector<CPuzzleImageData*> added;
    void OnAdded(CPuzzleImageData* entry) { added.push_back(entry); }
  } listener;
  CPuzzleLibrary library;
  library.sigPuzzleImageAdded.connect(&listener, &Listener::OnAdded);
  Entry(library, "before");
  EXPECT_TRUE(listener.added.empty());
  auto* room = new CRSObject(nullptr, "store");
  library.SetStoreRoom(room);
  CPuzzleImageData* during = Entry(library, "during");
  EXPECT_EQ(listener.added, std::vector<CPuzzleImageData*>{during});
  delete room;
  EXPECT_EQ(library.GetStoreRoom(), nullptr);
  Entry(library, "after");
  EXPECT_EQ(listener.added.size(), 1u);
  // Adding the same entry twice keeps one.
  library.AddPuzzleImage(during);
  EXPECT_EQ(library.GetPuzzleImages().size(), 3u);
}

TEST_F(Library, FileIsWrittenLineByLineInItsOrder) {
  CPuzzleLibrary library;
  library.SetGradientColour(0xFF123ABC);
  library.SetStoreRoomMusic("/music/a&b <1>.mid");
  library.AddCategory(new CPuzzleCategoryData("Sea", MakePicture(20, 20)));
  library.AddCategory(new CPuzzleCategoryData("No picture"));
  CPuzzleImageData* entry = Entry(library, "Sunset");
  auto* bare = new CPuzzleImageData();
  bare->SetName("bare");
  library.AddPuzzleImage(bare);
  const std::string text = library.ToText();
  const std::string expected = "<puzzle-config>\r\n<color-gradient>0x123abc</color-gradient>\r\n"
                               "<store-room-music-filename>/music/a&amp;b &lt;1&gt;.mid</store-room-music-filename>\r\n"
                               "<puzzle-categories>\r\n<puzzle-category>\r\n<title>U2Vh</title>\r\n";
  EXPECT_EQ(text.substr(0, expected.size()), expected);
  const auto categoriesEnd = text.find("</puzzle-category>\r\n</puzzle-categories>\r\n<puzzle-images>\r\n"
                                       "<puzzle-image>\r\n<name>U3Vuc2V0</name>\r\n");
  EXPECT_NE(categoriesEnd, std::string::npos);
  EXPECT_EQ(text.find("No picture"), std::string::npos);
  EXPECT_EQ(text.find(Base64Encode(std::string("bare"))), std::string::npos);
  const std::string tail = entry->GetThumbnailText() + "</img-data>\r\n</puzzle-image>\r\n</puzzle-images>\r\n"
                                                       "</puzzle-config>\r\n";
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);

  // An empty library, and the default colour.
  CPuzzleLibrary empty;
  EXPECT_EQ(empty.ToText(), "<puzzle-config>\r\n<color-gradient>0x666666</color-gradient>\r\n<puzzle-categories>\r\n"
                            "</puzzle-categories>\r\n<puzzle-images>\r\n</puzzle-images>\r\n</puzzle-config>\r\n");
}

// A style that reads and writes its own element, as the game's style does.
class RecordingStyle : public CRSControlStylesDrawn, public CRSXMLParser::XHandler {
 public:
  void OnElement(const std::string& name, const CRSXMLParser::Attributes&, const std::string& text) override {
    seen.push_back(name + "=" + text);
  }
  void Write(CRSXMLWriter& out) override { out.Write("<control-style-default>\n<radius>9</radius>\n</control-style-default>\n"); }
  std::vector<std::string> seen;
};

TEST_F(Library, ControlStyleElementGoesToTheCurrentStyle) {
  auto style = std::make_shared<RecordingStyle>();
  CRSControlStyles::SetCurrent(style);
  CPuzzleLibrary library;
  const std::string text = library.ToText();
  EXPECT_NE(text.find("</puzzle-images>\r\n<control-style-default>\r\n<radius>9</radius>\r\n"
                      "</control-style-default>\r\n</puzzle-config>\r\n"),
            std::string::npos);
  WriteFile("<puzzle-config><CONTROL-STYLE-DEFAULT><radius>12</radius></CONTROL-STYLE-DEFAULT>"
            "<radius>99</radius></puzzle-config>");
  const auto result = library.LoadFile();
  EXPECT_FALSE(result.showError);
  // The style sees its own children, and nothing after its element.
  EXPECT_EQ(style->seen, std::vector<std::string>{"radius=12"});
  EXPECT_FALSE(style->GetParser());
}

TEST_F(Library, DamagedEmptyAndMissingFiles) {
  CPuzzleLibrary library;
  // Missing: empty library, nothing to show.
  auto result = library.LoadFile();
  EXPECT_FALSE(result.showError);
  EXPECT_TRUE(result.missing);
  EXPECT_EQ(result.parseResult, CRSXMLParser::kFileNotFound);

  // Zero length, or blanks only: an empty library, nothing shown, but not
  // a first start.
  WriteFile("");
  result = library.LoadFile();
  EXPECT_FALSE(result.showError);
  EXPECT_FALSE(result.missing);
  EXPECT_EQ(result.unreadableReason, "");
  EXPECT_TRUE(library.GetPuzzleImages().empty());
  WriteFile(" \r\n\t");
  EXPECT_FALSE(library.LoadFile().showError);

  // Only the start tag: damaged, and the box says where.
  WriteFile("<puzzle-config>");
  result = library.LoadFile();
  EXPECT_TRUE(result.showError);
  EXPECT_FALSE(result.missing);
  EXPECT_EQ(result.parseResult, CRSXMLParser::kSyntaxError);
  EXPECT_EQ(result.errorText.rfind("ERROR: ", 0), 0u) << result.errorText;
  EXPECT_NE(result.errorText.find("\nat line 1\nand column "), std::string::npos) << result.errorText;
  const std::string tail = "\nwhile reading tandrill puzzles file:\n" + path;
  EXPECT_EQ(result.errorText.substr(result.errorText.size() - tail.size()), tail);

  // Records before the error are kept; the part after it is lost.
  const std::string img = JpegText(40, 30);
  WriteFile("<puzzle-config>\n<color-gradient>0xabcdef</color-gradient>\n" + ImageElement("kept", img) +
            "<puzzle-image><name>bad</name></oops>" + ImageElement("lost", img));
  result = library.LoadFile();
  EXPECT_TRUE(result.showError);
  EXPECT_NE(result.errorText.find("\nat line 8\n"), std::string::npos) << result.errorText;
  EXPECT_EQ(library.GetGradientColour(), 0xABCDEFu);
  ASSERT_EQ(library.GetPuzzleImages().size(), 1u);
  EXPECT_EQ(library.GetPuzzleImages()[0]->GetName(), "kept");

  // There but unreadable (a folder in its place): no first start, no box of
  // its own, and the reason for the one that says nothing will be saved.
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  result = library.LoadFile();
  EXPECT_FALSE(result.missing);
  EXPECT_FALSE(result.showError);
  EXPECT_EQ(result.unreadableReason, "Is a directory");
  std::filesystem::remove(path);
}

TEST_F(Library, ReadingTableAndUnknownElements) {
  const std::string img = JpegText(40, 30);
  WriteFile("<Puzzle-Config><unknown><color-gradient>0x1234567</color-gradient></unknown>\n"
            "<store-room-music-filename>  \t/home/me/Tune&amp;1.mid \r\n</store-room-music-filename>\n" +
            // Records are found wherever they stand.
            ImageElement("loose", img) + "<puzzle-images>" +
            ImageElement("entry", img, "<surprise/><pointf x=\"3\" y=\"4\" />") +
            // An entry without a picture is gone after reading.
            "<puzzle-image><name>" + Base64Encode(std::string("nopic")) + "</name></puzzle-image>" +
            "</puzzle-images></Puzzle-Config>");
  CPuzzleLibrary library;
  EXPECT_FALSE(library.LoadFile().showError);
  EXPECT_EQ(library.GetGradientColour(), 0x234567u);
  EXPECT_EQ(library.GetStoreRoomMusic(), "/home/me/Tune&1.mid");
  ASSERT_EQ(library.GetPuzzleImages().size(), 2u);
  EXPECT_EQ(library.GetPuzzleImages()[0]->GetName(), "loose");
  EXPECT_TRUE(library.GetPuzzleImages()[1]->IsSurprise());
  EXPECT_TRUE(library.GetPuzzleImages()[1]->IsPositionValid());
  EXPECT_EQ(library.FindPuzzleImage("nopic"), nullptr);
}

TEST_F(Library, LoadThenSaveWritesTheSameBytes) {
  CPuzzleLibrary library;
  library.SetGradientColour(0x10ff00);
  library.SetStoreRoomMusic("/music/Été & co.mid");
  auto* sea = new CPuzzleCategoryData("Mer", MakePicture(30, 20, true));
  sea->SetSelected(true);
  sea->SetPosition(PointF(1.5f, 2));
  library.AddCategory(sea);
  library.AddCategory(new CPuzzleCategoryData("", MakePicture(10, 10, true)));
  CPuzzleImageData* a = Entry(library, "Sunset", 55, true, "Mer");
  a->SetSurprise(true);
  a->SetCanBeGift(false);
  a->SetScattered(true);
  a->SetPosition(PointF(-12.3f, 400));
  a->SetSize(Size(800, 600));
  a->SetNumberOfPieces(48);
  Entry(library, "Café", 100);
  ASSERT_TRUE(library.SaveFile().ok);
  const std::string first = ReadFile();

  CPuzzleLibrary again;
  const auto result = again.LoadFile();
  EXPECT_FALSE(result.showError);
  EXPECT_FALSE(result.missing);
  ASSERT_TRUE(again.SaveFile().ok);
  EXPECT_EQ(ReadFile(), first);
  EXPECT_EQ(again.GetStoreRoomMusic(), "/music/Été & co.mid");
  EXPECT_EQ(again.GetPuzzleImages().size(), 2u);
  EXPECT_EQ(again.GetCategories().size(), 2u);
}

TEST_F(Library, TextFromOlderBuildsKeepsItsAccents) {
  // "Café" and "Crème" as an older build wrote them: Windows-1252 bytes.
  const std::string img = JpegText(40, 30);
  WriteFile("<puzzle-config>" + CategoryElement("Cr\xE8me", PngText(10, 10)) +
            ImageElement("Caf\xE9", img, "<category>" + Base64Encode(std::string("Cr\xE8me")) + "</category>") +
            "</puzzle-config>");
  CPuzzleLibrary library;
  EXPECT_FALSE(library.LoadFile().showError);
  ASSERT_EQ(library.GetPuzzleImages().size(), 1u);
  EXPECT_EQ(library.GetPuzzleImages()[0]->GetName(), "Café");
  EXPECT_EQ(library.GetPuzzleImages()[0]->GetCategory(), "Crème");
  EXPECT_TRUE(library.FindCategory("Crème"));
}

TEST_F(Library, UnsoundRecordsAreDroppedAndNeverWrittenBack) {
  const std::string img = JpegText(40, 30);
  const std::string png = PngText(12, 12);
  std::string file = "<puzzle-config>";
  file += CategoryElement("Sea", png);
  file += CategoryElement("Sea", png);                        // a second category of the same title
  file += CategoryElement("Broken", Base64Encode(std::string("not a picture at all")));
  file += CategoryElement("Huge", PngText(5000, 2));          // larger than any category picture
  file += ImageElement("one", img, "<category>" + Base64Encode(std::string("Sea")) + "</category>");
  file += ImageElement("one", img);                           // a second entry of the same name
  file += ImageElement("lost", img, "<category>" + Base64Encode(std::string("Broken")) + "</category>");
  file += ImageElement("big thumb", JpegText(1500, 20));      // no thumbnail is that large
  file += ImageElement("junk thumb", Base64Encode(std::string("\xFF\xD8\xFF garbage")));
  file += ImageElement(std::string(5000, 'n'), img);          // a name nobody typed
  file += ImageElement("far away", img, "<pointf x=\"1e20\" y=\"5\" />");
  file += "</puzzle-config>";
  WriteFile(file);

  CPuzzleLibrary library;
  EXPECT_FALSE(library.LoadFile().showError);
  ASSERT_EQ(library.GetCategories().size(), 1u);
  EXPECT_EQ(library.GetCategories()[0]->GetTitle(), "Sea");
  std::vector<std::string> names;
  for (const auto& entry : library.GetPuzzleImages()) names.push_back(entry->GetName());
  EXPECT_EQ(names, (std::vector<std::string>{"one", "lost", "far away"}));
  EXPECT_EQ(library.FindPuzzleImage("one")->GetCategory(), "Sea");
  // The category whose picture failed is gone; its puzzle is back on the
  // floor rather than nowhere.
  EXPECT_EQ(library.FindPuzzleImage("lost")->GetCategory(), "");
  EXPECT_FALSE(library.FindPuzzleImage("far away")->IsPositionValid());

  ASSERT_TRUE(library.SaveFile().ok);
  const std::string saved = ReadFile();
  EXPECT_EQ(saved.find(Base64Encode(std::string("Broken"))), std::string::npos);
  EXPECT_EQ(saved.find("1e20"), std::string::npos);
  CPuzzleLibrary again;
  again.LoadFile();
  EXPECT_EQ(again.GetPuzzleImages().size(), 3u);
  EXPECT_EQ(again.GetCategories().size(), 1u);
}

TEST_F(Library, HugeAndHostileFilesLoadWhatIsSoundQuickly) {
  const std::string img = JpegText(40, 30);
  std::string file = "<puzzle-config>";
  // A hundred thousand entries without pictures, a 10 MB name, and a few
  // sound entries among them.
  for (int i = 0; i < 100000; ++i) {
    file += "<puzzle-image><name>" + Base64Encode(std::to_string(i)) + "</name></puzzle-image>";
    if (i % 25000 == 0) file += ImageElement("good " + std::to_string(i), img);
  }
  file += "<puzzle-image><name>" + std::string(10 << 20, 'Q') + "</name><img-data>" + img +
          "</img-data></puzzle-image>";
  file += "</puzzle-config>";
  WriteFile(file);
  CPuzzleLibrary library;
  EXPECT_FALSE(library.LoadFile().showError);
  EXPECT_EQ(library.GetPuzzleImages().size(), 4u);
  EXPECT_EQ(library.GetPuzzleImages()[3]->GetName(), "good 75000");
}

TEST_F(Library, ManyThumbnailsDecodeSideBySideEachIntoItsOwnEntry) {
  // Enough entries for the decoding to be spread over threads; each
  // thumbnail has a width of its own, and some are not pictures.
  std::string file = "<puzzle-config>";
  for (int i = 0; i < 120; ++i)
    file += ImageElement("p" + std::to_string(i), i % 10 == 9 ? Base64Encode(std::string("junk")) : JpegText(10 + i, 8));
  file += "</puzzle-config>";
  WriteFile(file);
  CPuzzleLibrary library;
  EXPECT_FALSE(library.LoadFile().showError);
  ASSERT_EQ(library.GetPuzzleImages().size(), 108u);
  for (const auto& entry : library.GetPuzzleImages()) {
    const int i = std::stoi(entry->GetName().substr(1));
    EXPECT_NE(i % 10, 9);
    ASSERT_TRUE(entry->HasThumbnail());
    EXPECT_EQ(entry->GetThumbnail()->GetWidth(), 10 + i) << entry->GetName();
  }
}

TEST_F(Library, ThumbnailsOutOfSightAreDecodedWhenFirstPainted) {
  // A puzzle in a category and a solved one start out of sight: their
  // thumbnails are only probed when the library is read, yet their items
  // have the thumbnail's size and show its pixels once painted.
  const std::string inSea = "<category>" + Base64Encode(std::string("Sea")) + "</category>";
  WriteFile("<puzzle-config>" + CategoryElement("Sea", PngText(10, 10)) +
            ImageElement("kept", JpegText(40, 30), inSea) + ImageElement("solved", JpegText(36, 24), "<percent-completed>100</percent-completed>") + "</puzzle-config>");
  CPuzzleLibrary library;
  ASSERT_FALSE(library.LoadFile().showError);
  CPuzzleImageData* kept = library.FindPuzzleImage("kept");
  ASSERT_TRUE(kept && library.FindPuzzleImage("solved"));
  EXPECT_EQ(library.FindPuzzleImage("solved")->GetThumbnail()->GetWidth(), 36);
  std::unique_ptr<CRSCanvasItem> item(kept->GetItem());
  ASSERT_TRUE(item);
  auto* picture = dynamic_cast<CRSCanvasItem*>(item->FindChild("imgThumbNail"));
  ASSERT_TRUE(picture);
  EXPECT_FLOAT_EQ(picture->GetSize().Width, 40.0f);
  EXPECT_FLOAT_EQ(picture->GetSize().Height, 30.0f);
  Gdiplus::Bitmap shown(40, 30, PixelFormat::Format32bppARGB);
  {
    Gdiplus::Graphics g(&shown);
    picture->Paint(g, CRSCanvasItem::kZOrderTop, true);
  }
  const ARGB expected = kept->GetThumbnail()->GetPixel(20, 15);
  const ARGB painted = shown.GetPixel(20, 15);
  EXPECT_EQ(painted >> 24, 0xFFu);
  for (int shift : {0, 8, 16})
    EXPECT_NEAR(static_cast<int>(painted >> shift & 0xFF), static_cast<int>(expected >> shift & 0xFF), 2);
}

TEST_F(Library, ThumbnailsInSightAreDecodedAheadEachIntoItsOwnEntry) {
  // Four entries on a floor: one under another, one off the floor, two in
  // sight; one text changes while its old picture is being decoded ahead.
  // Whichever way each picture comes, it is the one of its entry's text.
  std::string file = "<puzzle-config>";
  for (int i = 0; i < 4; ++i) file += ImageElement("p" + std::to_string(i), JpegText(40 + i, 30));
  WriteFile(file + "</puzzle-config>");
  CPuzzleLibrary library;
  ASSERT_FALSE(library.LoadFile().showError);
  CRSCanvasItem floor(PointF(), nullptr, "floor");
  floor.SetSize(SizeF(300, 200));
  const PointF places[] = {PointF(10, 10), PointF(10, 10), PointF(900, 10), PointF(150, 100)};
  for (int i = 0; i < 4; ++i) {
    CRSCanvasItem* item = library.GetPuzzleImages()[static_cast<std::size_t>(i)]->GetItem();
    ASSERT_TRUE(item);
    item->SetParent(&floor);
    item->SetPosition(places[i]);
  }
  CPuzzleImageData::DecodeThumbnailsInSight(floor);
  CPuzzleImageData& changed = *library.GetPuzzleImages()[3];
  changed.SetThumbnailText(JpegText(77, 30));
  library_decode::FinishBackground();
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(library.GetPuzzleImages()[static_cast<std::size_t>(i)]->GetThumbnail()->GetWidth(), 40 + i);
  EXPECT_EQ(changed.GetThumbnail()->GetWidth(), 77);
}

TEST_F(Library, DamagedPictureChunksAreRefusedAtOnce) {
  // A library found by fuzzing whose category picture is a PNG with chunks
  // running past its end: the PNG reader underneath would read nothing for
  // minutes. It loads at once, without that category.
  std::ifstream in(std::string(TANDRILL_SOURCE_DIR) + "/tests/data_files/library/damaged_png_chunks.pzl",
                   std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  ASSERT_GT(bytes.str().size(), 1000u);
  CPuzzleLibrary library;
  library.LoadText(bytes.str());
  EXPECT_TRUE(library.GetCategories().empty());
}

TEST_F(Library, AnEntryWhoseCategoryIsDroppedIsReadAsTheFloorsEntriesAre) {
  // Found by fuzzing: a category whose picture does not decode, and in it
  // an entry whose thumbnail has a sound header but does not decode. The
  // entry went onto the floor with its thumbnail only probed, was written
  // back, and was dropped at the next start. What one load keeps, the next
  // keeps too.
  std::ifstream in(std::string(TANDRILL_SOURCE_DIR) + "/tests/data_files/library/entry_of_a_dropped_category.pzl",
                   std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  ASSERT_GT(bytes.str().size(), 1000u);
  CPuzzleLibrary first;
  first.LoadText(bytes.str());
  CPuzzleLibrary second;
  second.LoadText(first.ToText());
  EXPECT_EQ(second.GetPuzzleImages().size(), first.GetPuzzleImages().size());
  EXPECT_EQ(second.ToText(), first.ToText());
}

TEST_F(Library, MarkupInsideAPicturesTextNeverReachesTheFileWrittenBack) {
  // Found by fuzzing: references inside a thumbnail's or a category
  // picture's Base64 text are read as "&" and "<", which the decoder skips;
  // written back as they were read, they made the next library unreadable.
  const std::string img = JpegText(40, 30), png = PngText(12, 12);
  const auto marked = [](const std::string& text) { return text.substr(0, 40) + "&amp;&lt;\r\n " + text.substr(40); };
  WriteFile("<puzzle-config>" + CategoryElement("Sea", marked(png)) + ImageElement("floor", marked(img)) +
            ImageElement("in", marked(img), "<category>" + Base64Encode(std::string("Sea")) + "</category>") +
            "</puzzle-config>");
  CPuzzleLibrary first;
  ASSERT_FALSE(first.LoadFile().showError);
  ASSERT_EQ(first.GetPuzzleImages().size(), 2u);
  ASSERT_EQ(first.GetCategories().size(), 1u);
  CPuzzleLibrary second;
  EXPECT_FALSE(second.LoadText(first.ToText()).showError);
  EXPECT_EQ(second.ToText(), first.ToText());
}

TEST_F(Library, FailedSaveIsReportedAndKeepsTheOldFile) {
  WriteFile("old library");
  CPuzzleLibrary library;
  Entry(library, "new");
  // A folder in place of the file's temporary sibling's folder: the save
  // cannot happen at all.
  const auto bad = library.SaveFile(platform::GetDataDirectory() + "no/such/folder/tandrill.pzl");
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.path, platform::GetDataDirectory() + "no/such/folder/tandrill.pzl");
  if (geteuid() != 0) {
    // A folder the program may not write into keeps the old file whole.
    chmod(platform::GetDataDirectory().c_str(), 0500);
    EXPECT_FALSE(library.SaveFile().ok);
    chmod(platform::GetDataDirectory().c_str(), 0700);
    EXPECT_EQ(ReadFile(), "old library");
  }
  EXPECT_TRUE(library.SaveFile().ok);
  EXPECT_NE(ReadFile().find("<puzzle-image>"), std::string::npos);
}

}  // namespace
