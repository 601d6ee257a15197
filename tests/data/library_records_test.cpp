// The library's records: thumbnails, the two elements as written and read,
// self-removal of records without pictures, and the items that show them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "canvas/behaviours.h"
#include "canvas/event_dispatcher.h"
#include "canvas/items.h"
#include "data/puzzle_category_data.h"
#include "data/puzzle_data.h"
#include "data/puzzle_image_data.h"
#include "data/xml_writer.h"
#include "platform/random.h"
#include "tests/data/library_test_support.h"

namespace {

using namespace library_test;

class LibraryRecords : public ::testing::Test {
 protected:
  void SetUp() override { CRSEventDispatcher::Create(); }
  void TearDown() override { FlushEvents(nullptr); }
};

std::string Written(CRSXMLParser::XHandler& record) {
  CRSXMLWriter out;
  record.Write(out);
  return out.GetBytes();
}

CRSCanvasItem* MakeFloor() {
  auto* floor = new CRSCanvasItem(PointF(), nullptr, "floor");
  floor->SetSize(SizeF(1000, 800));
  return floor;
}

TEST_F(LibraryRecords, ThumbnailIsThePictureShrunkIntoItsBox) {
  EXPECT_EQ(CPuzzleImageData::GetThumbnailBoxSide(2000), 120);
  EXPECT_EQ(CPuzzleImageData::GetThumbnailBoxSide(39), 70);
  CPuzzleImageData entry(MakePicture(2000, 1500).get(), "Sunset");
  ASSERT_TRUE(entry.HasThumbnail());
  EXPECT_EQ(entry.GetThumbnail()->GetWidth(), 120);
  EXPECT_EQ(entry.GetThumbnail()->GetHeight(), 90);
  EXPECT_EQ(entry.GetThumbnail()->GetPixelFormat(), PixelFormat::Format32bppARGB);
  // The kept text is the JPEG of that thumbnail.
  const auto decoded = DecodeImageBase64(entry.GetThumbnailText());
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->GetWidth(), 120);
  EXPECT_EQ(entry.GetThumbnailText().rfind("/9j/", 0), 0u);  // JPEG's start of image
  EXPECT_TRUE(entry.IsSelected());
  EXPECT_EQ(entry.GetName(), "Sunset");
  EXPECT_EQ(entry.GetTitle(), "Sunset");
  EXPECT_TRUE(entry.CanBeGift());

  // A tall picture: the box side comes from the width, the height limits.
  CPuzzleImageData tall(MakePicture(100, 300).get(), "tall");
  EXPECT_EQ(tall.GetThumbnail()->GetWidth(), 24);
  EXPECT_EQ(tall.GetThumbnail()->GetHeight(), 72);
  // Without a picture the record is empty and unselected.
  CPuzzleImageData empty;
  EXPECT_FALSE(empty.IsSelected());
  EXPECT_FALSE(empty.HasThumbnail());
}

TEST_F(LibraryRecords, PuzzleImageElementWritesItsLinesInOrder) {
  CPuzzleImageData entry(MakePicture(200, 100).get(), "Sunset");
  entry.SetSelected(false);
  const std::string img = entry.GetThumbnailText();
  // Default flags: no flag lines, no category, no position.
  EXPECT_EQ(Written(entry), "<puzzle-image>\r\n<name>U3Vuc2V0</name>\r\n<title>U3Vuc2V0</title>\r\n"
                            "<percent-completed>0</percent-completed>\r\n<number-of-pieces>0</number-of-pieces>\r\n"
                            "<size w=\"0\" h=\"0\" />\r\n<img-data>" + img + "</img-data>\r\n</puzzle-image>\r\n");

  entry.SetCategory("Sea");
  entry.SetTitle("");
  entry.SetPercentCompleted(42);
  entry.SetNumberOfPieces(12);
  entry.SetSurprise(true);
  entry.SetCanBeGift(false);
  entry.SetSelected(true);
  entry.SetScattered(true);
  entry.SetPosition(PointF(10.5f, -3));
  entry.SetSize(Size(400, 300));
  EXPECT_EQ(Written(entry), "<puzzle-image>\r\n<name>U3Vuc2V0</name>\r\n<title></title>\r\n<category>U2Vh</category>\r\n"
                            "<percent-completed>42</percent-completed>\r\n<number-of-pieces>12</number-of-pieces>\r\n"
                            "<surprise/>\r\n<cant-be-gift/>\r\n<selected/>\r\n<scattered/>\r\n"
                            "<pointf x=\"10.50\" y=\"-3.00\" />\r\n<size w=\"400\" h=\"300\" />\r\n<img-data>" +
                                img + "</img-data>\r\n</puzzle-image>\r\n");

  // Without a thumbnail nothing at all is written.
  CPuzzleImageData empty;
  empty.SetName("x");
  EXPECT_EQ(Written(empty), "");
}

