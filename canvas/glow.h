#pragma once
// The glow effect behind highlights and shadows: an item painted off screen,
// its alpha spread by a box sum into a soft silhouette of one colour.
//
// Each output pixel (x, y) of a picture (n − 1) pixels wider and higher than
// the source sums the source alpha over the n × n square whose bottom-right
// corner is (x, y), pixels outside the source counting as nothing. Its value
// is min(255, ⌊sum × strength / n²⌋), its alpha that value times the colour's
// alpha, shifted down by 8, and its colour the colour's red, green and blue
// (held premultiplied, as every picture of ours is).

#include <memory>

#include "platform/bitmap.h"
#include "platform/types.h"

class CRSCanvasItem;

// Null when the source is invalid, n < 1, or the result would be larger than
// a picture may be.
std::unique_ptr<Gdiplus::Bitmap> BuildGlow(const Gdiplus::Bitmap& source, int n, ARGB colour, float strength);

// Paints the item (its content and children, without device caches) into a
// picture of its local rectangle and returns that picture's glow; null for an
// item with an empty rectangle. Items that paint the same alpha share one
// glow picture for as long as any of them shows it, so the picture must not
// be changed in place.
//
// With `level` above 0, a plain image's glow is made from its picture halved
// that many times, at that lower density (n shrinks alike): the glow of an
// item drawn far smaller than itself (a table zoomed out) costs a fraction
// of the full one and looks the same at that size. Other items ignore it.
std::shared_ptr<Gdiplus::Bitmap> RenderGlow(CRSCanvasItem& item, int n, ARGB colour, float strength,
                                            int level = 0);

// How many glow pictures RenderGlow has made (not shared) so far.
int GetGlowBuildCount();
