#include "data/xml_writer.h"

#include <gtest/gtest.h>

#include "data/font_helper.h"
#include "data/xml.h"
#include "data/xml_text.h"
#include "data/xml_values.h"

namespace {

// A record holding one of each value element, as the records use them.
class Holder : public CRSXMLParser::XHandler {
 public:
  void OnElement(const std::string& name, const CRSXMLParser::Attributes&, const std::string& text) override {
    const std::string key = xmltext::ToLower(name);
    if (key == "point") GetParser()->PushHandler(&point);
    else if (key == "pointf") GetParser()->PushHandler(&pointf);
    else if (key == "size") GetParser()->PushHandler(&size);
    else if (key == "sizef") GetParser()->PushHandler(&sizef);
    else if (key == "font") GetParser()->PushHandler(&font);
    else if (key == "title") title = xmltext::TextFromBase64(text);
    else if (key == "after") ++afters;
  }
  void Write(CRSXMLWriter& out) override {
    out.StartTag("holder");
    out.LeafText("title", title);
    point.Write(out);
    pointf.Write(out);
    size.Write(out);
    sizef.Write(out);
    font.Write(out);
    out.Flag("after", true);
    out.EndTag("holder");
  }

  CRSXMLPoint point;
  CRSXMLPointF pointf;
  CRSXMLSize size;
  CRSXMLSizeF sizef;
  CRSFontHelper font;
  std::string title;
  int afters = 0;
};

}  // namespace

TEST(XmlWriterTest, LinesEndInCrLfAndFollowTheTagForms) {
  CRSXMLWriter out;
  out.StartTag("puzzle-data");
  out.Flag("completed", true);
  out.Flag("surprise", false);
  out.LeafInt("piece-size", -42);
  out.LeafReal("rotation", 89.999);
  out.LeafColour("color", 0x666666);
  out.LeafColour("alpha", 0xFF00000A);
  out.LeafText("name", "abc");
  out.Printf("<size-scale val=\"%g\" />", 0.75);
  out.Stream() << "<two/>\n<li" << 'n' << "es/>" << '\n';
  out.EndTag("puzzle-data");
  EXPECT_EQ(out.GetBytes(),
            "<puzzle-data>\r\n<completed/>\r\n<piece-size>-42</piece-size>\r\n<rotation>90.00</rotation>\r\n"
            "<color>0x666666</color>\r\n<alpha>0xff00000a</alpha>\r\n<name>YWJj</name>\r\n"
            "<size-scale val=\"0.75\" /><two/>\r\n<lines/>\r\n</puzzle-data>\r\n");
}

TEST(XmlWriterTest, ValueElementsWriteTheirLines) {
  CRSXMLWriter out;
  CRSXMLPoint(3, -4).Write(out);
  CRSXMLPointF(1.005f, -2.5f).Write(out);
  CRSXMLSize(640, 480).Write(out);
  CRSXMLSizeF(0.125f, 7).Write(out);
  CRSXMLSize(1, 2).Write(out, "image-size");
  EXPECT_EQ(out.GetBytes(),
            "<point x=\"3\" y=\"-4\" />\r\n<pointf x=\"1.00\" y=\"-2.50\" />\r\n<size w=\"640\" h=\"480\" />\r\n"
            "<sizef w=\"0.12\" h=\"7.00\" />\r\n<image-size w=\"1\" h=\"2\" />\r\n");
}

TEST(XmlWriterTest, FontElementWritesStyleWordsOnlyWhenABitIsSet) {
  CRSXMLWriter plain;
  CRSFontHelper("Arial", 9, CRSFontHelper::kStyleRegular).Write(plain);
  EXPECT_EQ(plain.GetBytes(), "<font>\r\n<name>Arial</name>\r\n<size>9.00</size>\r\n</font>\r\n");
  CRSXMLWriter styled;
  CRSFontHelper("Times New Roman", 12.5f, CRSFontHelper::kStyleStrikeout | CRSFontHelper::kStyleBold).Write(styled);
  EXPECT_EQ(styled.GetBytes(),
            "<font>\r\n<name>Times New Roman</name>\r\n<size>12.50</size>\r\n<style>bold strikeout </style>\r\n"
            "</font>\r\n");
}

