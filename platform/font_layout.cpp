#include "platform/font_layout.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/font.h"

namespace Gdiplus::text {

namespace {

int Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead >> 5) == 0x6) return 2;
  if ((lead >> 4) == 0xE) return 3;
  if ((lead >> 3) == 0x1E) return 4;
  return 1;
}

int CountCodepoints(const std::string& s, int bytes) {
  int n = 0;
  for (int i = 0; i < bytes && i < static_cast<int>(s.size()); i += Utf8Length(static_cast<unsigned char>(s[i]))) ++n;
  return n;
}

float AlignFactor(StringAlignment a) {
  return a == StringAlignmentCenter ? 0.5f : a == StringAlignmentFar ? 1.0f : 0.0f;
}

// A drawing context on a target of its own, one for each thread.
struct ScratchContext {
  explicit ScratchContext(cairo_surface_t* target) : surface(target), cr(cairo_create(target)) {}
  ~ScratchContext() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  cairo_surface_t* surface;
  cairo_t* cr;
};

// A scratch target for layouts that are measured.
cairo_t* MeasuringContext() {
  thread_local ScratchContext scratch(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
  return scratch.cr;
}

// The text settings every layout of this file uses: unhinted metrics keep
// measured widths proportional to the size, so a measured string fits where
// it is then drawn at any scale.
void SetUpContext(PangoContext* context, bool antialias) {
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options, antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
  pango_cairo_context_set_resolution(context, kScreenDpi);
}

// Layouts that are only measured or turned into outlines share one context
// for each smoothing setting, set up once: making a context, and finding
// the fonts for it, is much of what laying out a short text costs.
PangoContext* MeasuringPangoContext(bool antialias) {
  thread_local struct Contexts {
    PangoContext* context[2] = {nullptr, nullptr};
    ~Contexts() {
      for (PangoContext* c : context)
        if (c) g_object_unref(c);
    }
  } contexts;
  PangoContext*& context = contexts.context[antialias ? 1 : 0];
  if (!context) {
    context = pango_cairo_create_context(MeasuringContext());
    SetUpContext(context, antialias);
  }
  return context;
}

}  // namespace

// Outlines need a target without bounds: on a bounded one the glyphs that
// lie far outside it are left out of the path.
cairo_t* OutlineContext() {
  thread_local ScratchContext scratch(cairo_recording_surface_create(CAIRO_CONTENT_ALPHA, nullptr));
  return scratch.cr;
}

std::string StripHotkeys(const std::string& text, HotkeyPrefix mode, std::vector<int>* underlined) {
  if (mode == HotkeyPrefixNone) return text;
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
      continue;
    }
    if (i + 1 >= text.size()) break;  // a lone trailing prefix marks nothing
    if (text[i + 1] == '&') {
      out += '&';
      ++i;
      continue;
    }
    if (mode == HotkeyPrefixShow && underlined) underlined->push_back(static_cast<int>(out.size()));
  }
  return out;
}