TEST_F(LibraryRecords, PuzzleImageReadsBackWhatItWrote) {
  CPuzzleImageData entry(MakePicture(300, 200).get(), "Été");
  entry.SetCategory("Mer & <ciel>");
  entry.SetPercentCompleted(100);
  entry.SetNumberOfPieces(48);
  entry.SetSurprise(true);
  entry.SetCanBeGift(false);
  entry.SetScattered(true);
  entry.SetPosition(PointF(12.25f, 7.5f));
  entry.SetSize(Size(600, 400));

  CPuzzleImageData back;
  ASSERT_EQ(ReadInto(Written(entry), "puzzle-image", &back), CRSXMLParser::kSuccess);
  EXPECT_EQ(back.GetName(), "Été");
  EXPECT_EQ(back.GetTitle(), "Été");
  EXPECT_EQ(back.GetCategory(), "Mer & <ciel>");
  EXPECT_EQ(back.GetPercentCompleted(), 100);
  EXPECT_EQ(back.GetNumberOfPieces(), 48);
  EXPECT_TRUE(back.IsSurprise());
  EXPECT_FALSE(back.CanBeGift());
  EXPECT_TRUE(back.IsSelected());
  EXPECT_TRUE(back.IsScattered());
  EXPECT_TRUE(back.IsPositionValid());
  EXPECT_FLOAT_EQ(back.GetPosition().X, 12.25f);
  EXPECT_EQ(back.GetSize().Width, 600);
  ASSERT_TRUE(back.HasThumbnail());
  EXPECT_EQ(back.GetThumbnail()->GetWidth(), 77);  // 300 / 40 + 70
  EXPECT_EQ(back.GetThumbnailText(), entry.GetThumbnailText());
  EXPECT_EQ(Written(back), Written(entry));
}

TEST_F(LibraryRecords, ReadingIsCaseInsensitiveAndForgivingOfNumbers) {
  const std::string img = JpegText(60, 40);
  CPuzzleImageData entry;
  ASSERT_EQ(ReadInto("<PUZZLE-IMAGE><NAME>QQ==</NAME><CANT-BE-GIFT/><Selected/><percent-completed>abc"
                     "</percent-completed><number-of-pieces> 12 pieces</number-of-pieces>"
                     "<IMG-DATA>" + img + "</IMG-DATA></PUZZLE-IMAGE>",
                     "puzzle-image", &entry),
            CRSXMLParser::kSuccess);
  EXPECT_EQ(entry.GetName(), "A");
  EXPECT_FALSE(entry.CanBeGift());
  EXPECT_TRUE(entry.IsSelected());
  EXPECT_EQ(entry.GetPercentCompleted(), 0);
  EXPECT_EQ(entry.GetNumberOfPieces(), 12);
  EXPECT_TRUE(entry.HasThumbnail());

  // Progress is kept within 0 to 100; a position that is no place is
  // forgotten rather than kept.
  CPuzzleImageData odd;
  ReadInto("<puzzle-image><percent-completed>250</percent-completed><number-of-pieces>-4</number-of-pieces>"
           "<pointf x=\"nan\" y=\"1e30\" /><img-data>" + img + "</img-data></puzzle-image>",
           "puzzle-image", &odd);
  EXPECT_EQ(odd.GetPercentCompleted(), 100);
  EXPECT_EQ(odd.GetNumberOfPieces(), 0);
  EXPECT_FALSE(odd.IsPositionValid());
}

TEST_F(LibraryRecords, RecordsWithoutPicturesDeleteThemselvesAfterReading) {
  auto* entry = new CPuzzleImageData();
  CRSWeakRef<CPuzzleImageData> entryRef(entry);
  ReadInto("<puzzle-image><name>QQ==</name><title>QQ==</title></puzzle-image>", "puzzle-image", entry);
  // Deletion waits for the queue: the record may still be on the stack.
  EXPECT_EQ(entry->GetDeletionMode(), CRSEventReceiver::kDeletionQueued);
  FlushEvents(nullptr);
  EXPECT_FALSE(entryRef);

  // Bytes that are not a picture count as no picture.
  auto* junk = new CPuzzleImageData();
  CRSWeakRef<CPuzzleImageData> junkRef(junk);
  ReadInto("<puzzle-image><img-data>bm90IGEgcGljdHVyZQ==</img-data></puzzle-image>", "puzzle-image", junk);
  FlushEvents(nullptr);
  EXPECT_FALSE(junkRef);

  auto* category = new CPuzzleCategoryData();
  CRSWeakRef<CPuzzleCategoryData> categoryRef(category);
  ReadInto("<puzzle-category><title>QQ==</title><img-data>AAAA</img-data></puzzle-category>", "puzzle-category",
           category);
  FlushEvents(nullptr);
  EXPECT_FALSE(categoryRef);

  // A record with its picture stays.
  auto* good = new CPuzzleImageData();
  CRSWeakRef<CPuzzleImageData> goodRef(good);
  ReadInto("<puzzle-image><img-data>" + JpegText(30, 20) + "</img-data></puzzle-image>", "puzzle-image", good);
  FlushEvents(nullptr);
  ASSERT_TRUE(goodRef);
  delete good;
}