TEST(XmlWriterTest, EveryValueElementAndTheFontReadBackWhatWasWritten) {
  Holder written;
  written.title = "Café <&> \"crème\"";
  written.point = CRSXMLPoint(-7, 2147483647);
  written.pointf = CRSXMLPointF(12.25f, -0.5f);
  written.size = CRSXMLSize(1920, 1080);
  written.sizef = CRSXMLSizeF(0.75f, 100.0f);
  written.font = CRSFontHelper("A&B <Sans>", 10.5f, CRSFontHelper::kStyleItalic | CRSFontHelper::kStyleUnderline);
  CRSXMLWriter out;
  written.Write(out);

  Holder read;
  read.font = CRSFontHelper("Other", 20, CRSFontHelper::kStyleBold);
  CRSXMLParser parser;
  ASSERT_EQ(parser.ParseText(out.GetBytes(), &read), 0) << parser.GetErrorText() << "\n" << out.GetBytes();
  EXPECT_EQ(read.title, written.title);
  EXPECT_EQ(read.point, written.point);
  EXPECT_TRUE(read.pointf.Equals(written.pointf));
  EXPECT_EQ(read.size, written.size);
  EXPECT_TRUE(read.sizef.Equals(written.sizef));
  EXPECT_EQ(read.font, written.font);
  EXPECT_EQ(read.afters, 1) << "the holder gets its elements back after each value element";

  // A regular font read into a helper that held a bold one comes back
  // regular: the missing style line means no style.
  Holder regular;
  regular.font = CRSFontHelper("Arial", 9, CRSFontHelper::kStyleRegular);
  CRSXMLWriter out2;
  regular.Write(out2);
  Holder reread;
  reread.font.SetStyle(CRSFontHelper::kStyleBold);
  ASSERT_EQ(parser.ParseText(out2.GetBytes(), &reread), 0);
  EXPECT_EQ(reread.font.GetStyle(), CRSFontHelper::kStyleRegular);
}

TEST(XmlWriterTest, ValueElementsReadCapitalsAndKeepFieldsForMissingOrBadAttributes) {
  Holder read;
  read.pointf = CRSXMLPointF(5, 6);
  read.size = CRSXMLSize(7, 8);
  CRSXMLParser parser;
  ASSERT_EQ(parser.ParseText("<h><POINTF X=\" 1.5e1xyz\"/><Size w=\"junk\" H=\"-3\"/>"
                             "<FONT><NAME>Serif</NAME><SIZE>x</SIZE><STYLE>Italic, BOLD</STYLE></FONT></h>",
                             &read),
            0);
  EXPECT_FLOAT_EQ(read.pointf.X, 15.0f);
  EXPECT_FLOAT_EQ(read.pointf.Y, 6.0f);
  EXPECT_EQ(read.size, Size(7, -3));
  EXPECT_EQ(read.font.GetFamily(), "Serif");
  EXPECT_FLOAT_EQ(read.font.GetSize(), 9.0f);
  EXPECT_EQ(read.font.GetStyle(), CRSFontHelper::kStyleBold | CRSFontHelper::kStyleItalic);
}

TEST(XmlWriterTest, SaveToFileReplacesTheFileWhole) {
  const std::string path = ::testing::TempDir() + "tandrill_writer_save.pzl";
  CRSXMLWriter first;
  first.Write(std::string(5000, 'a'));
  ASSERT_TRUE(first.SaveToFile(path));
  CRSXMLWriter second;
  second.StartTag("x");
  ASSERT_TRUE(second.SaveToFile(path));
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char buf[64] = {};
  const std::size_t n = std::fread(buf, 1, sizeof buf, f);
  std::fclose(f);
  EXPECT_EQ(std::string(buf, n), "<x>\r\n");
  EXPECT_FALSE(second.SaveToFile(::testing::TempDir() + "no-such-folder/x.pzl"));
  std::remove(path.c_str());
}
