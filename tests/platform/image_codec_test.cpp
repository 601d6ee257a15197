#include "platform/image_codec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// Left half blue, right half red: colours JPEG keeps well in 8-pixel blocks.
std::unique_ptr<Bitmap> HalfAndHalf(int w, int h, PixelFormat format = PixelFormat::Format24bppRGB) {
  auto b = std::make_unique<Bitmap>(w, h, format);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->SetPixel(x, y, x < w / 2 ? 0xFF0000FFu : 0xFFFF0000u);
  return b;
}

bool Near(ARGB a, ARGB b, int tolerance = 24) {
  for (int shift = 0; shift < 32; shift += 8)
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string ImageFile(const char* name) { return std::string(TANDRILL_SOURCE_DIR) + "/tests/data_files/images/" + name; }

// The bytes of a JPEG with an EXIF block that gives this orientation.
std::vector<std::uint8_t> WithOrientation(const std::vector<std::uint8_t>& jpeg, std::uint8_t orientation) {
  const std::uint8_t exif[] = {0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0,       // APP1, length 34
                               'M', 'M', 0x00, 0x2A, 0x00, 0x00, 0x00, 0x08,          // big-endian TIFF
                               0x00, 0x01,                                            // one entry
                               0x01, 0x12, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01,        // orientation, SHORT
                               0x00, orientation, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};  // value; no next IFD
  std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
  out.insert(out.end(), std::begin(exif), std::end(exif));
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

}  // namespace

TEST(ImageCodecTest, JpegAndPngRoundTripKeepSizeAndColours) {
  auto picture = HalfAndHalf(64, 32);
  for (const char* mime : {"image/jpeg", "image/png"}) {
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(platform::EncodeImage(*picture, mime, bytes)) << mime;
    auto back = platform::DecodeImage(bytes);
    ASSERT_NE(back, nullptr) << mime;
    EXPECT_EQ(back->GetWidth(), 64);
    EXPECT_EQ(back->GetHeight(), 32);
    EXPECT_EQ(back->GetPixelFormat(), PixelFormat::Format24bppRGB) << mime << " of an opaque picture";
    EXPECT_TRUE(Near(back->GetPixel(5, 5), 0xFF0000FFu)) << std::hex << back->GetPixel(5, 5);
    EXPECT_TRUE(Near(back->GetPixel(60, 30), 0xFFFF0000u)) << std::hex << back->GetPixel(60, 30);
  }
  std::vector<std::uint8_t> bytes;
  EXPECT_FALSE(platform::EncodeImage(*picture, "image/gif", bytes));
  EXPECT_FALSE(platform::EncodeImage(*picture, "image/JPEG", bytes)) << "MIME types match exactly";
  EXPECT_FALSE(platform::EncodeImage(Bitmap(0, 0, PixelFormat::Format24bppRGB), "image/png", bytes));
}

TEST(ImageCodecTest, PngKeepsStraightAlphaThroughPremultipliedPixels) {
  Bitmap picture(3, 1, PixelFormat::Format32bppARGB);
  picture.SetPixel(0, 0, 0x80FF8040u);
  picture.SetPixel(1, 0, 0x00000000u);
  picture.SetPixel(2, 0, 0xFF102030u);
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(platform::EncodeImage(picture, "image/png", bytes));
  auto back = platform::DecodeImage(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetPixelFormat(), PixelFormat::Format32bppARGB);
  EXPECT_TRUE(Near(back->GetPixel(0, 0), 0x80FF8040u, 2)) << std::hex << back->GetPixel(0, 0);
  EXPECT_EQ(back->GetPixel(1, 0), 0u);
  EXPECT_EQ(back->GetPixel(2, 0), 0xFF102030u);
}

TEST(ImageCodecTest, DecodesGifTiffAndRunLengthBmp) {
  struct Case {
    const char* file;
    bool alpha;
  };
  for (const Case& c : {Case{"tiny.gif", true}, Case{"tiny.tif", false}, Case{"tiny_rle.bmp", false}}) {
    auto b = platform::LoadImageFile(ImageFile(c.file));
    ASSERT_NE(b, nullptr) << c.file;
    EXPECT_EQ(b->GetWidth(), 4) << c.file;
    EXPECT_EQ(b->GetHeight(), 2) << c.file;
    EXPECT_EQ(b->HasAlpha(), c.alpha) << c.file;
    EXPECT_EQ(b->GetPixel(0, 0), 0xFF0000FFu) << c.file << " " << std::hex << b->GetPixel(0, 0);
    EXPECT_EQ(b->GetPixel(1, 0), 0xFFFF0000u) << c.file;
  }
  // The GIF's white corner is its transparent colour.
  auto gif = platform::LoadImageFile(ImageFile("tiny.gif"));
  ASSERT_NE(gif, nullptr);
  EXPECT_EQ(gif->GetPixel(3, 1) >> 24, 0u);
}

TEST(ImageCodecTest, ExifOrientationTurnsThePictureUpright) {
  std::vector<std::uint8_t> jpeg;
  ASSERT_TRUE(platform::EncodeImage(*HalfAndHalf(32, 16), "image/jpeg", jpeg));
  struct Case {
    std::uint8_t orientation;
    int w, h;
    int blueX, blueY, redX, redY;  // a point well inside each half after turning
  };
  for (const Case& c : {Case{1, 32, 16, 4, 8, 28, 8}, Case{3, 32, 16, 28, 8, 4, 8}, Case{6, 16, 32, 8, 4, 8, 28},
                        Case{8, 16, 32, 8, 28, 8, 4}, Case{2, 32, 16, 28, 8, 4, 8}}) {
    auto b = platform::DecodeImage(WithOrientation(jpeg, c.orientation));
    ASSERT_NE(b, nullptr) << int(c.orientation);
    EXPECT_EQ(b->GetWidth(), c.w) << int(c.orientation);
    EXPECT_EQ(b->GetHeight(), c.h) << int(c.orientation);
    EXPECT_TRUE(Near(b->GetPixel(c.blueX, c.blueY), 0xFF0000FFu)) << int(c.orientation);
    EXPECT_TRUE(Near(b->GetPixel(c.redX, c.redY), 0xFFFF0000u)) << int(c.orientation);
  }
}

TEST(ImageCodecTest, UndecodableOrAbsurdPicturesGiveNoBitmap) {
  std::vector<std::uint8_t> png;
  ASSERT_TRUE(platform::EncodeImage(*HalfAndHalf(16, 16), "image/png", png));
  EXPECT_EQ(platform::DecodeImage({}), nullptr);
  const std::vector<std::uint8_t> text{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'};
  EXPECT_EQ(platform::DecodeImage(text), nullptr);
  // Cut short after the header, and cut short inside the header.
  EXPECT_EQ(platform::DecodeImage(std::span(png).first(60)), nullptr);
  EXPECT_EQ(platform::DecodeImage(std::span(png).first(12)), nullptr);
  // A header claiming 100,000 x 100,000 pixels is refused before any
  // decoder allocates for it.
  std::vector<std::uint8_t> huge = png;
  huge[16] = 0, huge[17] = 0x01, huge[18] = 0x86, huge[19] = 0xA0;
  huge[20] = 0, huge[21] = 0x01, huge[22] = 0x86, huge[23] = 0xA0;
  EXPECT_EQ(platform::DecodeImage(huge), nullptr);
  // Within each side's limit but far too many pixels together.
  huge[18] = 0x7F, huge[19] = 0xFF, huge[17] = 0, huge[22] = 0x7F, huge[23] = 0xFF, huge[21] = 0;
  EXPECT_EQ(platform::DecodeImage(huge), nullptr);
  EXPECT_EQ(platform::LoadImageFile(ImageFile("missing.png")), nullptr);
}

TEST(ImageCodecTest, SaveByExtensionWritesPngJpegBmpAndRefusesTheRest) {
  const auto picture = HalfAndHalf(20, 10);
  const std::string dir = ::testing::TempDir() + "tandrill_save_" + std::to_string(::getpid()) + "/";
  std::filesystem::create_directories(dir);
  for (const char* name : {"a.png", "b.JPG", "c.jpeg", "d.bmp"}) {
    ASSERT_TRUE(platform::SaveImageByExtension(*picture, dir + name)) << name;
    auto back = platform::LoadImageFile(dir + name);
    ASSERT_NE(back, nullptr) << name;
    EXPECT_EQ(back->GetWidth(), 20) << name;
    EXPECT_TRUE(Near(back->GetPixel(2, 2), 0xFF0000FFu)) << name;
  }
  EXPECT_EQ(ReadAll(dir + "a.png")[1], 'P');
  EXPECT_EQ(ReadAll(dir + "b.JPG")[0], 0xFF);
  EXPECT_EQ(ReadAll(dir + "d.bmp")[0], 'B');
  for (const char* name : {"e.gif", "f.tif", "g.txt", "noextension"}) {
    EXPECT_FALSE(platform::SaveImageByExtension(*picture, dir + name)) << name;
    EXPECT_FALSE(std::filesystem::exists(dir + name)) << name;
  }
  std::filesystem::remove_all(dir);
}
