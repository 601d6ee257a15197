#pragma once
// Pictures of outlined texts shared by every item that shows the same text
// the same way.
//
// A floor of a thousand thumbnails carries a thousand percent and piece
// counts, most of them repeats ("0%", "12"), and filling and stroking each
// outline is what makes the first frame of such a room slow. A picture is
// kept per look: the outline's points, the solid colours of its brushes and
// pens, its smoothing flags and the part of the world transform that decides
// the pixels (scale and the fraction of a pixel of the translation). Any
// item whose paint matches a kept look copies that picture instead.
//
// Only looks that can be told apart by these values are shared: solid
// brushes, pens of one colour, transforms that neither turn nor shear. Every
// other paint, and every look larger than kMaxPicturePixels, is left to the
// item's own painting. The pictures live on the user-interface thread.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "platform/string_format.h"

class CRSCanvasShape;

namespace text_pictures {

// A look is painted into a picture only when its device rectangle is at
// most this large; larger texts gain little from sharing.
inline constexpr float kMaxPicturePixels = 512.0f * 512.0f;
// The kept pictures together hold at most this many pixels; the pictures
// painted longest ago go first.
inline constexpr std::size_t kMaxKeptPixels = 4u << 20;

using Painter = std::function<void(Gdiplus::Graphics&)>;
using Brushes = std::vector<std::shared_ptr<Gdiplus::Brush>>;

// Paints the shape, filled with brushes, through a shared picture, painting
// the picture with paint (the shape's own direct paint, in item coordinates)
// when its look is new. Returns false, having painted nothing, when the look cannot be
// shared; the caller then paints as it would otherwise.
bool Paint(CRSCanvasShape& shape, Gdiplus::Graphics& g, const Brushes& brushes, const Painter& paint);

// A new path holding the outline of text as GraphicsPath::AddString lays it
// out on an empty path. Laying text out is the costly part of making a text
// item; outlines already laid out for the same text, font, size, rectangle
// and format are copied instead (the most recent kMaxKeptOutlines of them).
inline constexpr std::size_t kMaxKeptOutlines = 4096;
std::unique_ptr<Gdiplus::GraphicsPath> Outline(const std::string& text, const Gdiplus::FontFamily& family, int style,
                                               float emSize, const RectF& layout, const Gdiplus::StringFormat& format);
int OutlineBuildCount();

// For tests and benchmarks: how many pictures are kept, how many were
// painted and how many paints were served from a kept one; Clear forgets
// them all.
std::size_t KeptCount();
int BuildCount();
int HitCount();
void Clear();

}  // namespace text_pictures
