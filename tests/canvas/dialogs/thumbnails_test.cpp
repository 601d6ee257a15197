#include "canvas/dialogs/thumbnails.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <map>

#include "canvas/dialogs/file_browser.h"
#include "platform/image_codec.h"
#include "platform/message_loop.h"
#include "tests/platform/temp_tree.h"

namespace {

using State = CRSThumbnailService::State;

std::string EncodedPicture(int w, int h, const char* mime) {
  Gdiplus::Bitmap picture(w, h, Gdiplus::PixelFormat::Format24bppRGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) picture.SetPixel(x, y, x < w / 2 ? 0xFFFF0000 : 0xFF0000FF);
  std::vector<std::uint8_t> bytes;
  if (!platform::EncodeImage(picture, mime, bytes)) return std::string();
  return std::string(bytes.begin(), bytes.end());
}

// A PNG header that declares a picture of w x h and nothing else.
std::string PngHeaderClaiming(std::uint32_t w, std::uint32_t h) {
  std::string s = "\x89PNG\r\n\x1A\n";
  s += std::string("\0\0\0\x0D", 4) + "IHDR";
  for (std::uint32_t v : {w, h})
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
  s += std::string("\x08\x06\0\0\0", 5);
  s += std::string("\0\0\0\0", 4);
  return s;
}

struct Done : sigslot::has_slots {
  std::map<std::string, bool> results;
  int calls = 0;
  void On(std::string path, bool ok) {
    results[path] = ok;
    ++calls;
  }
};

bool PumpUntil(platform::MessageLoop& loop, const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    loop.PumpMessages(20);
  }
  return true;
}

TEST(ThumbnailServiceTest, GoodPicturesGetThumbnailsAndBadOnesFailOnce) {
  TempTree tree;
  ASSERT_TRUE(tree.File("wide.jpg", EncodedPicture(400, 200, "image/jpeg")));
  ASSERT_TRUE(tree.File("tall.png", EncodedPicture(50, 300, "image/png")));
  ASSERT_TRUE(tree.File("tiny.png", EncodedPicture(10, 6, "image/png")));
  ASSERT_TRUE(tree.File("text.jpg", "this is not a picture at all"));
  ASSERT_TRUE(tree.File("empty.png", ""));
  ASSERT_TRUE(tree.File("huge.png", PngHeaderClaiming(60000, 60000)));
  // Sides whose product overflows a signed 64-bit number.
  ASSERT_TRUE(tree.File("crafted.png", PngHeaderClaiming(0xFFFFFFFFu, 0xFFFFFFFFu)));
  const std::string wideJpeg = EncodedPicture(400, 200, "image/jpeg");
  ASSERT_TRUE(tree.File("cut.jpg", wideJpeg.substr(0, 40)));
  ASSERT_EQ(mkfifo(tree.Path("pipe.jpg").c_str(), 0600), 0);  // would block a plain read

  platform::MessageLoop loop;
  CRSThumbnailService service(96);
  Done done;
  service.sigThumbnailDone.connect(&done, &Done::On);
  const std::vector<std::string> names = {"wide.jpg", "tall.png", "tiny.png", "text.jpg",
                                          "empty.png", "huge.png", "crafted.png", "cut.jpg", "missing.png", "pipe.jpg"};
  for (const auto& n : names) EXPECT_EQ(service.Request(tree.Path(n)), State::kPending) << n;
  EXPECT_EQ(service.Request(tree.Path("wide.jpg")), State::kPending);
  ASSERT_TRUE(PumpUntil(loop, [&] { return done.results.size() == names.size(); }));
  EXPECT_EQ(done.calls, static_cast<int>(names.size())) << "a repeated request is not made twice";

  std::shared_ptr<const Gdiplus::Bitmap> thumb;
  ASSERT_EQ(service.Find(tree.Path("wide.jpg"), &thumb), State::kReady);
  ASSERT_TRUE(thumb);
  EXPECT_EQ(thumb->GetWidth(), 96);
  EXPECT_EQ(thumb->GetHeight(), 48);
  // The picture, scaled: red on the left, blue on the right.
  EXPECT_GT(Gdiplus::RedOf(thumb->GetPixel(5, 24)), 200);
  EXPECT_GT(Gdiplus::BlueOf(thumb->GetPixel(90, 24)), 200);
  ASSERT_EQ(service.Find(tree.Path("tall.png"), &thumb), State::kReady);
  EXPECT_EQ(thumb->GetWidth(), 16);
  EXPECT_EQ(thumb->GetHeight(), 96);
  ASSERT_EQ(service.Find(tree.Path("tiny.png"), &thumb), State::kReady);
  EXPECT_EQ(thumb->GetWidth(), 10) << "small pictures are not enlarged";
  EXPECT_EQ(thumb->GetHeight(), 6);
  for (const char* bad : {"text.jpg", "empty.png", "huge.png", "crafted.png", "cut.jpg", "missing.png", "pipe.jpg"}) {
    EXPECT_FALSE(done.results[tree.Path(bad)]) << bad;
    EXPECT_EQ(service.Find(tree.Path(bad), &thumb), State::kFailed) << bad;
    EXPECT_FALSE(thumb);
    EXPECT_EQ(service.Request(tree.Path(bad)), State::kFailed) << "failures are cached too";
  }
  EXPECT_EQ(service.GetCachedCount(), names.size());

  // A picture changed on disk is made again; an unchanged one is not.
  ASSERT_TRUE(tree.File("tiny.png", EncodedPicture(20, 12, "image/png")));
  EXPECT_EQ(service.Request(tree.Path("tiny.png")), State::kPending);
  EXPECT_EQ(service.Request(tree.Path("wide.jpg")), State::kReady);
  ASSERT_TRUE(PumpUntil(loop, [&] { return service.Find(tree.Path("tiny.png")) != State::kPending; }));
  ASSERT_EQ(service.Find(tree.Path("tiny.png"), &thumb), State::kReady);
  EXPECT_EQ(thumb->GetWidth(), 20);
  EXPECT_EQ(service.GetCachedCount(), names.size()) << "counted once";
  EXPECT_EQ(service.Find(tree.Path("never-asked.png")), State::kUnknown);
}

