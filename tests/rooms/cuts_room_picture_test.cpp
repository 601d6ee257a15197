// The cuts room's pictures and the settings dialog's mappings, without a
// window: which files become a puzzle's picture, in what form, and how the
// sliders stand for the values.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <vector>

#include "platform/image_codec.h"
#include "rooms/cut_settings_dialog.h"
#include "rooms/cuts_room.h"

namespace {

using cuts_picture::Result;

const Size kScreen(1916, 1076);

std::string Folder() {
  static const std::string folder = [] {
    char name[] = "/tmp/tandrill_cuts_XXXXXX";
    return std::string(mkdtemp(name) ? name : "/tmp");
  }();
  return folder;
}

std::string DataFile(const std::string& name) {
  return std::string(TANDRILL_SOURCE_DIR) + "/tests/data_files/images/" + name;
}

std::unique_ptr<Gdiplus::Bitmap> Solid(int w, int h, ARGB colour, PixelFormat format = PixelFormat::Format32bppARGB) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(w, h, format);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bitmap->SetPixel(x, y, colour);
  return bitmap;
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
  const std::string path = Folder() + "/" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

TEST(CutsPicture, RefusesTooSmallAndUndecodableAndAcceptsTheSmallestSide) {
  EXPECT_EQ(cuts_picture::Prepare(nullptr, kScreen).result, Result::kUnrecognised);
  EXPECT_EQ(cuts_picture::Prepare(Solid(79, 500, 0xFF102030).get(), kScreen).result, Result::kTooSmall);
  EXPECT_EQ(cuts_picture::Prepare(Solid(500, 79, 0xFF102030).get(), kScreen).result, Result::kTooSmall);

  const cuts_picture::Loaded smallest = cuts_picture::Prepare(Solid(80, 80, 0xFF102030).get(), kScreen);
  ASSERT_EQ(smallest.result, Result::kOk);
  EXPECT_EQ(smallest.picture->GetWidth(), 80);
  EXPECT_EQ(smallest.picture->GetPixelFormat(), PixelFormat::Format24bppRGB);
  EXPECT_EQ(smallest.picture->GetPixel(40, 40) & 0xFFFFFF, 0x102030u) << "an unscaled copy keeps its pixels";

  // A text file is not a picture: the "unrecognized format" box, not the
  // "too small" one.
  const std::string text = WriteFile("notes.jpg", "this is not a picture at all\n");
  const cuts_picture::Loaded loaded = cuts_picture::LoadFile(text, kScreen);
  EXPECT_EQ(loaded.result, Result::kUnrecognised);
  EXPECT_EQ(cuts_picture::RefusalText(loaded.result), "Image file could not be loaded: unrecognized format!!!");
  EXPECT_EQ(cuts_picture::RefusalText(Result::kTooSmall), "Image file could not be loaded: size too small!!!");
  EXPECT_EQ(cuts_picture::LoadFile(Folder() + "/missing.png", kScreen).result, Result::kUnrecognised);
}

TEST(CutsPicture, LargePicturesAreReducedToTheScreenKeepingTheirAspect) {
  // Wider than the screen: limited by the width.
  auto wide = cuts_picture::Prepare(Solid(3832, 1000, 0xFF00FF00).get(), kScreen);
  ASSERT_EQ(wide.result, Result::kOk);
  EXPECT_EQ(wide.picture->GetWidth(), 1916);
  EXPECT_EQ(wide.picture->GetHeight(), 500);
  EXPECT_EQ(wide.picture->GetPixelFormat(), PixelFormat::Format24bppRGB);
  // Exactly as tall as the largest size counts as too large, and the
  // height then limits the reduction.
  auto tall = cuts_picture::Prepare(Solid(538, 1076, 0xFF00FF00).get(), kScreen);
  ASSERT_EQ(tall.result, Result::kOk);
  EXPECT_LE(tall.picture->GetHeight(), 1076);
  EXPECT_EQ(tall.picture->GetWidth() * 2, tall.picture->GetHeight());
  // One pixel smaller on both sides is kept as it is.
  auto fits = cuts_picture::Prepare(Solid(1915, 1075, 0xFF00FF00).get(), kScreen);
  EXPECT_EQ(fits.picture->GetWidth(), 1915);
  // A thin strip that fits the screen only below the smallest side cannot
  // give a piece: refused rather than made into a puzzle without pieces.
  EXPECT_EQ(cuts_picture::Prepare(Solid(81, 4000, 0xFF00FF00).get(), kScreen).result, Result::kTooSmall);
}

TEST(CutsPicture, OddFilesAreUsedFlattenedOrRefusedNeverCrash) {
  struct Case {
    const char* file;
    int width, height;
    ARGB probe;  // expected colour at (5, 5), 0 for "any"
  };
  const Case usable[] = {
      {"cuts_grey.png", 100, 100, 0},    {"cuts_palette.png", 100, 100, 0}, {"cuts_rgb16.png", 100, 100, 0},
      {"cuts_alpha.png", 120, 90, 0x000000}, {"cuts_anim.gif", 100, 100, 0xFF0000}, {"cuts_pages.tif", 100, 100, 0x008000},
  };
  for (const Case& c : usable) {
    SCOPED_TRACE(c.file);
    const cuts_picture::Loaded loaded = cuts_picture::LoadFile(DataFile(c.file), kScreen);
    ASSERT_EQ(loaded.result, Result::kOk);
    EXPECT_EQ(loaded.picture->GetWidth(), c.width);
    EXPECT_EQ(loaded.picture->GetHeight(), c.height);
    EXPECT_EQ(loaded.picture->GetPixelFormat(), PixelFormat::Format24bppRGB);
    if (c.probe || std::string(c.file) == "cuts_alpha.png") {
      EXPECT_EQ(loaded.picture->GetPixel(5, 5) & 0xFFFFFF, c.probe) << "first frame or page, alpha flattened";
    }
  }

  // A truncated picture is either decoded as far as it goes or refused.
  std::vector<std::uint8_t> png;
  ASSERT_TRUE(platform::EncodeImage(*Solid(300, 200, 0xFF336699), "image/png", png));
  std::vector<std::uint8_t> jpeg;
  ASSERT_TRUE(platform::EncodeImage(*Solid(300, 200, 0xFF336699), "image/jpeg", jpeg));
  for (auto* bytes : {&png, &jpeg}) {
    const std::string path = WriteFile("cut short.img", std::string(bytes->begin(), bytes->begin() + bytes->size() / 2));
    const cuts_picture::Loaded loaded = cuts_picture::LoadFile(path, kScreen);
    if (loaded.result == Result::kOk) {
      EXPECT_EQ(loaded.picture->GetWidth(), 300);
    } else {
      EXPECT_EQ(loaded.result, Result::kUnrecognised);
    }
  }

  // A BMP header declaring 30,000 x 30,000 pixels with nothing behind it
  // is refused before any pixel memory is taken.
  std::string bmp(54, '\0');
  auto put32 = [&](size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
  };
  bmp[0] = 'B', bmp[1] = 'M';
  put32(2, 54 + 30000u * 30000u * 3u);
  put32(10, 54);
  put32(14, 40);
  put32(18, 30000);
  put32(22, 30000);
  bmp[26] = 1, bmp[28] = 24;
  for (const Result result : {cuts_picture::LoadFile(WriteFile("huge.bmp", bmp), kScreen).result,
                              cuts_picture::LoadFullPicture(WriteFile("huge.bmp", bmp)).result}) {
    EXPECT_EQ(result, Result::kTooLarge);
    EXPECT_EQ(cuts_picture::RefusalText(result), "Image file could not be loaded: size too large!!!");
  }
}

// A full picture keeps its own size up to 8192 pixels on its longer side
// and is taken over, not copied; its fitted picture is made from it, or is
// the same picture when it already fits the screen.
TEST(CutsPicture, FullPicturesKeepTheirSizeUpToTheLimitAndFitFromThemselves) {
  struct Case {
    Size decoded, full, fit;
  };
  for (const Case& c : {Case{{3000, 2000}, {3000, 2000}, {1614, 1076}}, Case{{8192, 1000}, {8192, 1000}, {1916, 234}},
                        Case{{8193, 2000}, {8192, 2000}, {1916, 468}}, Case{{100, 9000}, {91, 8192}, {0, 0}},
                        Case{{1000, 700}, {1000, 700}, {1000, 700}}}) {
    SCOPED_TRACE(std::to_string(c.decoded.Width) + "x" + std::to_string(c.decoded.Height));
    auto decoded = Solid(c.decoded.Width, c.decoded.Height, 0xFF204060, PixelFormat::Format24bppRGB);
    const Gdiplus::Bitmap* raw = decoded.get();
    const cuts_picture::Loaded full = cuts_picture::PrepareFull(std::move(decoded));
    ASSERT_EQ(full.result, Result::kOk);
    EXPECT_EQ(full.picture->GetWidth(), c.full.Width);
    EXPECT_EQ(full.picture->GetHeight(), c.full.Height);
    if (c.full == c.decoded) {
      EXPECT_EQ(full.picture.get(), raw) << "copied instead of taken over";
    }
    const cuts_picture::Loaded fit = cuts_picture::FitTheScreen(full.picture, kScreen);
    if (c.fit.Height == 0) {
      EXPECT_EQ(fit.result, Result::kTooSmall);
      continue;
    }
    ASSERT_EQ(fit.result, Result::kOk);
    EXPECT_NEAR(fit.picture->GetWidth(), c.fit.Width, 1);
    EXPECT_NEAR(fit.picture->GetHeight(), c.fit.Height, 1);
    EXPECT_EQ(fit.picture == full.picture, c.fit == c.full);
    EXPECT_EQ(fit.picture->GetPixel(40, 40) & 0xFFFFFF, 0x204060u);
  }
}

// A photo larger than a full picture may be is reduced while it is decoded,
// never held at its own size: a JPEG whose header claims 30,000 x 30,000
// pixels (its data ends long before) is decoded at a quarter, within the
// limit, and a real one just beyond the limit is reduced to it exactly.
TEST(CutsPicture, HugeJpegsAreReducedWhileTheyAreDecoded) {
  auto jpegOf = [](int w, int h) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(platform::EncodeImage(*Solid(w, h, 0xFF808040, PixelFormat::Format24bppRGB), "image/jpeg", bytes));
    return std::string(bytes.begin(), bytes.end());
  };
  std::string claimed = jpegOf(96, 96);
  const std::size_t sof = claimed.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  for (std::size_t at : {sof + 5, sof + 7}) claimed[at] = static_cast<char>(30000 >> 8), claimed[at + 1] = 30000 & 0xFF;
  for (const auto& [bytes, width, height] : {std::tuple(claimed, 7500, 7500), std::tuple(jpegOf(8200, 820), 8192, 819)}) {
    const cuts_picture::Loaded full = cuts_picture::LoadFullPicture(WriteFile("huge.jpg", bytes));
    ASSERT_EQ(full.result, Result::kOk) << width;
    EXPECT_EQ(full.picture->GetWidth(), width);
    EXPECT_NEAR(full.picture->GetHeight(), height, 1);
  }
}