TextLayout::TextLayout(cairo_t* cr, const std::string& rawText, const TextStyle& style, const RectF& rect,
                       const StringFormat* format, bool antialias)
    : m_rect(rect) {
  EnsureFontRules();
  const StringFormat defaults;
  const StringFormat& f = format ? *format : defaults;
  if (cr) {
    m_layout = pango_cairo_create_layout(cr);
    SetUpContext(pango_layout_get_context(m_layout), antialias);
    pango_layout_context_changed(m_layout);
  } else {
    m_layout = pango_layout_new(MeasuringPangoContext(antialias));
  }

  PangoFontDescription* desc = pango_font_description_new();
  pango_font_description_set_family(desc, style.family.c_str());
  pango_font_description_set_absolute_size(desc, std::max(1.0, double(style.pixelSize)) * PANGO_SCALE);
  pango_font_description_set_weight(desc, (style.style & FontStyleBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(desc, (style.style & FontStyleItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_layout_set_font_description(m_layout, desc);
  pango_font_description_free(desc);

  std::vector<int> hotkeys;
  std::string text = StripHotkeys(rawText, f.GetHotkeyPrefix(), &hotkeys);
  PangoAttrList* attrs = pango_attr_list_new();
  if (style.style & FontStyleUnderline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (style.style & FontStyleStrikeout) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
  for (int at : hotkeys) {
    if (at >= static_cast<int>(text.size())) continue;
    PangoAttribute* u = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
    u->start_index = static_cast<guint>(at);
    u->end_index = static_cast<guint>(at + Utf8Length(static_cast<unsigned char>(text[at])));
    pango_attr_list_insert(attrs, u);
  }
  pango_layout_set_attributes(m_layout, attrs);
  pango_attr_list_unref(attrs);

  const int flags = f.GetFormatFlags();
  const bool wrap = !(flags & StringFormatFlagsNoWrap);
  const bool boundedW = rect.Width > 0, boundedH = rect.Height > 0;
  const StringTrimming trimming = f.GetTrimming();
  const bool ellipsis = trimming == StringTrimmingEllipsisCharacter || trimming == StringTrimmingEllipsisWord ||
                        trimming == StringTrimmingEllipsisPath;

  pango_layout_set_text(m_layout, text.c_str(), static_cast<int>(text.size()));
  // Pango aligns lines itself only within a set width; otherwise the whole
  // block is placed by hand below.
  bool widthSet = false;
  if (boundedW && (wrap || ellipsis)) {
    pango_layout_set_width(m_layout, static_cast<int>(rect.Width * PANGO_SCALE));
    pango_layout_set_wrap(m_layout, PANGO_WRAP_WORD_CHAR);
    widthSet = true;
  }
  if (widthSet && ellipsis) {
    pango_layout_set_ellipsize(m_layout,
                               trimming == StringTrimmingEllipsisPath ? PANGO_ELLIPSIZE_MIDDLE : PANGO_ELLIPSIZE_END);
    // Wrapped text ellipsizes the last line that fits the height; unwrapped
    // text keeps one line per paragraph.
    pango_layout_set_height(m_layout, wrap && boundedH ? static_cast<int>(rect.Height * PANGO_SCALE)
                                                       : (wrap ? INT_MAX : -1));
  }
  const float hAlign = AlignFactor(f.GetAlignment());
  if (widthSet)
    pango_layout_set_alignment(m_layout, hAlign == 0.5f ? PANGO_ALIGN_CENTER
                                         : hAlign == 1.0f ? PANGO_ALIGN_RIGHT
                                                          : PANGO_ALIGN_LEFT);

  // An unwrapped line wider than the rectangle loses the characters (or the
  // words) that would not show in full.
  const bool cutLine = trimming == StringTrimmingCharacter || trimming == StringTrimmingWord;
  if (!widthSet && boundedW && cutLine && text.find('\n') == std::string::npos) {
    PangoRectangle full;
    pango_layout_get_extents(m_layout, nullptr, &full);
    const int limit = static_cast<int>(rect.Width * PANGO_SCALE);
    if (full.width > limit) {
      int index = 0, trailing = 0;
      pango_layout_xy_to_index(m_layout, limit, 0, &index, &trailing);
      if (trimming == StringTrimmingWord) {
        const size_t space = text.rfind(' ', static_cast<size_t>(index));
        if (space != std::string::npos && space > 0) index = static_cast<int>(space);
      }
      text.resize(static_cast<size_t>(std::clamp(index, 0, static_cast<int>(text.size()))));
      while (!text.empty() && text.back() == ' ') text.pop_back();
      pango_layout_set_text(m_layout, text.c_str(), static_cast<int>(text.size()));
    }
  }

  // Whole lines only: drop the lines that would stick out of the rectangle.
  if ((flags & StringFormatFlagsLineLimit) && boundedH && !ellipsis) {
    PangoLayoutIter* it = pango_layout_get_iter(m_layout);
    int cut = -1;
    int index = 0;
    do {
      PangoRectangle logical;
      pango_layout_iter_get_line_extents(it, nullptr, &logical);
      if (logical.y + logical.height > rect.Height * PANGO_SCALE && index > 0) {
        cut = pango_layout_iter_get_line_readonly(it)->start_index;
        break;
      }
      ++index;
    } while (pango_layout_iter_next_line(it));
    pango_layout_iter_free(it);
    if (cut >= 0) {
      text.resize(static_cast<size_t>(cut));
      while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\r')) text.pop_back();
      pango_layout_set_text(m_layout, text.c_str(), static_cast<int>(text.size()));
    }
  }

  PangoRectangle ink, logical;
  pango_layout_get_extents(m_layout, &ink, &logical);
  const float lx = float(logical.x) / PANGO_SCALE, ly = float(logical.y) / PANGO_SCALE;
  const float lw = float(logical.width) / PANGO_SCALE, lh = float(logical.height) / PANGO_SCALE;
  const float vAlign = AlignFactor(f.GetLineAlignment());
  float boxX;
  if (widthSet)
    boxX = rect.X + lx;
  else
    boxX = rect.X + (boundedW ? (rect.Width - lw) * hAlign : -lw * hAlign);
  const float boxY = rect.Y + (boundedH ? (rect.Height - lh) * vAlign : -lh * vAlign);
  m_box = RectF(boxX, boxY, lw, lh);
  m_origin = PointF(boxX - lx, boxY - ly);
  m_clip = boundedW && boundedH && !(flags & StringFormatFlagsNoClip);

  m_lines = pango_layout_get_line_count(m_layout);
  m_codepoints = CountCodepoints(text, static_cast<int>(text.size()));
  if (m_clip) {
    // Report only what shows within the rectangle.
    RectF visible;
    if (!RectF::Intersect(visible, m_box, rect)) visible = RectF(rect.X, rect.Y, 0, 0);
    if (m_box.Height > rect.Height + 0.5f) {
      int fitted = 0, endIndex = 0;
      PangoLayoutIter* it = pango_layout_get_iter(m_layout);
      do {
        PangoRectangle line;
        pango_layout_iter_get_line_extents(it, nullptr, &line);
        if (boxY + float(line.y + line.height) / PANGO_SCALE > rect.GetBottom() + 0.5f) break;
        ++fitted;
        const PangoLayoutLine* l = pango_layout_iter_get_line_readonly(it);
        endIndex = l->start_index + l->length;
      } while (pango_layout_iter_next_line(it));
      pango_layout_iter_free(it);
      m_lines = fitted;
      m_codepoints = CountCodepoints(text, endIndex);
    }
    m_box = visible;
  }
}

TextLayout::~TextLayout() {
  if (m_layout) g_object_unref(m_layout);
}

}  // namespace Gdiplus::text