TEST_F(LibraryRecords, CategoryElementWritesAndReadsItsLines) {
  CPuzzleCategoryData category("", MakePicture(40, 30, true));
  ASSERT_TRUE(category.HasPicture());
  const std::string png = category.GetPictureText();
  EXPECT_EQ(png.rfind("iVBORw0KGgo", 0), 0u);  // PNG's signature
  EXPECT_EQ(Written(category), "<puzzle-category>\r\n<title></title>\r\n<img-data>" + png +
                                   "</img-data>\r\n</puzzle-category>\r\n");
  category.SetTitle("Flowers");
  category.SetSelected(true);
  category.SetPosition(PointF(5, 6));
  const std::string full = Written(category);
  EXPECT_EQ(full, "<puzzle-category>\r\n<title>Rmxvd2Vycw==</title>\r\n<selected/>\r\n"
                  "<pointf x=\"5.00\" y=\"6.00\" />\r\n<img-data>" + png + "</img-data>\r\n</puzzle-category>\r\n");

  CPuzzleCategoryData back;
  ReadInto(full, "puzzle-category", &back);
  EXPECT_EQ(back.GetTitle(), "Flowers");
  EXPECT_TRUE(back.IsSelected());
  EXPECT_TRUE(back.IsPositionValid());
  ASSERT_TRUE(back.HasPicture());
  EXPECT_EQ(back.GetPicture()->GetWidth(), 40);
  EXPECT_EQ(Written(back), full);

  // A null picture changes nothing; no picture writes nothing.
  back.SetPicture(nullptr);
  EXPECT_TRUE(back.HasPicture());
  CPuzzleCategoryData lonely("lonely");
  EXPECT_EQ(Written(lonely), "");
}

TEST_F(LibraryRecords, ThumbnailItemShowsTheEntryAndFollowsIt) {
  CRSCanvasItem* floor = MakeFloor();
  CPuzzleImageData entry(MakePicture(400, 300).get(), "Sunset");  // thumbnail 80 x 60
  entry.SetSelected(false);
  entry.SetNumberOfPieces(12);
  CRSCanvasItem* item = entry.GetItem();
  ASSERT_TRUE(item);
  EXPECT_EQ(entry.GetItem(), item);  // made once
  EXPECT_EQ(item->GetName(), "Sunset");
  auto* data = dynamic_cast<CPuzzleImageData::PuzzleImageUserData*>(item->GetUserData());
  ASSERT_TRUE(data);
  EXPECT_EQ(data->GetData(), &entry);

  auto* percent = dynamic_cast<CRSCanvasShapeText*>(item->FindChild("textShapePercent"));
  auto* pieces = dynamic_cast<CRSCanvasShapeText*>(item->FindChild("textShapePieces"));
  ASSERT_TRUE(percent && pieces && item->FindChild("imgThumbNail"));
  EXPECT_EQ(percent->GetText(), "");
  EXPECT_EQ(pieces->GetText(), "12");
  EXPECT_NEAR(pieces->GetTopLeft().X, -4.0f, 0.01f);
  entry.SetPercentCompleted(1);
  EXPECT_EQ(percent->GetText(), "1%");
  // Lower right, six units in from the thumbnail's corner.
  EXPECT_NEAR(percent->GetTopLeft().X + percent->GetSize().Width, 74.0f, 0.01f);
  EXPECT_NEAR(percent->GetTopLeft().Y + percent->GetSize().Height, 54.0f, 0.01f);
  EXPECT_FALSE(item->FindChild("textSurprise"));

  auto* highlight = CRSCanvasBehaviour::Find<CBehaviourHighlight>(item);
  ASSERT_TRUE(highlight);
  EXPECT_FALSE(highlight->IsOn());
  entry.SetSelected(true);
  EXPECT_TRUE(highlight->IsOn());
  EXPECT_TRUE(CRSCanvasBehaviour::Find<CBehaviourDrag>(item));
  EXPECT_TRUE(CRSCanvasBehaviour::Find<CBehaviourRaiseable>(item));
  EXPECT_TRUE(CRSCanvasBehaviour::Find<CBehaviourAlign>(item));

  // A free item's moves are not the entry's; on the floor they are, and a
  // random place is given only once.
  item->SetPosition(PointF(300, 300));
  EXPECT_FALSE(entry.IsPositionValid());
  EXPECT_FLOAT_EQ(entry.GetPosition().X, 0.0f);
  item->SetParent(floor);
  platform::SeedRand(7);
  entry.PlaceRandomlyOnce();
  EXPECT_TRUE(entry.IsPositionValid());
  const PointF placed = entry.GetPosition();
  EXPECT_FLOAT_EQ(placed.X, item->GetPosition().X);
  const RectF bounds = item->GetBoundsIn(floor);
  EXPECT_GE(bounds.X, -0.01f);
  EXPECT_LE(bounds.X + bounds.Width, 1000.01f);
  entry.PlaceRandomlyOnce();
  EXPECT_FLOAT_EQ(item->GetPosition().X, placed.X);
  item->SetPosition(PointF(123, 45));
  EXPECT_FLOAT_EQ(entry.GetPosition().X, 123.0f);
  EXPECT_FLOAT_EQ(entry.GetPosition().Y, 45.0f);

  // A new item for the next room starts where the entry was left.
  delete floor;
  FlushEvents(nullptr);
  CRSCanvasItem* again = entry.GetItem();
  ASSERT_TRUE(again);
  EXPECT_FLOAT_EQ(again->GetPosition().X, 123.0f);
  EXPECT_TRUE(CRSCanvasBehaviour::Find<CBehaviourHighlight>(again)->IsOn());
  delete again;
}