TEST(CutsPicture, PuzzleNameIsTheFileNameOfTheNormalisedPath) {
  EXPECT_EQ(cuts_picture::FileNameOf("/home/me/Pictures/sea.jpg"), "sea.jpg");
  EXPECT_EQ(cuts_picture::FileNameOf("C:\\photos\\\\holiday\\sea.jpg"), "sea.jpg");
  EXPECT_EQ(cuts_picture::FileNameOf("/a//b///Mer d'été - 2.JPG"), "Mer d'été - 2.JPG");
  EXPECT_EQ(cuts_picture::FileNameOf("plain.png"), "plain.png");
}

TEST(CutSettingsMappings, DifficultyRunsAgainstThePieceSize) {
  // A 1000 x 700 picture: pieces from 40 to 350.
  EXPECT_FLOAT_EQ(cut_settings::DifficultyPosition(40, 350), 350.0f);
  EXPECT_FLOAT_EQ(cut_settings::DifficultyPosition(350, 350), 40.0f);
  EXPECT_FLOAT_EQ(cut_settings::DifficultyPosition(100, 350), 290.0f);
  EXPECT_EQ(cut_settings::PieceSizeAt(350.0f, 350), 40) << "the maximum end asks for the most pieces";
  EXPECT_EQ(cut_settings::PieceSizeAt(40.0f, 350), 350);
  for (int size = 40; size <= 350; size += 31) EXPECT_EQ(cut_settings::PieceSizeAt(cut_settings::DifficultyPosition(size, 350), 350), size);
  EXPECT_EQ(cut_settings::PieceSizeAt(289.5f, 350), 101) << "halves round away from zero";
  EXPECT_EQ(cut_settings::PieceSizeAt(289.4f, 350), 101);
  EXPECT_EQ(cut_settings::PieceSizeAt(289.6f, 350), 100);
  // An 80 x 80 picture has the single value 40.
  EXPECT_FLOAT_EQ(cut_settings::DifficultyPosition(40, 40), 40.0f);

  EXPECT_NEAR(cut_settings::ChaosPosition(0.37f), 37.0f, 1e-4);
  EXPECT_NEAR(cut_settings::ChaosAt(37.0f), 0.37f, 1e-6);
}

