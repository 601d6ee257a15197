#pragma once
// The bevel of the pieces: the whole cut outline drawn twice on a copy of
// the cut picture, a light line shifted down and right and a dark one
// shifted up and left, so that every piece cut from the copy shows a
// raised edge.

#include <memory>

#include "platform/bitmap.h"

class CPuzzleCutter;

// How many bands (and threads) a picture of that height is bevelled in:
// one per processor, none thinner than a few hundred rows.
int BevelThreadCount(int height);

// A copy of cutImage with the bevel of cutter's outline (in cut units,
// multiplied by scale) drawn on it, in `bands` bands of rows drawn at
// once; the result is the same to the pixel for any number of bands. Null
// when the picture cannot be copied.
std::unique_ptr<Gdiplus::Bitmap> MakeBevelledPicture(const Gdiplus::Bitmap& cutImage, const CPuzzleCutter& cutter,
                                                     float scale, int bands);
