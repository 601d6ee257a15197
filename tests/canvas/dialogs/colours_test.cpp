#include "canvas/dialogs/colours.h"

#include <gtest/gtest.h>

#include <set>

#include "canvas/dialogs/colour_chooser.h"
#include "canvas/event_dispatcher.h"
#include "platform/message_loop.h"
#include "platform/messages.h"

namespace {

TEST(ColoursTest, EveryPaletteColourRoundTripsThroughHexAndHsv) {
  const auto& palette = BasicPalette();
  std::set<ARGB> distinct(palette.begin(), palette.end());
  EXPECT_EQ(distinct.size(), 48u) << "no colour twice";
  EXPECT_EQ(palette.front(), 0xFFFF8080u);
  EXPECT_EQ(palette[40], 0xFF000000u);
  EXPECT_EQ(palette.back(), 0xFFFFFFFFu);
  for (int i = 0; i < kPaletteSize; ++i) {
    const ARGB c = palette[i];
    EXPECT_EQ(c >> 24, 0xFFu);
    ARGB parsed = 0;
    const std::string hex = FormatHexColour(c);
    ASSERT_TRUE(ParseHexColour(hex, parsed)) << hex;
    EXPECT_EQ(parsed, c) << hex;
    const CRSHsv hsv = RgbToHsv(c);
    EXPECT_GE(hsv.hue, 0);
    EXPECT_LT(hsv.hue, 360);
    EXPECT_EQ(HsvToRgb(hsv), c) << hex;
    EXPECT_EQ(PaletteIndexOf(c & 0xFFFFFF), i);
  }
}

TEST(ColoursTest, HsvKnownValuesAndEveryColourRoundTrips) {
  const CRSHsv red = RgbToHsv(0xFFFF0000);
  EXPECT_DOUBLE_EQ(red.hue, 0);
  EXPECT_DOUBLE_EQ(red.saturation, 1);
  EXPECT_DOUBLE_EQ(red.value, 1);
  EXPECT_DOUBLE_EQ(RgbToHsv(0xFF00FF00).hue, 120);
  EXPECT_DOUBLE_EQ(RgbToHsv(0xFF0000FF).hue, 240);
  EXPECT_DOUBLE_EQ(RgbToHsv(0xFFFF00FF).hue, 300);
  EXPECT_NEAR(RgbToHsv(0xFFFF0080).hue, 360 - 60.0 * 128 / 255, 1e-9);  // wraps below 360
  const CRSHsv grey = RgbToHsv(0xFF808080);
  EXPECT_DOUBLE_EQ(grey.saturation, 0);
  EXPECT_DOUBLE_EQ(grey.hue, 0);
  EXPECT_EQ(HsvToRgb({60, 1, 1}), 0xFFFFFF00u);
  EXPECT_EQ(HsvToRgb({420, 1, 1}), 0xFFFFFF00u) << "hue wraps";
  EXPECT_EQ(HsvToRgb({-60, 1, 1}), 0xFFFF00FFu);
  EXPECT_EQ(HsvToRgb({0, 2, -1}), 0xFF000000u) << "clamped";
  EXPECT_EQ(HsvToRgb({std::nan(""), std::nan(""), 1}), 0xFFFFFFFFu);
  EXPECT_EQ(HsvToRgb(RgbToHsv(0x12345678)), 0xFF345678u) << "alpha is not a colour";
  // Exactness is not a palette accident: every 24-bit colour comes back.
  int wrong = 0;
  for (ARGB rgb = 0; rgb < 0x1000000u; rgb += 7) wrong += HsvToRgb(RgbToHsv(rgb)) != (0xFF000000u | rgb);
  EXPECT_EQ(wrong, 0);
}

TEST(ColoursTest, HexTextIsReadInEveryUsualFormAndOnlyThose) {
  ARGB c = 0x12345678;
  EXPECT_EQ(FormatHexColour(0x80abcdef), "#ABCDEF");
  EXPECT_TRUE(ParseHexColour("#abcdef", c));
  EXPECT_EQ(c, 0xFFABCDEFu);
  EXPECT_TRUE(ParseHexColour("  00ff7F ", c));
  EXPECT_EQ(c, 0xFF00FF7Fu);
  EXPECT_TRUE(ParseHexColour("#F80", c));
  EXPECT_EQ(c, 0xFFFF8800u);
  c = 0x1;
  for (const char* bad : {"", "#", "#12345", "#1234567", "12 456", "#GGGGGG", "0x123456", "#-12345"})
    EXPECT_FALSE(ParseHexColour(bad, c)) << bad;
  EXPECT_EQ(c, 0x1u) << "a failed parse leaves the colour alone";
}

// Records the chooser's answers and change notices.
struct ChooserWatch : sigslot::has_slots {
  std::vector<ARGB> chosen;
  int cancelled = 0, changes = 0;
  void OnChosen(ARGB c) { chosen.push_back(c); }
  void OnCancelled() { ++cancelled; }
  void OnChanged() { ++changes; }
  explicit ChooserWatch(CRSColourChooser& c) {
    c.sigColourChosen.connect(this, &ChooserWatch::OnChosen);
    c.sigCancelled.connect(this, &ChooserWatch::OnCancelled);
    c.sigChanged.connect(this, &ChooserWatch::OnChanged);
  }
};

TEST(ColourChooserTest, TheFieldsStayInStepAndOkAnswersOnceWithFullAlpha) {
  platform::MessageLoop loop;
  CRSColourChooser chooser({"Color", 0x00FFFFFF});
  ChooserWatch watch(chooser);
  EXPECT_EQ(chooser.GetColour(), 0xFFFFFFFFu) << "preselected, opaque";
  EXPECT_EQ(chooser.GetHexText(), "#FFFFFF");
  EXPECT_EQ(chooser.GetPaletteIndex(), 47);

  chooser.PickPalette(9);  // orange
  EXPECT_EQ(chooser.GetHexText(), "#FF8000");
  EXPECT_EQ(chooser.GetPaletteIndex(), 9);
  chooser.PickPalette(9);
  chooser.PickPalette(48);
  chooser.PickPalette(-1);
  EXPECT_EQ(watch.changes, 1) << "no change, no signal; out of range ignored";

  // Brightness to zero and back keeps the hue and saturation.
  chooser.SetBrightness(0);
  EXPECT_EQ(chooser.GetColour(), 0xFF000000u);
  chooser.SetBrightness(1);
  EXPECT_EQ(chooser.GetColour(), 0xFFFF8000u);

  // The field: both edges red, a third across green, the bottom white.
  chooser.PickField(0, 0);
  EXPECT_EQ(chooser.GetColour(), 0xFFFF0000u);
  chooser.PickField(1.5, -1);
  EXPECT_EQ(chooser.GetColour(), 0xFFFF0000u);
  chooser.PickField(1.0 / 3, 0);
  EXPECT_EQ(chooser.GetColour(), 0xFF00FF00u);
  chooser.PickField(0.5, 1);
  EXPECT_EQ(chooser.GetColour(), 0xFFFFFFFFu);

  // Hex typing: half-typed text stays, the colour follows only valid text.
  chooser.SetHexText("#12");
  EXPECT_EQ(chooser.GetColour(), 0xFFFFFFFFu);
  chooser.SetHexText("#123456");
  EXPECT_EQ(chooser.GetColour(), 0xFF123456u);
  EXPECT_DOUBLE_EQ(chooser.GetHsv().hue, RgbToHsv(0xFF123456).hue);
  chooser.SetHexText("#1234");
  chooser.RestoreHexText();
  EXPECT_EQ(chooser.GetHexText(), "#123456");

  EXPECT_FALSE(chooser.OnKey(platform::kVkSpace));
  EXPECT_TRUE(chooser.OnKey(platform::kVkReturn));
  chooser.Cancel();
  chooser.PickPalette(0);
  EXPECT_TRUE(watch.chosen.empty()) << "answers come later, through the queue";
  loop.PumpMessages(0);
  EXPECT_EQ(watch.chosen, (std::vector<ARGB>{0xFF123456u}));
  EXPECT_EQ(watch.cancelled, 0);
  EXPECT_EQ(chooser.GetColour(), 0xFF123456u) << "finished: nothing changes";

  CRSColourChooser second({"Color", 0xFF00FF00});
  ChooserWatch secondWatch(second);
  EXPECT_TRUE(second.OnKey(platform::kVkEscape));
  second.Accept();
  loop.PumpMessages(0);
  EXPECT_EQ(secondWatch.cancelled, 1);
  EXPECT_TRUE(secondWatch.chosen.empty());
}

}  // namespace
