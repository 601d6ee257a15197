#pragma once
// The look the drawn dialogs share beyond the controls: the style's palette
// (the colours of panels, highlights and icons), the fonts of the file list,
// and small helpers that draw a panel, a highlight or one line of text.
//
// The list uses a plain sans-serif face at a modest size rather than the
// style's caption font: rows of file names must stay readable in a column,
// where a large serif caption face would look crowded.

#include <string>

#include "canvas/styles.h"
#include "platform/brush.h"
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/string_format.h"
#include "platform/types.h"

namespace dialog_look {

// The current style's palette.
const CRSStylePalette& Palette();


struct Fonts {
  Gdiplus::Font name{"Arial", 10.0f, Gdiplus::FontStyleRegular};
  Gdiplus::Font detail{"Arial", 8.5f, Gdiplus::FontStyleRegular};
  Gdiplus::Font segment{"Arial", 10.0f, Gdiplus::FontStyleRegular};
  Gdiplus::Font segmentBold{"Arial", 10.0f, Gdiplus::FontStyleBold};
};
const Fonts& GetFonts();

// The width a one-line text takes in a font.
float MeasureWidth(const std::string& text, const Gdiplus::Font& font);

// One line of text in the rectangle, centred vertically, cut with an
// ellipsis when it does not fit.
void DrawLine(Gdiplus::Graphics& g, const std::string& text, const Gdiplus::Font& font, const Gdiplus::Brush& brush,
              const RectF& rect, Gdiplus::StringAlignment alignment);

// A darker rounded well with a thin light rim (the places and the list).
void FillPanel(Gdiplus::Graphics& g, const RectF& rect);
// A rounded highlight (selection, hover, a path segment).
void FillHighlight(Gdiplus::Graphics& g, const RectF& rect, ARGB colour);

}  // namespace dialog_look
