#pragma once
// Text laid out by Pango the way the facade places strings: in a layout
// rectangle, with alignment, trimming, hot-key prefixes and wrapping.
// Platform code only (drawing, measuring, text outlines).

#include <pango/pangocairo.h>

#include <string>
#include <vector>

#include "platform/string_format.h"
#include "platform/types.h"

namespace Gdiplus::text {

struct TextStyle {
  std::string family;
  float pixelSize = 0;
  int style = 0;  // FontStyle bits
};

// The text with its hot-key prefixes handled: "&&" becomes "&", a single
// "&" is dropped and, for HotkeyPrefixShow, the byte offset of the letter
// after it is collected. HotkeyPrefixNone keeps the text as it is.
std::string StripHotkeys(const std::string& text, HotkeyPrefix mode, std::vector<int>* underlined);

// The scratch target that layouts made without one (cr null) belong to;
// their outlines are built on it (it is left with no path).
cairo_t* OutlineContext();

class TextLayout {
 public:
  // Lays out on cr's font settings, or on a private measuring context when
  // cr is null. format may be null (the default format).
  TextLayout(cairo_t* cr, const std::string& text, const TextStyle& style, const RectF& rect,
             const StringFormat* format, bool antialias);
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;

  PangoLayout* Get() const { return m_layout; }
  // Where the layout's own origin goes (for cairo_move_to).
  PointF Origin() const { return m_origin; }
  // The box the text covers.
  RectF Box() const { return m_box; }
  bool Clips() const { return m_clip; }
  RectF ClipRect() const { return m_rect; }
  int Lines() const { return m_lines; }
  int CodepointsFitted() const { return m_codepoints; }

 private:
  PangoLayout* m_layout = nullptr;
  PointF m_origin;
  RectF m_box;
  RectF m_rect;
  bool m_clip = false;
  int m_lines = 0;
  int m_codepoints = 0;
};

}  // namespace Gdiplus::text