TEST(CutSettingsMappings, ZoomRangeFromThreeHundredPixelsToFittingTheCanvas) {
  const SizeF canvas(1920, 1080);
  cut_settings::ZoomRange small = cut_settings::GetZoomRange(canvas, 300, 200);
  EXPECT_FLOAT_EQ(small.high, 5.4f);
  EXPECT_FLOAT_EQ(small.low, 1.5f);
  cut_settings::ZoomRange large = cut_settings::GetZoomRange(canvas, 3000, 3000);
  EXPECT_FLOAT_EQ(large.high, 0.36f);
  EXPECT_FLOAT_EQ(large.low, 0.1f);
  // The low end never passes the high end.
  cut_settings::ZoomRange clamped = cut_settings::GetZoomRange(SizeF(200, 200), 100, 100);
  EXPECT_FLOAT_EQ(clamped.low, 2.0f);
  EXPECT_FLOAT_EQ(clamped.high, 2.0f);
  // A full picture larger than the canvas reaches its own size as well.
  cut_settings::ZoomRange full = cut_settings::GetZoomRange(canvas, 6000, 4000, true);
  EXPECT_FLOAT_EQ(full.high, 1.0f);
  EXPECT_FLOAT_EQ(full.low, 0.075f);
  EXPECT_FLOAT_EQ(cut_settings::GetZoomRange(canvas, 300, 200, true).high, 5.4f);
  cut_settings::ZoomRange none = cut_settings::GetZoomRange(canvas, 0, 0);
  EXPECT_FLOAT_EQ(none.low, 0.5f);
  EXPECT_FLOAT_EQ(none.high, 2.0f);
}

