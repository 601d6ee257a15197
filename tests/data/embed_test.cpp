#include "data/embed.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "data/base64.h"
#include "data/library_input.h"
#include "platform/image_codec.h"

namespace {

std::unique_ptr<Bitmap> Gradient(int w, int h) {
  auto b = std::make_unique<Bitmap>(w, h, PixelFormat::Format24bppRGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b->SetPixel(x, y, Gdiplus::MakeARGB(255, static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4), 90));
  return b;
}

}  // namespace

TEST(EmbedTest, PictureEmbeddedAsJpegOrPngDecodesBackWithTheSameSize) {
  for (std::string_view mime : {kMimeJpeg, kMimePng}) {
    CRSEmbeddedImage embedded;
    ASSERT_TRUE(embedded.SetImage(Gradient(48, 20), mime)) << mime;
    ASSERT_FALSE(embedded.GetBase64().empty());
    EXPECT_EQ(embedded.GetBase64().find_first_of("\r\n"), std::string::npos);

    CRSEmbeddedImage read;
    ASSERT_TRUE(read.SetBase64(embedded.GetBase64())) << mime;
    ASSERT_TRUE(read.HasImage());
    EXPECT_EQ(read.GetImage()->GetWidth(), 48);
    EXPECT_EQ(read.GetImage()->GetHeight(), 20);
  }
}

TEST(EmbedTest, TextAsReadIsKeptUnchangedUntilThePictureIsReplaced) {
  const std::string png = EncodeImageBase64(*Gradient(8, 8), kMimePng);
  // The file's own line breaks stay in the text that is written back.
  const std::string asRead = png.substr(0, 10) + "\r\n" + png.substr(10);
  CRSEmbeddedImage embedded;
  ASSERT_TRUE(embedded.SetBase64(asRead));
  EXPECT_EQ(embedded.GetBase64(), asRead);
  ASSERT_TRUE(embedded.SetImage(Gradient(4, 4), kMimeJpeg));
  EXPECT_NE(embedded.GetBase64(), asRead);
  EXPECT_EQ(DecodeImageBase64(embedded.GetBase64())->GetWidth(), 4);
  EXPECT_TRUE(embedded.SetImage(nullptr, kMimeJpeg));
  EXPECT_TRUE(embedded.GetBase64().empty());
}

TEST(EmbedTest, UndecodablePictureTextGivesNoBitmapButKeepsTheText) {
  CRSEmbeddedImage embedded;
  EXPECT_FALSE(embedded.SetBase64("this is no picture at all"));
  EXPECT_FALSE(embedded.HasImage());
  EXPECT_EQ(embedded.GetBase64(), "this is no picture at all");
  EXPECT_EQ(DecodeImageBase64(""), nullptr);
  EXPECT_EQ(DecodeImageBase64(Base64Encode(std::string_view("\x89PNG\r\n\x1a\n garbage"))), nullptr);
}

// A thumbnail is probed from the first bytes of its text when it is a JPEG;
// one whose frame header lies beyond them (a large Exif block), a PNG, or one
// too large must be told the same as by decoding it whole.
TEST(EmbedTest, ThumbnailProbeTellsTheSizeWhereverTheHeaderLies) {
  const auto image = Gradient(60, 40);
  std::vector<std::uint8_t> jpeg;
  ASSERT_TRUE(platform::EncodeImage(*image, kMimeJpeg, jpeg));
  // An application block of 20,000 bytes right after the start marker.
  std::vector<std::uint8_t> padded(jpeg.begin(), jpeg.begin() + 2);
  const std::size_t block = 20000;
  padded.insert(padded.end(), {0xFF, 0xE5, static_cast<std::uint8_t>((block + 2) >> 8),
                               static_cast<std::uint8_t>((block + 2) & 0xFF)});
  padded.insert(padded.end(), block, 0x20);
  padded.insert(padded.end(), jpeg.begin() + 2, jpeg.end());
  // Long texts with the frame header in their first bytes: bytes after the
  // picture's end make them long.
  std::vector<std::uint8_t> long_ = jpeg, large;
  long_.insert(long_.end(), block, 0x20);
  ASSERT_TRUE(platform::EncodeImage(*Gradient(600, 30), kMimeJpeg, large));
  large.insert(large.end(), block, 0x20);
  std::vector<std::uint8_t> png;
  ASSERT_TRUE(platform::EncodeImage(*image, kMimePng, png));
  struct Case {
    const std::vector<std::uint8_t>* bytes;
    Size expected;
  } cases[] = {{&jpeg, Size(60, 40)}, {&padded, Size(60, 40)}, {&long_, Size(60, 40)},
               {&png, Size(60, 40)},  {&large, Size()}};
  for (const Case& c : cases) {
    const Size probed = library_input::ProbePicture(Base64Encode(*c.bytes), 512);
    EXPECT_EQ(probed.Width, c.expected.Width) << c.bytes->size() << " bytes";
    EXPECT_EQ(probed.Height, c.expected.Height) << c.bytes->size() << " bytes";
  }
}

TEST(EmbedTest, MusicFileBytesRoundTripAndOversizedOrMissingFilesAreRefused) {
  const std::string path = ::testing::TempDir() + "tandrill_music_" + std::to_string(::getpid()) + ".mid";
  std::string bytes = "MThd";
  for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(i * 31);
  std::ofstream(path, std::ios::binary) << bytes;
  std::string text;
  ASSERT_TRUE(EncodeMusicFileBase64(path, text));
  const std::vector<std::uint8_t> back = DecodeMusicBase64(text);
  EXPECT_EQ(std::string(back.begin(), back.end()), bytes);
  std::remove(path.c_str());
  EXPECT_FALSE(EncodeMusicFileBase64(path, text));
}
