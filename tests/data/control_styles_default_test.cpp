// The default style's element: written line by line, read back forgivingly,
// and clamped so that a stranger's file always leaves a usable style.

#include "data/control_styles_default.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "canvas/controls.h"
#include "data/xml_writer.h"

namespace {

std::string Written(CRSControlStylesDefault& style) {
  CRSXMLWriter out;
  style.Write(out);
  return out.GetBytes();
}

int Read(CRSControlStylesDefault& style, const std::string& text) {
  CRSXMLParser parser;
  return parser.ParseText(text, &style);
}

TEST(ControlStyleDefault, WritesEveryLineInOrderAndReadsItBackUnchanged) {
  CRSControlStylesDefault style;
  const std::string expected =
      "<control-style-default>\r\n"
      "<rounded_corners_radius>15.00</rounded_corners_radius>\r\n"
      "<static-text>\r\n"
      "<styleData color-text=\"0xffffffff\" />\r\n"
      "<font>\r\n<name>Times New Roman</name>\r\n<size>15.00</size>\r\n<style>bold </style>\r\n</font>\r\n"
      "</static-text>\r\n"
      "<button>\r\n"
      "<styleData color-background=\"0x880000ff\" />\r\n"
      "<styleData color-background-up=\"0xaaffffff\" />\r\n"
      "<styleData color-background-down=\"0xdd0000ff\" />\r\n"
      "<styleData color-background-disabled=\"0x550000ff\" />\r\n"
      "<styleData color-text=\"0xffffffff\" />\r\n"
      "<styleData color-text-disabled=\"0x66cccccc\" />\r\n"
      "<styleData height=\"22.000000\" />\r\n"
      "<font>\r\n<name>Times New Roman</name>\r\n<size>15.00</size>\r\n<style>bold </style>\r\n</font>\r\n"
      "</button>\r\n"
      "<window>\r\n"
      "<styleData color-background=\"0x9900008f\" />\r\n"
      "<styleData color-background-title=\"0x993366cc\" />\r\n"
      "<styleData color-border=\"0x99ffffff\" />\r\n"
      "<styleData color-text=\"0xffffff00\" />\r\n"
      "<styleData height-title=\"26.00\" />\r\n"
      "<styleData height-tool-title=\"19.00\" />\r\n"
      "<styleData width-button=\"26.00\" />\r\n"
      "<styleData margin=\"3.00\" />\r\n"
      "<font>\r\n<name>Times New Roman</name>\r\n<size>15.00</size>\r\n<style>bold </style>\r\n</font>\r\n"
      "</window>\r\n"
      "</control-style-default>\r\n";
  EXPECT_EQ(Written(style), expected);

  // Read into a style whose every value differs from the defaults.
  CRSControlStyleValues other;
  other.roundedCornersRadius = 4;
  other.staticTextColor = 1;
  other.staticTextFont = {"Arial", 9, 2};
  other.buttonBackground = other.buttonBackgroundUp = other.buttonBackgroundDown = 2;
  other.buttonBackgroundDisabled = other.buttonText = other.buttonTextDisabled = 3;
  other.buttonHeight = 40;
  other.buttonFont = {"Arial", 10, 0};
  other.windowBackground = other.windowBackgroundTitle = other.windowBorder = other.windowText = 4;
  other.windowHeightTitle = other.windowHeightToolTitle = other.windowWidthButton = 30;
  other.windowMargin = 9;
  other.windowFont = {"Arial", 11, 4};
  CRSControlStylesDefault reader(other);
  ASSERT_EQ(reader.GetValues(), other);
  EXPECT_EQ(Read(reader, expected), CRSXMLParser::kSuccess);
  EXPECT_EQ(reader.GetValues(), CRSControlStyleValues());
  // And a changed style survives the round trip too.
  CRSControlStylesDefault changed(other);
  CRSControlStylesDefault back;
  Read(back, Written(changed));
  EXPECT_EQ(back.GetValues(), other);
}

TEST(ControlStyleDefault, ReadsOnlyWhatTheElementHoldsWithoutCaseAndIgnoresStrangers) {
  CRSControlStylesDefault style;
  EXPECT_EQ(Read(style, "<control-style-default><button><styleData height=\"30\" /></button></control-style-default>"),
            CRSXMLParser::kSuccess);
  CRSControlStyleValues expected;
  expected.buttonHeight = 30;
  EXPECT_EQ(style.GetValues(), expected);

  // Names in any case, unknown elements and attributes skipped, colours
  // with junk after the number, a window font without a style line.
  Read(style,
       "<CONTROL-STYLE-DEFAULT><Mystery a=\"1\"><styledata height=\"99\" /></Mystery>"
       "<BUTTON><STYLEDATA Color-Background=\"0xff0000ffzz\" unknown=\"7\" /></BUTTON>"
       "<window><StyleData MARGIN=\"5.5px\" color-text=\"nonsense\" />"
       "<font><name>Liberation Sans</name><size>12</size></font></window>"
       "<static-text><font><style>ITALIC underline </style></font></static-text>"
       "</CONTROL-STYLE-DEFAULT>");
  const CRSControlStyleValues& v = style.GetValues();
  EXPECT_EQ(v.buttonBackground, 0xFF0000FFu) << "opaque blue";
  EXPECT_EQ(v.buttonHeight, 30.0f);
  EXPECT_EQ(v.windowMargin, 5.5f);
  EXPECT_EQ(v.windowText, expected.windowText);
  EXPECT_EQ(v.windowFont, (CRSStyleFont{"Liberation Sans", 12.0f, 0}));
  EXPECT_EQ(v.staticTextFont, (CRSStyleFont{"Times New Roman", 15.0f, 2 | 4}));
  EXPECT_EQ(v.buttonFont, CRSStyleFont());

  // Opaque blue is what a face then shows.
  std::shared_ptr<CRSControlStylesDefault> installed = CRSControlStylesDefault::Install();
  EXPECT_EQ(dynamic_cast<CRSXMLParser::XHandler*>(CRSControlStyles::GetCurrent().get()), installed.get());
  Read(*installed, "<control-style-default><button><styleData color-background=\"0xff0000ff\" /></button>"
                   "</control-style-default>");
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto* button = new CRSControlButton(PointF(), &root, "b", SizeF(60, 30));
  auto* face = dynamic_cast<CRSCanvasShape*>(button->GetFace(0));
  ASSERT_NE(face, nullptr);
  Gdiplus::Color colour;
  ASSERT_EQ(static_cast<Gdiplus::SolidBrush*>(face->GetBrush(0))->GetColor(&colour), Gdiplus::Ok);
  EXPECT_EQ(colour.GetValue(), 0xFF0000FFu);
  CRSControlStyles::SetCurrent(nullptr);
}

TEST(ControlStyleDefault, AbsurdValuesAreClampedAndLeaveAUsableStyle) {
  const std::string hugeName(100 * 1024, 'x');
  CRSControlStylesDefault style;
  Read(style,
       "<control-style-default><rounded_corners_radius>-5</rounded_corners_radius>"
       "<button><styleData height=\"nan\" /><font><name>" + hugeName + "</name><size>100000</size>"
       "<style>bold</style></font></button>"
       "<window><styleData height-title=\"1e30\" height-tool-title=\"0\" width-button=\"-inf\" margin=\"1e9\" />"
       "<font><name></name><size>0</size></font></window>"
       "<static-text><font><size>-3</size></font></static-text>"
       "</control-style-default>");
  const CRSControlStyleValues& v = style.GetValues();
  EXPECT_EQ(v.roundedCornersRadius, 0.0f);
  EXPECT_EQ(v.buttonHeight, 22.0f) << "not a number: the default";
  EXPECT_EQ(v.buttonFont.size, 72.0f);
  EXPECT_LE(v.buttonFont.family.size(), 128u);
  EXPECT_EQ(v.windowHeightTitle, 200.0f);
  EXPECT_EQ(v.windowHeightToolTitle, 8.0f);
  EXPECT_EQ(v.windowWidthButton, 8.0f);
  EXPECT_EQ(v.windowMargin, 50.0f);
  EXPECT_EQ(v.windowFont.family, "Times New Roman") << "an empty family takes the default";
  EXPECT_EQ(v.windowFont.size, 4.0f);
  EXPECT_EQ(v.staticTextFont.size, 4.0f);
  // A long name is cut between characters, never inside one.
  CRSControlStyleValues accented;
  accented.buttonFont.family.assign(127, 'a');
  accented.buttonFont.family += "\xC3\xA9\xC3\xA9";
  EXPECT_EQ(CRSControlStylesDrawn::ClampValues(accented).buttonFont.family.size(), 127u);
  CRSControlStyleValues nan;
  nan.roundedCornersRadius = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(CRSControlStylesDrawn::ClampValues(nan).roundedCornersRadius, 15.0f);

  // Everything can still be drawn with it.
  CRSControlStyles::SetCurrent(std::make_shared<CRSControlStylesDefault>(v));
  CRSCanvasItem root(PointF(), nullptr, "root");
  root.SetSize(SizeF(800, 600));
  auto* button = new CRSControlButton(PointF(), &root, "b", SizeF(60, 0), "&Go");
  EXPECT_EQ(button->GetFaceSize().Height, 22.0f);
  auto* window = new CRSControlWindow(PointF(10, 10), &root, "w", SizeF(300, 300));
  window->SetFrameMode(CRSFrameMode::kResizable);
  const RectF client = window->GetClientArea()->GetBoundsIn(window);
  EXPECT_TRUE(std::isfinite(client.Width) && client.Width >= 0.0f);
  EXPECT_GE(window->GetSize().Height, 200.0f);
  CRSControlStyles::SetCurrent(nullptr);
}

}  // namespace
