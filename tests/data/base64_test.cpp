#include "data/base64.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A plain reference decoder of strict, padded Base64.
std::string ReferenceEncode(const std::string& in) {
  static const char* a = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < in.size(); i += 3) {
    unsigned v = static_cast<unsigned char>(in[i]) << 16;
    if (i + 1 < in.size()) v |= static_cast<unsigned char>(in[i + 1]) << 8;
    if (i + 2 < in.size()) v |= static_cast<unsigned char>(in[i + 2]);
    out += a[(v >> 18) & 63];
    out += a[(v >> 12) & 63];
    out += i + 1 < in.size() ? a[(v >> 6) & 63] : '=';
    out += i + 2 < in.size() ? a[v & 63] : '=';
  }
  return out;
}

}  // namespace

TEST(Base64Test, EncodesWithPaddingAndNoLineBreaks) {
  EXPECT_EQ(Base64Encode(std::string_view("abc")), "YWJj");
  EXPECT_EQ(Base64Encode(std::string_view("a")), "YQ==");
  EXPECT_EQ(Base64Encode(std::string_view("ab")), "YWI=");
  EXPECT_EQ(Base64Encode(std::string_view("")), "");
  EXPECT_EQ(Base64Encode(std::string_view("\xFB\xFF\xBF")), "+/+/");
}

TEST(Base64Test, MatchesAReferenceForEveryLengthAndDecodesBack) {
  std::mt19937 rng(7);
  for (int length = 0; length < 200; ++length) {
    std::string bytes(length, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    const std::string encoded = Base64Encode(bytes);
    ASSERT_EQ(encoded, ReferenceEncode(bytes)) << length;
    ASSERT_EQ(Base64DecodeToString(encoded), bytes) << length;
  }
}

TEST(Base64Test, DecoderSkipsCharactersOutsideTheAlphabet) {
  EXPECT_EQ(Base64DecodeToString("YW\r\nJj"), "abc");
  EXPECT_EQ(Base64DecodeToString("  Y W J j  \n"), "abc");
  EXPECT_EQ(Base64DecodeToString("Y*W-J.j!YWJj"), "abcabc");
  EXPECT_EQ(Base64DecodeToString("YWJjYWJj\nYWJjYWJj\nYQ=="), "abcabcabcabca");
  EXPECT_EQ(Base64DecodeToString("\x80\xFF{}~"), "");
  // Every length of rubbish mixed into a long text.
  std::string clean = Base64Encode(std::string_view("The quick brown fox jumps over the lazy dog!"));
  for (std::size_t at = 0; at <= clean.size(); ++at) {
    std::string dirty = clean;
    dirty.insert(at, "\r\n\t #");
    ASSERT_EQ(Base64DecodeToString(dirty), "The quick brown fox jumps over the lazy dog!") << at;
  }
}

TEST(Base64Test, DecoderStopsAtPaddingInThirdOrFourthPlaceOnly) {
  EXPECT_EQ(Base64DecodeToString("YQ==YWJj"), "a");
  EXPECT_EQ(Base64DecodeToString("YWI=YWJj"), "ab");
  // An "=" in the first or second place is just a character to skip.
  EXPECT_EQ(Base64DecodeToString("=YWJj"), "abc");
  EXPECT_EQ(Base64DecodeToString("Y=WJj"), "abc");
  // Unpadded endings keep the bytes they hold.
  EXPECT_EQ(Base64DecodeToString("YQ"), "a");
  EXPECT_EQ(Base64DecodeToString("YWI"), "ab");
  EXPECT_EQ(Base64DecodeToString("Y"), "");
}
