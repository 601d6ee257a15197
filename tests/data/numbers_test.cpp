// Numbers in files under a locale whose decimal separator is a comma: what
// is written must still read "0.5", and what is read must still be 0.5.

#include "data/numbers.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <locale>
#include <string>

#include "canvas/event_dispatcher.h"
#include "data/font_helper.h"
#include "data/puzzle_data.h"
#include "data/xml.h"
#include "data/xml_writer.h"
#include "tests/data/puzzle_test_support.h"

namespace {

bool DecimalPointIsComma() {
  const lconv* conv = std::localeconv();
  return conv && conv->decimal_point && std::string(conv->decimal_point) == ",";
}

// Puts the whole process (C and C++ alike) into a comma locale: one that is
// installed, or else one compiled into a temporary folder from the locale
// sources. False when neither can be had.
bool UseCommaLocale() {
  static std::string found;
  static std::string locpath;
  if (found.empty()) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8", "es_ES.UTF-8", "ru_RU.UTF-8"}) {
      if (std::setlocale(LC_ALL, name) && DecimalPointIsComma()) {
        found = name;
        break;
      }
    }
  }
  if (found.empty() && std::filesystem::exists("/usr/share/i18n/locales/de_DE")) {
    locpath = puzzle_test::MakeTempFolder();
    const std::string command = "localedef -i de_DE -f UTF-8 " + locpath + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0) {
      setenv("LOCPATH", locpath.c_str(), 1);
      if (std::setlocale(LC_ALL, "de_DE.UTF-8") && DecimalPointIsComma()) found = "de_DE.UTF-8";
    }
  }
  if (found.empty() || !std::setlocale(LC_ALL, found.c_str())) return false;
  try {
    std::locale::global(std::locale(found.c_str()));
  } catch (const std::exception&) {
    // The C locale alone is what printf and strtod follow.
  }
  return DecimalPointIsComma();
}

// printf in the C locale, whatever the process runs under: the reference
// the helpers must match.
template <typename... Args>
std::string CPrintf(const char* format, Args... args) {
  const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  const locale_t old = uselocale(c);
  char buf[128];
  std::snprintf(buf, sizeof buf, format, args...);
  uselocale(old);
  freelocale(c);
  return buf;
}

class CommaLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!UseCommaLocale())
      GTEST_SKIP() << "no locale with a decimal comma is installed, and none could be built with localedef";
    CRSEventDispatcher::Create();
  }
  void TearDown() override {
    FlushEvents(nullptr);
    std::setlocale(LC_ALL, "C");
    std::locale::global(std::locale::classic());
  }
};

TEST_F(CommaLocaleTest, FormattersMatchCLocalePrintfAndParsersReadDots) {
  char local[32];
  std::snprintf(local, sizeof local, "%.2f", 0.5);
  ASSERT_EQ(std::string(local), "0,50") << "the locale does not really use a comma";

  for (double v : {0.5, -0.125, 1.0, 4.0, 0.05, 6.25, 12345.678, 1e-7, 3e12, 0.0001234567, 1234567.0, -0.0}) {
    SCOPED_TRACE(v);
    EXPECT_EQ(numtext::FormatFixed(v, 2), CPrintf("%.2f", v));
    EXPECT_EQ(numtext::FormatFixed(v, 5), CPrintf("%.5f", v));
    EXPECT_EQ(numtext::FormatGeneral(v), CPrintf("%g", v));
  }
  for (unsigned v : {0u, 0x666666u, 0xFFAA0000u, 0xFFFFFFFFu}) EXPECT_EQ(numtext::FormatHex(v), CPrintf("0x%x", v));
  for (long long v : {0LL, -17LL, 2147483647LL}) EXPECT_EQ(numtext::FormatInt(v), CPrintf("%lld", v));

  // The writer's printf-style calls are in the C locale too.
  CRSXMLWriter out;
  out.Printf("<a>%.1f</a>", 0.5);
  EXPECT_EQ(out.GetBytes(), "<a>0.5</a>");

  float f = 0;
  EXPECT_TRUE(numtext::ParseFloat("0.75", f));
  EXPECT_FLOAT_EQ(f, 0.75f);
  double d = 0;
  EXPECT_TRUE(numtext::ParseDouble(" 2.5e-3 ", d));
  EXPECT_DOUBLE_EQ(d, 0.0025);
  // A comma ends the number as any other rubbish does.
  EXPECT_TRUE(numtext::ParseDouble("1,5", d));
  EXPECT_DOUBLE_EQ(d, 1.0);
}

TEST_F(CommaLocaleTest, PuzzleFileAndFontKeepTheirRealsThroughAWriteAndARead) {
  CPuzzleData puzzle("comma");
  puzzle_test::MakePlayable(puzzle);
  puzzle.SetSizeScale(0.5f);
  puzzle.GetCutter().SetDeviation(0.12345f);
  CRSXMLWriter out;
  puzzle.Write(out);
  std::string text = out.GetBytes();
  EXPECT_NE(text.find("<size-scale val=\"0.5\" />"), std::string::npos);
  EXPECT_NE(text.find("<deviation>0.12345</deviation>"), std::string::npos);
  // A piece record as a saved game holds it.
  const std::string record =
      "<puzzle-piece x=\"1\" y=\"2\">\r\n<pointf x=\"12.25\" y=\"-7.50\" />\r\n<rotation>90.50</rotation>\r\n"
      "</puzzle-piece>\r\n";
  text.replace(text.find("<pieces>\r\n") + 10, 0, record);

  CPuzzleData back("comma");
  ASSERT_TRUE(back.LoadFromText(text));
  EXPECT_FLOAT_EQ(back.GetSizeScale(), 0.5f);
  EXPECT_FLOAT_EQ(back.GetCutter().GetDeviation(), 0.12345f);
  ASSERT_NE(back.GetPieceData(1, 2), nullptr);
  EXPECT_FLOAT_EQ(back.GetPieceData(1, 2)->GetPosition().X, 12.25f);
  EXPECT_FLOAT_EQ(back.GetPieceData(1, 2)->GetPosition().Y, -7.5f);
  EXPECT_FLOAT_EQ(back.GetPieceData(1, 2)->GetRotation(), 90.5f);
  CRSXMLWriter again;
  back.Write(again);
  EXPECT_EQ(again.GetBytes(), text) << "a second write differs from what was read";

  CRSFontHelper font("Arial", 10.5f, CRSFontHelper::kStyleBold);
  CRSXMLWriter fontOut;
  font.Write(fontOut);
  EXPECT_NE(fontOut.GetBytes().find("<size>10.50</size>"), std::string::npos) << fontOut.GetBytes();
  CRSFontHelper read;
  CRSXMLParser parser;
  ASSERT_EQ(parser.ParseText(fontOut.GetBytes(), &read), CRSXMLParser::kSuccess);
  EXPECT_EQ(read, font);
}

}  // namespace
