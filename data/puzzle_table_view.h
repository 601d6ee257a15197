#pragma once
// CPuzzleTableView: where the play room's table stood when a puzzle was last
// left, so that reopening it shows the same part of the table at the same
// zoom. The puzzle file keeps it only when it differs from the default, the
// view of a table that is the window.

#include <cmath>

#include "platform/types.h"

struct CPuzzleTableView {
  // The zooms a view may have; beyond them a file's view is not believed.
  static constexpr float kMinZoom = 1.0f / 64.0f;
  static constexpr float kMaxZoom = 4.0f;
  // No table coordinate or side is larger than this.
  static constexpr float kMaxExtent = 1.0e6f;

  // Window pixels per table unit.
  float zoom = 1.0f;
  // The table point, in units, that lies at the window's top-left corner.
  PointF viewOrigin{0.0f, 0.0f};
  // The whole table in units; 0 x 0 means the table is the window.
  SizeF tableSize{0.0f, 0.0f};

  bool IsDefault() const {
    return Gdiplus::NearlyEqual(zoom, 1.0f) && viewOrigin.Equals(PointF(0.0f, 0.0f)) && tableSize.Equals(SizeF(0.0f, 0.0f));
  }

  // True when every value is one a table can have and a table that is not
  // the window holds the whole picture (picture: the cut picture as the
  // pieces cover it, in units).
  bool IsSane(SizeF picture) const {
    const auto within = [](float v, float low, float high) { return std::isfinite(v) && v >= low && v <= high; };
    if (!within(zoom, kMinZoom, kMaxZoom)) return false;
    if (!within(viewOrigin.X, -kMaxExtent, kMaxExtent) || !within(viewOrigin.Y, -kMaxExtent, kMaxExtent)) return false;
    if (tableSize.Width == 0.0f && tableSize.Height == 0.0f) return true;
    // Half a unit of slack: sizes are written with two decimals.
    return within(tableSize.Width, picture.Width - 0.5f, kMaxExtent) &&
           within(tableSize.Height, picture.Height - 0.5f, kMaxExtent) && tableSize.Width > 0.0f &&
           tableSize.Height > 0.0f;
  }
};
