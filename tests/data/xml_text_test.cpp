#include "data/xml_text.h"

#include <gtest/gtest.h>

#include <climits>

#include "data/base64.h"

TEST(XmlTextTest, FreeTextKeepsUtf8AndConvertsWindows1252) {
  EXPECT_EQ(xmltext::TextFromBytes("Caf\xC3\xA9"), "Caf\xC3\xA9");
  EXPECT_EQ(xmltext::TextFromBytes("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(xmltext::TextFromBytes("\x80 \x93q\x94 \x9F"), "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xC5\xB8");
  EXPECT_EQ(xmltext::TextFromBytes("\x81"), "\xEF\xBF\xBD");
  // Names written by older builds come Base64-encoded in the Windows code
  // page; names written now come as UTF-8.
  EXPECT_EQ(xmltext::TextFromBase64(Base64Encode(std::string_view("Z\xFCrich"))), "Z\xC3\xBCrich");
  EXPECT_EQ(xmltext::TextFromBase64(Base64Encode(std::string_view("Z\xC3\xBCrich"))), "Z\xC3\xBCrich");
}

TEST(XmlTextTest, Utf8ValidationRejectsMalformedSequences) {
  EXPECT_TRUE(xmltext::IsValidUtf8(""));
  EXPECT_TRUE(xmltext::IsValidUtf8("\xF0\x9F\x98\x80 \xE2\x82\xAC"));
  EXPECT_FALSE(xmltext::IsValidUtf8("\xC3"));              // cut short
  EXPECT_FALSE(xmltext::IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(xmltext::IsValidUtf8("\xE0\x80\xAF"));      // overlong
  EXPECT_FALSE(xmltext::IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(xmltext::IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(xmltext::IsValidUtf8("\xE2\x28\xA1"));      // bad continuation
}

TEST(XmlTextTest, NumbersReadLikeScanfAndLeaveTheFieldWithoutOne) {
  int i = 99;
  EXPECT_TRUE(xmltext::ParseInt("  -12abc", i));
  EXPECT_EQ(i, -12);
  EXPECT_TRUE(xmltext::ParseInt("+7", i));
  EXPECT_EQ(i, 7);
  EXPECT_FALSE(xmltext::ParseInt("abc", i));
  EXPECT_FALSE(xmltext::ParseInt("", i));
  EXPECT_FALSE(xmltext::ParseInt("-", i));
  EXPECT_EQ(i, 7);
  EXPECT_TRUE(xmltext::ParseInt("99999999999999999999", i));
  EXPECT_EQ(i, INT_MAX);
  EXPECT_TRUE(xmltext::ParseInt("-2147483648", i));
  EXPECT_EQ(i, INT_MIN);

  float f = 1;
  EXPECT_TRUE(xmltext::ParseFloat(" 0.75 ", f));
  EXPECT_FLOAT_EQ(f, 0.75f);
  EXPECT_TRUE(xmltext::ParseFloat("-.5x", f));
  EXPECT_FLOAT_EQ(f, -0.5f);
  EXPECT_FALSE(xmltext::ParseFloat(".", f));
  EXPECT_FLOAT_EQ(f, -0.5f);

  std::uint32_t c = 5;
  EXPECT_TRUE(xmltext::ParseHex("0x666666", c));
  EXPECT_EQ(c, 0x666666u);
  EXPECT_TRUE(xmltext::ParseHex("0XFFaa0000", c));
  EXPECT_EQ(c, 0xFFAA0000u);
  EXPECT_TRUE(xmltext::ParseHex("1f", c));
  EXPECT_EQ(c, 0x1Fu);
  EXPECT_FALSE(xmltext::ParseHex("zz", c));
  EXPECT_EQ(c, 0x1Fu);
}

TEST(XmlTextTest, NamesCompareWithoutAsciiCase) {
  EXPECT_TRUE(xmltext::EqualsNoCase("styleData", "STYLEDATA"));
  EXPECT_FALSE(xmltext::EqualsNoCase("style", "styles"));
  EXPECT_EQ(xmltext::ToLower("Puzzle-Data\xC3\x89"), "puzzle-data\xC3\x89");
  CRSXMLParser::Attributes attributes{{"X", "1"}, {"val", "2"}};
  ASSERT_NE(xmltext::FindAttribute(attributes, "x"), nullptr);
  EXPECT_EQ(*xmltext::FindAttribute(attributes, "VAL"), "2");
  EXPECT_EQ(xmltext::FindAttribute(attributes, "y"), nullptr);
}