TEST(ThumbnailServiceTest, CancelledRequestsAreForgottenAndTheServiceStopsWithWorkQueued) {
  TempTree tree;
  const std::string jpeg = EncodedPicture(640, 480, "image/jpeg");
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(tree.File("p" + std::to_string(i) + ".jpg", jpeg));
  platform::MessageLoop loop;
  {
    CRSThumbnailService service(64);
    for (int i = 0; i < 40; ++i) service.Request(tree.Path("p" + std::to_string(i) + ".jpg"));
    service.CancelPending();
    int unknown = 0;
    for (int i = 0; i < 40; ++i) unknown += service.Find(tree.Path("p" + std::to_string(i) + ".jpg")) == State::kUnknown;
    EXPECT_GE(unknown, 38) << "at most the one or two already started stay pending";
    for (int i = 0; i < 40; ++i) service.Request(tree.Path("p" + std::to_string(i) + ".jpg"));
    // Destroyed with requests queued and results in flight: must join and
    // drop them, and the loop must not deliver to the dead service.
  }
  loop.PumpMessages(50);
}

TEST(ThumbnailServiceTest, TheBrowserAsksOnlyForPictureRowsAndHearsWhichRowIsReady) {
  TempTree tree;
  ASSERT_TRUE(tree.Dir("folder.jpg"));  // a folder named like a picture
  ASSERT_TRUE(tree.File("a.png", EncodedPicture(30, 30, "image/png")));
  ASSERT_TRUE(tree.File("b.bmp", "broken"));
  ASSERT_TRUE(tree.File("c.txt", "text"));
  platform::MessageLoop loop;
  CRSThumbnailService service(32);
  CRSOpenFileRequest request;
  request.filters = ImageFileFilters();
  request.filterIndex = 7;  // all files
  request.initialFolder = tree.Root();
  CRSFileBrowser browser(request, &service);
  ASSERT_EQ(browser.GetModel().GetRowCount(), 4);
  struct Rows : sigslot::has_slots {
    std::vector<int> rows;
    void On(int row) { rows.push_back(row); }
  } rows;
  browser.sigRowThumbnail.connect(&rows, &Rows::On);
  EXPECT_FALSE(browser.IsPictureRow(0));
  EXPECT_TRUE(browser.IsPictureRow(1));
  EXPECT_FALSE(browser.IsPictureRow(3));
  browser.RequestThumbnails(0, 100);
  EXPECT_EQ(service.Find(tree.Path("folder.jpg")), State::kUnknown);
  EXPECT_EQ(service.Find(tree.Path("c.txt")), State::kUnknown);
  ASSERT_TRUE(PumpUntil(loop, [&] { return rows.rows.size() == 2; }));
  std::sort(rows.rows.begin(), rows.rows.end());
  EXPECT_EQ(rows.rows, (std::vector<int>{1, 2}));
  EXPECT_EQ(service.Find(tree.Path("a.png")), State::kReady);
  EXPECT_EQ(service.Find(tree.Path("b.bmp")), State::kFailed);
}

}  // namespace
