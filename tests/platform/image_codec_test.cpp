#include "platform/image_codec.h"
#include "platform/image_codec_probe.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <jpeglib.h>

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
  std::vector<std::uint8_t> out;
  out.reserve(jpeg.size() + sizeof exif);
  out.push_back(jpeg[0]);
  out.push_back(jpeg[1]);
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
    auto b = platform::DecodeImage(WithOrientation(jpeg, c.orientation), platform::ExifOrientation::kApply);
    ASSERT_NE(b, nullptr) << int(c.orientation);
    EXPECT_EQ(b->GetWidth(), c.w) << int(c.orientation);
    EXPECT_EQ(b->GetHeight(), c.h) << int(c.orientation);
    EXPECT_TRUE(Near(b->GetPixel(c.blueX, c.blueY), 0xFF0000FFu)) << int(c.orientation);
    EXPECT_TRUE(Near(b->GetPixel(c.redX, c.redY), 0xFFFF0000u)) << int(c.orientation);
  }
}

// Only a user's picture file is turned by its tag; bytes as stored (our own
// files' pictures, resources) keep their pixels where they are.
TEST(ImageCodecTest, ExifOrientationTurnsPictureFilesButNotStoredBytes) {
  std::vector<std::uint8_t> jpeg;
  ASSERT_TRUE(platform::EncodeImage(*HalfAndHalf(32, 16), "image/jpeg", jpeg));
  const std::vector<std::uint8_t> tagged = WithOrientation(jpeg, 6);
  auto stored = platform::DecodeImage(tagged);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->GetWidth(), 32);
  EXPECT_TRUE(Near(stored->GetPixel(4, 8), 0xFF0000FFu));

  const std::string path = ::testing::TempDir() + "tandrill_exif_" + std::to_string(::getpid()) + ".jpg";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(tagged.data()),
                                              static_cast<std::streamsize>(tagged.size()));
  auto fromFile = platform::LoadImageFile(path);
  std::filesystem::remove(path);
  ASSERT_NE(fromFile, nullptr);
  EXPECT_EQ(fromFile->GetWidth(), 16);
  EXPECT_EQ(fromFile->GetHeight(), 32);
  EXPECT_TRUE(Near(fromFile->GetPixel(8, 4), 0xFF0000FFu));
}

namespace {

// A 16 x 8 CMYK JPEG written with the JPEG library: left half red ink
// (magenta and yellow), right half blue (cyan and magenta), bottom-right
// quarter half black on top. With the Adobe marker the samples are stored
// inverted, as the programs that write that marker do.
std::vector<std::uint8_t> CmykJpeg(bool adobe) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = 16;
  info.image_height = 8;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, JCS_CMYK);
  info.write_Adobe_marker = adobe ? TRUE : FALSE;
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(16 * 4);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x) {
      const std::uint8_t ink[4] = {std::uint8_t(x < 8 ? 0 : 255), 255, std::uint8_t(x < 8 ? 255 : 0),
                                   std::uint8_t(x >= 8 && y >= 4 ? 128 : 0)};
      for (int i = 0; i < 4; ++i) row[x * 4 + i] = adobe ? JSAMPLE(255 - ink[i]) : JSAMPLE(ink[i]);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

}  // namespace

TEST(ImageCodecTest, CmykJpegsDecodeToTheirRealColours) {
  for (bool adobe : {true, false}) {
    SCOPED_TRACE(adobe ? "Adobe, inverted" : "plain");
    auto b = platform::DecodeImage(CmykJpeg(adobe));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetWidth(), 16);
    EXPECT_EQ(b->GetHeight(), 8);
    EXPECT_EQ(b->GetPixelFormat(), PixelFormat::Format24bppRGB);
    EXPECT_TRUE(Near(b->GetPixel(2, 2), 0xFFFF0000u)) << std::hex << b->GetPixel(2, 2);
    EXPECT_TRUE(Near(b->GetPixel(13, 1), 0xFF0000FFu)) << std::hex << b->GetPixel(13, 1);
    EXPECT_TRUE(Near(b->GetPixel(13, 6), 0xFF00007Fu)) << std::hex << b->GetPixel(13, 6);
  }
  // A file made by another program, where one is at hand.
  const std::string path = ::testing::TempDir() + "tandrill_cmyk_" + std::to_string(::getpid()) + ".jpg";
  const std::string command = "convert -size 16x8 xc:'rgb(255,128,0)' -colorspace CMYK " + path + " 2>/dev/null";
  if (std::system(command.c_str()) == 0) {
    auto b = platform::LoadImageFile(path);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(Near(b->GetPixel(8, 4), 0xFFFF8000u)) << std::hex << b->GetPixel(8, 4);
  }
  std::filesystem::remove(path);
  // Broken CMYK data is refused like any other broken picture.
  std::vector<std::uint8_t> cut = CmykJpeg(true);
  cut.resize(cut.size() / 2);
  auto broken = platform::DecodeImage(cut);
  if (broken) {
    EXPECT_EQ(broken->GetWidth(), 16) << "a cut-short picture is either refused or whole-sized";
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
  // A GIF cut short inside its first frame's header (found by the fuzzer):
  // no picture, and so no size that a caller might believe.
  const std::vector<std::uint8_t> cutGif{'G', 'I', 'F', '8', '9', 'a', 4, 0, 0xA1, 0x2A, 0xF1, 1, 0x10, 0, 0, 0, 0,
                                         0x21, 0xF9, 4, 1, 0, 0, 2, 0, 0x2C, 0, 0x5D, 0xFF, 6, 1, 3, 0};
  const platform::ImageProbe probe = platform::ProbeImage(cutGif);
  EXPECT_EQ(probe.type, platform::ImageType::kUnknown);
  EXPECT_EQ(probe.width + probe.height, 0);
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