TEST_F(LibraryRecords, SurpriseThumbnailIsCoveredByNineQuestionMarks) {
  CPuzzleImageData entry(MakePicture(1200, 900).get(), "secret");  // thumbnail 100 x 75
  entry.SetSurprise(true);
  CRSCanvasItem* item = entry.GetItem();
  ASSERT_TRUE(item);
  int yellow = 0, red = 0;
  CRSCanvasItem* image = dynamic_cast<CRSCanvasItem*>(item->FindChild("imgThumbNail"));
  ASSERT_TRUE(image);
  for (CRSCanvasItem* child : item->GetChildItems()) {
    auto* mark = dynamic_cast<CRSCanvasShapeText*>(child);
    if (!mark || mark->GetText() != "?") continue;
    auto* brush = dynamic_cast<Gdiplus::SolidBrush*>(mark->GetBrush(0));
    ASSERT_TRUE(brush);
    Gdiplus::Color colour;
    brush->GetColor(&colour);
    if (colour.GetValue() == 0xFFFFFF00) {
      ++yellow;
      EXPECT_FLOAT_EQ(mark->GetFont()->GetSize(), 75.0f);
    } else if (colour.GetValue() == 0xFFFF0000) {
      ++red;
      EXPECT_FLOAT_EQ(mark->GetFont()->GetSize(), 25.0f);
      const RectF b = mark->GetBoundsIn(item);
      EXPECT_GE(b.X, -0.5f);
      EXPECT_LE(b.X + b.Width, 100.5f);
    }
    // The marks and the shade cover the picture rather than hide under it.
    EXPECT_GT(mark->GetZOrder(), image->GetZOrder());
  }
  EXPECT_EQ(yellow, 1);
  EXPECT_EQ(red, 8);
  auto* shade = dynamic_cast<CRSCanvasShape*>(item->FindChild("shapeSurprise"));
  ASSERT_TRUE(shade);
  EXPECT_GT(shade->GetZOrder(), image->GetZOrder());
  EXPECT_NEAR(shade->GetSize().Width, 100.0f, 0.01f);
  delete item;
}

