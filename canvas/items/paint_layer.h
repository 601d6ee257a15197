#pragma once
// A device-resolution picture of what an item paints, kept between frames
// so that repainting an unchanged item is one block copy instead of filling
// and stroking its paths again.
//
// The layer is keyed on everything that decides the pixels and lives outside
// the item's own content: the world transform (with its whole-pixel
// translation taken out, so moving by whole pixels keeps the layer), the
// smoothing mode and a revision number the owner raises whenever its content
// changes. A layer is built only on the third paint with the same key, so an
// item that changes on every frame (a preview following a slider) is never
// painted twice over, and a window that paints a crowded room twice while it
// starts does not stop to build thousands of layers it may never use.

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "platform/graphics.h"
#include "platform/matrix.h"
#include "platform/types.h"

class CRSPaintLayer {
 public:
  // Layers larger than this many device pixels are not kept; a 4K screen
  // fits.
  static constexpr float kMaxLayerPixels = 3840.0f * 2160.0f;

  using Painter = std::function<void(Gdiplus::Graphics&)>;

  // Paints through the layer when one fits the current transform (building
  // it once the same key was seen on the paints before) and returns true;
  // returns false when the caller must paint directly. local is the box in
  // item coordinates that holds every painted pixel; paint draws the content
  // in item coordinates. The graphics' transform may be left changed; the
  // item's Paint restores its state.
  bool Paint(Gdiplus::Graphics& g, const RectF& local, unsigned revision, const Painter& paint);

  // Forgets the picture (memory, or a change the revision cannot see).
  void Drop();
  bool HasPicture() const { return !m_pieces.empty(); }
  // How many separate pictures the layer was kept as (see SplitIntoPieces).
  int GetPieceCount() const { return static_cast<int>(m_pieces.size()); }
  int GetBuildCount() const { return m_builds; }
  int GetDrawCount() const { return m_draws; }

 private:
  struct Key {
    Gdiplus::Matrix fraction;  // the world transform less its whole-pixel shift
    int smoothing = 0;
    unsigned revision = 0;
    bool Equals(const Key& other) const;
  };

  // A piece of the picture placed at an offset from the layer's corner.
  struct Piece {
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    Point offset;
  };
  // Keeps of the picture only what is not wholly transparent, as a few
  // rectangles of whole tiles: the wholly opaque ones without an alpha
  // channel, so that drawing them is a plain copy, the others blended. A
  // window's border or a title's letters then cost only where they lie,
  // not over the whole window on every frame.
  void SplitIntoPieces(std::unique_ptr<Gdiplus::Bitmap> picture);

  std::vector<Piece> m_pieces;
  static constexpr int kPaintsBeforeLayer = 2;
  // The side of the square tiles a picture is sorted into, in pixels, and
  // the most pieces a picture is kept as before it is kept whole.
  static constexpr int kTile = 32;
  static constexpr size_t kMaxPieces = 48;

  Key m_key;
  bool m_keyValid = false;
  // Paints in a row with the current key, up to the one that builds.
  int m_stillPaints = 0;
  // The layer's top-left corner relative to the whole-pixel shift.
  Point m_offset;
  int m_builds = 0;
  int m_draws = 0;
};
