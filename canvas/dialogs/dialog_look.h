#pragma once
// The look the drawn dialogs share beyond what the control style gives:
// the colours of panels, highlights and icons, the fonts of the file list,
// and small helpers that draw a panel, a highlight or one line of text.
//
// The list uses a plain sans-serif face at a modest size rather than the
// style's caption font: rows of file names must stay readable in a column,
// where a large serif caption face would look crowded.

#include <string>

#include "platform/brush.h"
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/string_format.h"
#include "platform/types.h"

namespace dialog_look {

inline constexpr ARGB kText = 0xFFFFFFFFu;
inline constexpr ARGB kDimText = 0xB8D8E2F2u;
inline constexpr ARGB kMessageText = 0xFFFFD27Au;
inline constexpr ARGB kPanel = 0x70000018u;
inline constexpr ARGB kPanelRim = 0x38FFFFFFu;
inline constexpr ARGB kSelection = 0xD83670D8u;
inline constexpr ARGB kHover = 0x30FFFFFFu;
inline constexpr ARGB kSegment = 0x22FFFFFFu;
inline constexpr ARGB kFolderBack = 0xFFC8962Eu;
inline constexpr ARGB kFolderFront = 0xFFF0BE4Au;
inline constexpr ARGB kFolderLight = 0xFFFFDE8Au;
inline constexpr ARGB kPaper = 0xFFF4F6FAu;
inline constexpr ARGB kPaperFold = 0xFFC9D1DDu;
inline constexpr ARGB kPaperLines = 0xFFB8C2D0u;

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
