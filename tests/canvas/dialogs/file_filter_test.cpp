#include "canvas/dialogs/file_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "canvas/dialogs/natural_sort.h"

namespace {

TEST(FileFilterTest, PatternListsMatchWithoutRegardToCase) {
  const auto bmp = SplitFilterPattern("*.BMP;*.DIB");
  EXPECT_TRUE(MatchesFilter("a.bmp", bmp));
  EXPECT_TRUE(MatchesFilter("b.DiB", bmp));
  EXPECT_FALSE(MatchesFilter("c.bmpx", bmp));
  EXPECT_FALSE(MatchesFilter("bmp", bmp));
  EXPECT_FALSE(MatchesFilter("a.bm", bmp));
  EXPECT_TRUE(MatchesFilter(".bmp", bmp)) << "a star matches nothing too";
  EXPECT_TRUE(MatchesFilter("x.y.BMP", bmp));

  // Splitting: blanks around patterns and empty patterns go.
  EXPECT_EQ(SplitFilterPattern(" *.a ; ;*.b;"), (std::vector<std::string>{"*.a", "*.b"}));
  EXPECT_TRUE(SplitFilterPattern("").empty());
  EXPECT_TRUE(MatchesFilter("anything", {})) << "no patterns: every file";

  // "*.*" is every name, with or without a dot.
  EXPECT_TRUE(MatchesGlob("README", "*.*"));
  EXPECT_TRUE(MatchesGlob("a.b", "*.*"));
  // "?" is one character, stars backtrack.
  EXPECT_TRUE(MatchesGlob("img1.png", "img?.PNG"));
  EXPECT_FALSE(MatchesGlob("img10.png", "img?.png"));
  EXPECT_TRUE(MatchesGlob("aXbXc.tar.gz", "a*b*.TAR.gz"));
  EXPECT_FALSE(MatchesGlob("a.tar.gzx", "*.tar.gz"));
  EXPECT_TRUE(MatchesGlob("", "*"));
  EXPECT_FALSE(MatchesGlob("", "?"));
  // Bytes that are not ASCII letters compare exactly.
  EXPECT_TRUE(MatchesGlob("\xC3\x84.jpg", "\xC3\x84*"));
  EXPECT_FALSE(MatchesGlob("\xC3\xA4.jpg", "\xC3\x84*"));
  // A hostile pattern of many stars finishes quickly (no exponential search).
  EXPECT_FALSE(MatchesGlob(std::string(5000, 'a'), std::string(50, '*') + "b"));
}

TEST(FileFilterTest, TheGamesFilterListsCoverTheirFormats) {
  const auto& images = ImageFileFilters();
  ASSERT_EQ(images.size(), 8u);
  EXPECT_EQ(images.front().label, "All Image Files");
  EXPECT_EQ(images.back().pattern, "*.*");
  const auto all = SplitFilterPattern(images.front().pattern);
  for (const char* name : {"a.bmp", "a.DIB", "a.rle", "a.gif", "a.jpg", "a.JPEG", "a.png", "a.tif"})
    EXPECT_TRUE(MatchesFilter(name, all)) << name;
  EXPECT_FALSE(MatchesFilter("a.tiff", all));
  EXPECT_FALSE(MatchesFilter("a.txt", all));
  // Every single-format entry is a part of "All Image Files".
  for (std::size_t i = 1; i + 1 < images.size(); ++i)
    for (const std::string& p : SplitFilterPattern(images[i].pattern))
      EXPECT_NE(std::find(all.begin(), all.end(), p), all.end()) << p;
  EXPECT_TRUE(MatchesFilter("song.mid", SplitFilterPattern(MusicFileFilters().front().pattern)));
  EXPECT_TRUE(MatchesFilter("PUZZLE_GIFT.EXE", SplitFilterPattern(GiftFileFilters().front().pattern)));
}

TEST(NaturalSortTest, NumbersByValueLettersWithoutCase) {
  std::vector<std::string> names = {"img10.png", "IMG3.png", "img2.png", "Img1.png", "img02.png",
                                    "a",         "B",        "a1",       "a01",      "img",
                                    "x99999999999999999999999", "x100000000000000000000000", "x0", "A"};
  const std::vector<std::string> expected = {"A",   "a",         "a1",       "a01",       "B",
                                             "img", "Img1.png",  "img2.png", "img02.png", "IMG3.png",
                                             "img10.png", "x0", "x99999999999999999999999",
                                             "x100000000000000000000000"};
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    std::shuffle(names.begin(), names.end(), random);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
    ASSERT_EQ(names, expected);
  }
  EXPECT_EQ(NaturalCompare("same", "same"), 0);
  EXPECT_LT(NaturalCompare("img2", "img10"), 0);
  EXPECT_GT(NaturalCompare("img10", "img2"), 0);
  EXPECT_LT(NaturalCompare("file", "file1"), 0);
  EXPECT_LT(NaturalCompare("1", "a"), 0);
}

TEST(NaturalSortTest, TheOrderIsAStrictWeakOrderOverAwkwardNames) {
  // Antisymmetry and transitivity over every triple of a set of names built
  // to trip a comparer up: case, zeros, digits at the ends, empties.
  const std::vector<std::string> names = {"",   "0",  "00", "1",   "01", "a",  "A",  "a0", "a00", "A0",
                                          "a1", "a01", "b", "B1",  "1a", "01a", "10", "9",  "z9z", "Z09z"};
  for (const auto& a : names) {
    EXPECT_EQ(NaturalCompare(a, a), 0);
    for (const auto& b : names) {
      const int ab = NaturalCompare(a, b), ba = NaturalCompare(b, a);
      EXPECT_EQ(ab < 0, ba > 0) << a << " / " << b;
      if (a != b) {
        EXPECT_NE(ab, 0) << a << " / " << b;
      }
      for (const auto& c : names) {
        if (ab < 0 && NaturalCompare(b, c) < 0) {
          EXPECT_LT(NaturalCompare(a, c), 0) << a << " " << b << " " << c;
        }
      }
    }
  }
}

}  // namespace
