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

class ColourChooserTest : public ::testing::Test {
 protected:
  platform::MessageLoop m_loop;
};

TEST_F(ColourChooserTest, TheFieldsStayInStepAndOkAnswersOnceWithFullAlpha) {
  CRSColourChooser chooser({"Color", 0x00FFFFFF});
  EXPECT_EQ(chooser.GetColour(), 0xFFFFFFFFu) << "preselected, opaque";
  EXPECT_EQ(chooser.GetHexText(), "#FFFFFF");
  EXPECT_EQ(chooser.GetPaletteIndex(), 47);
  int changes = 0;
  struct Counter : sigslot::has_slots {
    int* n;
    void On() { ++*n; }
  } counter;
  counter.n = &changes;
  chooser.sigChanged.connect(&counter, &Counter::On);

  chooser.PickPalette(9);  // orange
  EXPECT_EQ(chooser.GetColour(), 0xFFFF8000u);
  EXPECT_EQ(chooser.GetHexText(), "#FF8000");
  EXPECT_EQ(chooser.GetPaletteIndex(), 9);
  chooser.PickPalette(9);
  chooser.PickPalette(48);
  chooser.PickPalette(-1);
  EXPECT_EQ(changes, 1) << "no change, no signal; out of range ignored";

  // Brightness to zero and back keeps the hue and saturation.
  chooser.SetBrightness(0);
  EXPECT_EQ(chooser.GetColour(), 0xFF000000u);
  chooser.SetBrightness(1);
  EXPECT_EQ(chooser.GetColour(), 0xFFFF8000u);

  // The field: left edge red, right edge red again, bottom grey.
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
  EXPECT_EQ(chooser.GetHexText(), "#12");
  EXPECT_EQ(chooser.GetColour(), 0xFFFFFFFFu);
  chooser.SetHexText("#123456");
  EXPECT_EQ(chooser.GetColour(), 0xFF123456u);
  EXPECT_DOUBLE_EQ(chooser.GetHsv().hue, RgbToHsv(0xFF123456).hue);
  chooser.SetHexText("#1234");
  chooser.RestoreHexText();
  EXPECT_EQ(chooser.GetHexText(), "#123456");

  ARGB answer = 0;
  int answers = 0;
  struct Receiver : sigslot::has_slots {
    ARGB* a;
    int* n;
    void On(ARGB c) { *a = c, ++*n; }
    void OnCancel() { ++*n; }
  } receiver;
  receiver.a = &answer;
  receiver.n = &answers;
  chooser.sigColourChosen.connect(&receiver, &Receiver::On);
  chooser.sigCancelled.connect(&receiver, &Receiver::OnCancel);
  EXPECT_TRUE(chooser.OnKey(platform::kVkReturn));
  chooser.Cancel();
  chooser.PickPalette(0);
  EXPECT_EQ(answers, 0) << "answers come later, through the queue";
  m_loop.PumpMessages(0);
  EXPECT_EQ(answers, 1);
  EXPECT_EQ(answer, 0xFF123456u);
  EXPECT_EQ(chooser.GetColour(), 0xFF123456u) << "finished: nothing changes";
}

TEST_F(ColourChooserTest, EscapeCancelsWithoutAColour) {
  CRSColourChooser chooser({"Color", 0xFF00FF00});
  int cancelled = 0, chosen = 0;
  struct Receiver : sigslot::has_slots {
    int *c, *k;
    void OnChosen(ARGB) { ++*k; }
    void OnCancel() { ++*c; }
  } receiver;
  receiver.c = &cancelled;
  receiver.k = &chosen;
  chooser.sigColourChosen.connect(&receiver, &Receiver::OnChosen);
  chooser.sigCancelled.connect(&receiver, &Receiver::OnCancel);
  EXPECT_FALSE(chooser.OnKey(platform::kVkSpace));
  EXPECT_TRUE(chooser.OnKey(platform::kVkEscape));
  chooser.Accept();
  m_loop.PumpMessages(0);
  EXPECT_EQ(cancelled, 1);
  EXPECT_EQ(chosen, 0);
}

}  // namespace
