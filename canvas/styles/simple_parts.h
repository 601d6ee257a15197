#pragma once
// Drawing pieces shared by the style's simple controls: rounded shapes,
// texts with a soft shadow, and colour arithmetic. Everything takes its
// colours and fonts from the caller, who reads them from the style's values.

#include <string>

#include "canvas/items.h"
#include "canvas/styles.h"

namespace simple_parts {

// The shadow under text: dark, mostly opaque, one pixel down and right.
inline constexpr ARGB kTextShadow = 0xC0000000;
inline constexpr float kShadowOffset = 1.0f;

// A rectangle with rounded corners; the radius is kept within half the
// shorter side, and a radius under half a pixel gives a plain rectangle.
std::unique_ptr<Gdiplus::GraphicsPath> RoundedRect(float width, float height, float radius);

// Places `shape` over `rect` with the given path, one fill and an outline
// (none when the border colour is fully transparent or the width is 0).
void SetShape(CRSCanvasShape& shape, const RectF& rect, std::unique_ptr<Gdiplus::GraphicsPath> path,
              std::shared_ptr<Gdiplus::Brush> fill, ARGB border, float borderWidth);
void SetRoundedShape(CRSCanvasShape& shape, const RectF& rect, float radius, ARGB fill, ARGB border,
                     float borderWidth);

// Gives a text item its text, font and colour, changing only what differs.
void SetTextItem(CRSCanvasText& item, const std::string& text, const CRSStyleFont& font, ARGB colour);
// The text and its shadow, with the text's top-left at `topLeft`.
void PlaceShadowedText(CRSCanvasText& text, CRSCanvasText* shadow, const std::string& content,
                       const CRSStyleFont& font, ARGB colour, const PointF& topLeft);

// The text as it can be shown: every byte sequence that is not UTF-8 (a
// name from an old file) becomes U+FFFD. The control keeps its bytes.
std::string DisplayText(const std::string& text);

// The colour with its alpha multiplied by `factor` (0 to 1).
ARGB ScaleAlpha(ARGB colour, float factor);
// The colour with full alpha.
ARGB Opaque(ARGB colour);
// Mixes `amount` (0 to 1) of white into the colour, keeping its alpha.
ARGB Lighten(ARGB colour, float amount);
// A vertical gradient, lighter at the top, that gives a face some depth.
std::shared_ptr<Gdiplus::Brush> FaceBrush(const RectF& rect, ARGB colour);

}  // namespace simple_parts
