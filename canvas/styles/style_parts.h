#pragma once
// Building blocks shared by the drawn style's files: rounded outlines,
// translucent faces with a soft gloss, and captions with a shadow that keeps
// light text readable on light or busy backgrounds.

#include <cstdint>
#include <memory>
#include <string>

#include "canvas/items.h"
#include "canvas/styles.h"
#include "platform/brush.h"
#include "platform/graphics_path.h"
#include "platform/pen.h"

namespace style_parts {

// A rectangle with rounded corners; the radius is limited to half the
// shorter side, and a radius of (about) 0 gives plain corners.
std::unique_ptr<Gdiplus::GraphicsPath> RoundedRect(const RectF& rect, float radius);

// A gradient from top to bottom over the given height, through colours at
// positions from 0 to 1 (first 0, last 1).
std::shared_ptr<Gdiplus::Brush> VerticalGradient(float height, const Gdiplus::Color* colours, const float* positions,
                                                 int count);

// The colour with its alpha scaled by `factor` (0..1).
uint32_t ScaleAlpha(uint32_t argb, float factor);
// The colour mixed toward white (amount > 0) or black (amount < 0).
uint32_t Lighten(uint32_t argb, float amount);

// A filled rounded shape as a child of `parent`: the colour, a gloss on its
// upper half and a thin light rim. `gloss` from 0 (flat) to 1.
CRSCanvasShape* MakePanel(CRSObject* parent, const std::string& name, const RectF& rect, float radius,
                          uint32_t colour, float gloss, uint32_t rim);

enum Shadow { kShadowNone, kShadowDrop, kShadowOutline };

// The relative luminance (0..1) of a translucent colour over a backdrop.
float Luminance(uint32_t argb, uint32_t backdrop);

// A caption as a small group of two texts: a dark shadow one pixel down and
// right, and the text itself. With `hotKey` the letter after "&" is
// underlined and the "&" hidden. The group's size is the text's.
// When `maxHeight` is above 0 and the text is taller, the font shrinks to
// fit, so a large caption font still fits a small button.
CRSCanvasGroup* MakeCaption(CRSObject* parent, const std::string& name, const std::string& text,
                            const CRSStyleFont& font, uint32_t colour, bool hotKey, Shadow shadow,
                            float maxHeight = 0.0f);

// Places the item so that its bounds are centred on `centre` (in the
// parent's coordinates), snapped to whole pixels so text stays crisp.
void CentreOn(CRSCanvasItem& item, const PointF& centre);

}  // namespace style_parts
