#include "data/embed.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "data/base64.h"

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
