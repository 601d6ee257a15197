#include "platform/display_scale.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayScale, TheFirstUsableSourceWinsInSteps) {
  struct Case {
    platform::DisplayScaleSources sources;
    float scale;
  };
  const Case cases[] = {
      {{}, 1.0f},
      {{"2", "Xft.dpi:\t96\n", "3", 96.0f}, 2.0f},                      // the player's word first
      {{"1.5", "", "", 0.0f}, 1.5f},                                    // any quarter step
      {{"", "Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n", "1", 0.0f}, 2.0f},
      {{"", "Xft.dpi: 144", "", 0.0f}, 1.5f},
      {{"", "Xft.dpi:\t120\n", "", 0.0f}, 1.25f},
      {{"", "Xft.dpi:\t100\n", "", 300.0f}, 1.0f},                      // a loose 100 is 1
      {{"", "Xft.dpix:\t192\n", "2", 0.0f}, 2.0f},                      // not Xft.dpi: GDK_SCALE
      {{"", "", "2.7", 0.0f}, 2.0f},                                    // GDK_SCALE is whole
      {{"", "", "", 110.0f}, 1.0f},                                     // a measured 110 dpi is 1
      {{"", "", "", 200.0f}, 2.0f},
      {{"abc", "Xft.dpi:\tlots\n", "-2", 0.0f}, 1.0f},                  // nonsense everywhere
      {{"50", "", "", 0.0f}, 4.0f},                                     // kept within 1 to 4
      {{"0.5", "", "", 0.0f}, 1.0f},
      {{"nan", "", "", 1e30f}, 4.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sources.override + "|" + c.sources.xResources + "|" + c.sources.gdkScale);
    EXPECT_EQ(platform::ChooseDisplayScale(c.sources), c.scale);
  }
}

}  // namespace