TEST(CutSettingsMappings, CaptionsFiltersAndTrimmedPaths) {
  EXPECT_EQ(cut_settings::PiecesCaption(5, 3), "Number of puzzle pieces: 15");
  EXPECT_EQ(cut_settings::PiecesCaption(0, 0), "Number of puzzle pieces: 0");
  const auto& filters = cut_settings::MusicFilters();
  ASSERT_EQ(filters.size(), 1u);
  EXPECT_EQ(filters[0].label.rfind("Audio Files (*.WAV;*.MID;*.RMI", 0), 0u);
  for (const char* name : {"a.wav", "b.MID", "c.rmi", "d.ogg", "e.mp3", "f.flac"})
    EXPECT_TRUE(MatchesFilter(name, SplitFilterPattern(filters[0].pattern))) << name;
  EXPECT_FALSE(MatchesFilter("g.txt", SplitFilterPattern(filters[0].pattern)));

  EXPECT_EQ(cut_settings::TrimPathMiddle("/short.ogg", 38), "/short.ogg");
  const std::string accented = "/home/été/Musique/éééééééééééééééééééééé/chanson-d'été.ogg";
  const std::string trimmed = cut_settings::TrimPathMiddle(accented, 20);
  EXPECT_NE(trimmed.find("..."), std::string::npos);
  EXPECT_EQ(trimmed.substr(0, 5), "/home");
  EXPECT_EQ(trimmed.substr(trimmed.size() - 4), ".ogg");
  size_t characters = 0;
  for (unsigned char c : trimmed) characters += (c & 0xC0) != 0x80;
  EXPECT_EQ(characters, 20u);
  // Every multi-byte character is whole: no continuation byte follows an
  // ASCII byte.
  for (size_t i = 1; i < trimmed.size(); ++i) {
    if ((static_cast<unsigned char>(trimmed[i]) & 0xC0) == 0x80) {
      EXPECT_GE(static_cast<unsigned char>(trimmed[i - 1]), 0x80) << i;
    }
  }
}

}  // namespace