TEST_F(LibraryRecords, FolderItemLaysOutItsChildrenAroundThePicture) {
  CPuzzleCategoryData category("A category with a rather long title indeed", MakePicture(90, 60));
  CRSCanvasItem* folder = category.GetItem();
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->GetName(), "A category with a rather long title indeed");
  auto* data = dynamic_cast<CPuzzleCategoryData::PuzzleCategoryUserData*>(folder->GetUserData());
  ASSERT_TRUE(data && data->GetData() == &category);
  auto* icon = dynamic_cast<CRSCanvasImage*>(folder->FindChild("imgFolder"));
  auto* title = dynamic_cast<CRSCanvasShapeText*>(folder->FindChild("textShapeTitle"));
  auto* number = dynamic_cast<CRSCanvasShapeText*>(folder->FindChild("textShapeNumber"));
  ASSERT_TRUE(icon && title && number && folder->FindChild("imgThumbNail"));
  // The 16 x 13 icon at four thirds, centred on the lower right corner.
  EXPECT_EQ(icon->GetImage()->GetWidth(), 21);
  EXPECT_NEAR(icon->GetTopLeft().X, 90.0f - 10.5f, 0.01f);
  EXPECT_NEAR(icon->GetTopLeft().Y, 60.0f - icon->GetSize().Height / 2, 0.01f);
  // The title's box ends where the icon begins, and cuts with an ellipsis.
  EXPECT_NEAR(title->GetTopLeft().X, -30.0f, 0.01f);
  EXPECT_NEAR(title->GetTopLeft().Y, 54.0f, 0.01f);
  EXPECT_NEAR(title->GetSize().Width, 79.5f + 30.0f, 0.01f);
  EXPECT_EQ(title->GetStringFormat().GetTrimming(), Gdiplus::StringTrimmingEllipsisCharacter);
  RectF pathBounds;
  title->GetPath()->GetBounds(&pathBounds);
  EXPECT_LE(pathBounds.X + pathBounds.Width, 109.5f + 0.5f);
  EXPECT_EQ(number->GetText(), "0");
  category.SetNumber(7);
  EXPECT_EQ(number->GetText(), "7");
  EXPECT_NEAR(number->GetTopLeft().X + number->GetSize().Width / 2, 90.0f, 0.01f);
  EXPECT_NEAR(number->GetTopLeft().Y + number->GetSize().Height / 2, 0.0f, 0.01f);
  EXPECT_TRUE(CRSCanvasBehaviour::Find<CBehaviourDrag>(folder));

  // A plain folder (for rooms that lay folders out) has no drag, and a new
  // title or picture reaches every folder still alive.
  CRSCanvasItem* plain = category.CreateFolder();
  EXPECT_FALSE(CRSCanvasBehaviour::Find<CBehaviourDrag>(plain));
  category.SetTitle("Sea");
  category.SetPicture(MakePicture(50, 40));
  for (CRSCanvasItem* f : {folder, plain}) {
    EXPECT_EQ(dynamic_cast<CRSCanvasShapeText*>(f->FindChild("textShapeTitle"))->GetText(), "Sea");
    EXPECT_EQ(dynamic_cast<CRSCanvasImage*>(f->FindChild("imgThumbNail"))->GetImage(), category.GetPicture());
    EXPECT_NEAR(dynamic_cast<CRSCanvasItem*>(f->FindChild("imgFolder"))->GetTopLeft().X, 50.0f - 10.5f, 0.01f);
  }
  delete plain;
  // A category without a picture has no folder.
  CPuzzleCategoryData bare("bare");
  EXPECT_FALSE(bare.GetItem());
  EXPECT_FALSE(bare.CreateFolder());
}

TEST_F(LibraryRecords, DeleteWithFileRemovesThePuzzleFileTheEntryAndItsItem) {
  const std::string folder = std::filesystem::temp_directory_path() / ("tandrill_records_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  CPuzzleData::SetPuzzleFolder(folder);
  const std::string file = CPuzzleData::GetPuzzleFileName("Sunset");
  std::ofstream(file) << "x";
  const std::string other = CPuzzleData::GetPuzzleFileName("Other");
  std::ofstream(other) << "x";

  CRSCanvasItem* floor = MakeFloor();
  auto* entry = new CPuzzleImageData(MakePicture(80, 60).get(), "Sunset");
  CRSWeakRef<CPuzzleImageData> ref(entry);
  CRSWeakRef<CRSCanvasItem> item(entry->GetItem());
  item->SetParent(floor);
  entry->DeleteWithFile();
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(std::filesystem::exists(other));
  FlushEvents(nullptr);
  EXPECT_FALSE(ref);
  // The item went off the floor with the entry, its glow with it.
  FlushEvents(nullptr);
  EXPECT_FALSE(item);
  EXPECT_TRUE(floor->GetChildItems().empty());

  // An entry without a thumbnail never names a file to delete.
  std::ofstream(file) << "x";
  auto* bare = new CPuzzleImageData();
  bare->SetName("Sunset");
  bare->DeleteWithFile();
  FlushEvents(nullptr);
  EXPECT_TRUE(std::filesystem::exists(file));
  delete floor;
  CPuzzleData::SetPuzzleFolder({});
  std::filesystem::remove_all(folder);
}

}  // namespace
