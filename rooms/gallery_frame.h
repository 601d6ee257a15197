#pragma once
// The framed picture of a solved puzzle: the entry's thumbnail inside a
// gilded frame hanging from a nail, shown on the gallery wall.
//
// The frame is one bitmap, composed once per entry each time the gallery is
// built, and shown by a canvas image that carries a highlight and a
// back-reference to its entry. The image belongs to whoever parents it (the
// wall or a category window); the entry only knows it through that
// back-reference, which reads null once the entry is gone.

#include <memory>

#include "platform/bitmap.h"

class CPuzzleImageData;
class CRSCanvasImage;

namespace gallery {

// The three pieces of artwork a frame is made of. Any may be missing (a
// damaged build); the frame then does without it.
struct FrameArtwork {
  std::shared_ptr<Gdiplus::Bitmap> nail;
  std::shared_ptr<Gdiplus::Bitmap> corner;
  // A vertical strip: its width is the frame's width, its length is
  // stretched along each edge.
  std::shared_ptr<Gdiplus::Bitmap> border;

  // The built-in artwork for the screen's scale, decoded once and shared for
  // the program's life.
  static const FrameArtwork& BuiltIn();
};

// A copy of the picture turned clockwise by quarterTurns × 90 degrees.
std::unique_ptr<Gdiplus::Bitmap> QuarterTurnedCopy(const Gdiplus::Bitmap& picture, int quarterTurns);

// The frame around a thumbnail of w × h with a strip b wide and a nail n_w ×
// n_h: a (w + 2b) × (n_h + h + 2b) ARGB bitmap, the nail centred at the top,
// the thumbnail at (b, n_h + b), strips along the four edges of the framed
// area and a corner piece in each of its corners, each turned a quarter
// further than the one before, clockwise from the top left. Null for an
// invalid thumbnail. Sizes are the artwork's pixels: artwork drawn for a
// denser screen (its resolution above 96) frames the thumbnail enlarged to
// that density, and the frame keeps the artwork's resolution.
std::unique_ptr<Gdiplus::Bitmap> ComposeFrame(const Gdiplus::Bitmap& thumbnail, const FrameArtwork& art);

// The wall item of an entry: its framed thumbnail in a canvas image with a
// highlight and the entry as user data. Null when the entry has no
// thumbnail. The caller owns the item.
CRSCanvasImage* CreateFramedPicture(CPuzzleImageData& entry, const FrameArtwork& art = FrameArtwork::BuiltIn());

}  // namespace gallery
