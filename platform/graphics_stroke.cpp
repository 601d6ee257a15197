// The high-speed stroke: thin solid pens laid down pixel by pixel.
//
// Cairo strokes a path by building the exact outline of the pen along it
// and filling that; for a path of tens of thousands of short segments (every
// cut of a puzzle preview) the outline costs far more than the few pixels it
// covers. Here each segment is walked one pixel at a time and a square of
// the pen's width is set in a coverage mask; the mask is then painted with
// the pen's colour through the context, so the clip and the compositing
// still apply and a pixel where segments meet is painted once.

#include <cairo.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/cairo_path.h"
#include "platform/graphics.h"

namespace Gdiplus {

namespace {

// Wider pens look square at their corners when stamped; they take the
// exact outline.
constexpr double kMaxFastWidth = 4.5;
// At most this many pens share one walk of the path.
constexpr size_t kMaxFastPens = 4;
// Axis scales that differ by more than this share stretch the pen.
constexpr double kScaleSkew = 0.01;

struct DevicePoint {
  double x, y;
  bool start;
};

// The largest whole number not above v, without a library call (the build
// does not assume an instruction that rounds down).
inline int FloorToInt(double v) {
  const int i = static_cast<int>(v);
  return i - (v < i ? 1 : 0);
}

// The pen's colour premultiplied, and the share of what lies below that
// shows through it, as eight-bit values.
struct Coat {
  std::uint32_t source = 0;
  std::uint32_t through = 255;
};

// One eight-bit channel pair (bits 0-7 and 16-23) times a / 255, rounded as
// the library's own compositing rounds, so a pixel coated here is the same
// as one coated through a mask.
inline std::uint32_t MulPair(std::uint32_t pair, std::uint32_t a) {
  std::uint32_t t = (pair & 0xFF00FFu) * a + 0x800080u;
  t = (t + ((t >> 8) & 0xFF00FFu)) >> 8;
  return t & 0xFF00FFu;
}

// The coat over one pixel. A premultiplied colour never carries a channel
// past 255, so the sums need no clamp.
inline std::uint32_t Over(std::uint32_t below, const Coat& coat) {
  const std::uint32_t rb = MulPair(below, coat.through) + (coat.source & 0xFF00FFu);
  const std::uint32_t ag = MulPair(below >> 8, coat.through) + ((coat.source >> 8) & 0xFF00FFu);
  return rb | (ag << 8);
}

// Where the stamps go: the coverage mask, w × h pixels with its corner at
// (left, top) on the target.
struct StampTarget {
  std::uint8_t* mask;
  int stride;
  int w, h;
  int left, top;
};

// Sets every pixel of a kSide × kSide square around (x, y) in the mask. The
// side is a constant so that each square is a handful of plain stores.
// kInside says the caller knows the square lies within the mask.
template <int kSide, bool kInside>
inline void Stamp(const StampTarget& t, double x, double y) {
  // Inside the mask the corner is never negative, and cutting off the
  // fraction rounds it down already.
  const int left = kInside ? static_cast<int>(x - kSide * 0.5 + 0.5) : FloorToInt(x - kSide * 0.5 + 0.5);
  const int top = kInside ? static_cast<int>(y - kSide * 0.5 + 0.5) : FloorToInt(y - kSide * 0.5 + 0.5);
  if (kInside || (left >= 0 && top >= 0 && left + kSide <= t.w && top + kSide <= t.h)) {
    std::uint8_t* row = t.mask + static_cast<std::ptrdiff_t>(top) * t.stride + left;
    for (int py = 0; py < kSide; ++py, row += t.stride)
      for (int px = 0; px < kSide; ++px) row[px] = 0xFF;
    return;
  }
  const int l = std::max(0, left), r = std::min(t.w, left + kSide);
  const int tp = std::max(0, top), b = std::min(t.h, top + kSide);
  for (int py = tp; py < b; ++py)
    for (int px = l; px < r; ++px) t.mask[static_cast<std::ptrdiff_t>(py) * t.stride + px] = 0xFF;
}

// Walks every segment one pixel at a time, stamping the pen at each step.
// Points are in target pixels.
template <int kSide>
void StampFigures(const std::vector<DevicePoint>& points, const StampTarget& t) {
  const int w = t.w, h = t.h;
  // Segments with both ends this far inside the mask need no clipping and
  // no bounds checks: the square around any point between them fits.
  const double lowX = kSide, highX = w - kSide - 1.0, lowY = kSide, highY = h - kSide - 1.0;
  // Points are taken to the mask's pixels as they are reached.
  const double offX = t.left, offY = t.top;
  for (size_t i = 0; i < points.size(); ++i) {
    const double x1 = points[i].x - offX, y1 = points[i].y - offY;
    if (points[i].start) {
      // A figure of one point still shows as a dot.
      const bool alone = i + 1 == points.size() || points[i + 1].start;
      if (alone && x1 > -kSide && x1 < w + kSide && y1 > -kSide && y1 < h + kSide) Stamp<kSide, false>(t, x1, y1);
      continue;
    }
    double x0 = points[i - 1].x - offX, y0 = points[i - 1].y - offY;
    const double dx0 = x1 - x0, dy0 = y1 - y0;
    if (x0 >= lowX && x0 <= highX && x1 >= lowX && x1 <= highX && y0 >= lowY && y0 <= highY && y1 >= lowY &&
        y1 <= highY) {
      // The common case, stamped at the very positions the clipped walk
      // below would take for a segment it keeps whole.
      const int steps = std::max(1, static_cast<int>(std::ceil(std::max(std::fabs(dx0), std::fabs(dy0)))));
      const double stepX = dx0 / steps, stepY = dy0 / steps;
      for (int s = 0; s <= steps; ++s) Stamp<kSide, true>(t, x0 + stepX * s, y0 + stepY * s);
      continue;
    }
    // Only the part of the segment near the mask is walked: a segment that
    // reaches far outside (a huge shape seen through a small clip) must not
    // cost a step per pixel of its whole length.
    double from = 0.0, to = 1.0;
    auto keep = [&](double p, double q) {  // the part where p·t ≤ q
      if (p == 0.0) return q >= 0.0;
      const double r = q / p;
      if (p < 0.0) from = std::max(from, r);
      else to = std::min(to, r);
      return from <= to;
    };
    if (!keep(-dx0, x0 + kSide) || !keep(dx0, w + kSide - x0) || !keep(-dy0, y0 + kSide) ||
        !keep(dy0, h + kSide - y0))
      continue;
    x0 += dx0 * from, y0 += dy0 * from;
    const double dx = dx0 * (to - from), dy = dy0 * (to - from);
    const int steps = std::max(1, static_cast<int>(std::ceil(std::max(std::fabs(dx), std::fabs(dy)))));
    const double stepX = dx / steps, stepY = dy / steps;
    for (int s = 0; s <= steps; ++s) Stamp<kSide, false>(t, x0 + stepX * s, y0 + stepY * s);
  }
}

void StampAll(int side, const std::vector<DevicePoint>& points, const StampTarget& t) {
  switch (side) {
    case 1: StampFigures<1>(points, t); break;
    case 2: StampFigures<2>(points, t); break;
    case 3: StampFigures<3>(points, t); break;
    case 4: StampFigures<4>(points, t); break;
    default: StampFigures<5>(points, t); break;
  }
}

#if defined(__SSE2__)
// Four pixels at once: each pen's coat over them, kept where the pen's mask
// bytes (one per pixel, in the low four bytes of mask) are set. The lanes
// hold sixteen bits, so the products and roundings are those of MulPair.
inline __m128i CoatFour(__m128i below, std::uint32_t mask, const Coat& coat) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i through = _mm_set1_epi16(static_cast<short>(coat.through));
  const __m128i half = _mm_set1_epi16(0x80);
  __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(below, zero), through), half);
  __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(below, zero), through), half);
  lo = _mm_srli_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), 8);
  hi = _mm_srli_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), 8);
  const __m128i over = _mm_add_epi8(_mm_packus_epi16(lo, hi), _mm_set1_epi32(static_cast<int>(coat.source)));
  // Each mask byte widened to its pixel's four bytes.
  __m128i keep = _mm_cvtsi32_si128(static_cast<int>(mask));
  keep = _mm_unpacklo_epi8(keep, keep);
  keep = _mm_unpacklo_epi16(keep, keep);
  return _mm_or_si128(_mm_and_si128(keep, over), _mm_andnot_si128(keep, below));
}
#endif

// Bytes of zeros around each row of a mask, so that the masks of pens of
// different widths, whose corners lie a few pixels apart, can all be read
// eight bytes at a time at the same place on the target.
constexpr int kMaskMargin = 16;

// Coats every pixel that the masks cover, once, with each pen that covers
// it in turn. The masks are read eight bytes at a time: most of a preview's
// box lies between the cuts. box is the union of the masks on the target;
// pixels point at its corner.
void CoatMasked(const StampTarget* masks, const Coat* coats, size_t count, const Rect& box, std::uint32_t* pixels,
                int pixelStride) {
  const std::uint8_t* rows[kMaxFastPens];
  for (int y = box.Y; y < box.GetBottom(); ++y) {
    // Each mask's row, placed so that index 0 is the box's left edge; a
    // mask without this row is read as its margin of zeros.
    for (size_t i = 0; i < count; ++i) {
      const StampTarget& m = masks[i];
      rows[i] = y >= m.top && y < m.top + m.h
                    ? m.mask + static_cast<std::ptrdiff_t>(y - m.top) * m.stride + (box.X - m.left)
                    : nullptr;
    }
    std::uint32_t* to = pixels + static_cast<std::ptrdiff_t>(y - box.Y) * pixelStride;
    for (int x = 0; x < box.Width; x += 8) {
      std::uint64_t eight[kMaxFastPens] = {};
      std::uint64_t any = 0;
      for (size_t i = 0; i < count; ++i) {
        if (rows[i]) std::memcpy(&eight[i], rows[i] + x, sizeof eight[i]);
        any |= eight[i];
      }
      if (any == 0) continue;
      // Past the box's right edge the margins may still be read, but no
      // pixel is coated there.
      const int n = std::min(8, box.Width - x);
#if defined(__SSE2__)
      if (n == 8) {
        // Eight pixels without a branch per pixel or pen: which pixel a
        // cut crosses cannot be foretold, and a wrong guess costs more than
        // coating all eight and keeping the right ones.
        __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + x));
        __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + x + 4));
        for (size_t i = 0; i < count; ++i) {
          first = CoatFour(first, static_cast<std::uint32_t>(eight[i]), coats[i]);
          second = CoatFour(second, static_cast<std::uint32_t>(eight[i] >> 32), coats[i]);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), first);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x + 4), second);
        continue;
      }
#endif
      // Across the rows a cut sets a byte or two of eight: the set ones
      // are visited by their top bits, without a test per byte.
      for (std::uint64_t bits = any & 0x8080808080808080u; bits != 0; bits &= bits - 1) {
        const int k = std::countr_zero(bits) >> 3;
        if (k >= n) break;
        std::uint32_t pixel = to[x + k];
        for (size_t i = 0; i < count; ++i)
          if ((eight[i] >> (k * 8)) & 0x80u) pixel = Over(pixel, coats[i]);
        to[x + k] = pixel;
      }
    }
  }
}

// The pen's colour as the library composites it: painted alone onto a
// transparent pixel, it is exactly the premultiplied source.
Coat CoatOf(const Color& colour) {
  Coat coat;
  cairo_surface_t* one = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* cr = cairo_create(one);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(cr, colour.GetR() / 255.0, colour.GetG() / 255.0, colour.GetB() / 255.0,
                        colour.GetA() / 255.0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(one);
  if (cairo_surface_status(one) == CAIRO_STATUS_SUCCESS)
    coat.source = *reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(one));
  cairo_surface_destroy(one);
  coat.through = 255u - (coat.source >> 24);
  return coat;
}

// Whether the pens may coat the target's pixels directly: a plain picture
// in memory, drawn without a group and clipped (if at all) to one rectangle
// of whole pixels that holds the masks' box. Anything else goes through the
// library with the masks.
bool CanCoatDirectly(cairo_t* cr, const Rect& box) {
  cairo_surface_t* target = cairo_get_target(cr);
  if (cairo_get_group_target(cr) != target || cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) return false;
  const cairo_format_t format = cairo_image_surface_get_format(target);
  if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return false;
  double ox = 0, oy = 0;
  cairo_surface_get_device_offset(target, &ox, &oy);
  if (ox != 0 || oy != 0) return false;
  cairo_rectangle_list_t* clip = cairo_copy_clip_rectangle_list(cr);
  bool fits = clip->status == CAIRO_STATUS_SUCCESS && clip->num_rectangles == 1;
  if (fits) {
    const cairo_rectangle_t& r = clip->rectangles[0];
    fits = r.x == std::floor(r.x) && r.y == std::floor(r.y) && r.width == std::floor(r.width) &&
           r.height == std::floor(r.height) && r.x <= box.X && r.y <= box.Y && r.x + r.width >= box.GetRight() &&
           r.y + r.height >= box.GetBottom();
  }
  cairo_rectangle_list_destroy(clip);
  return fits;
}

}  // namespace

Status Graphics::DrawPath(const std::vector<const Pen*>& pens, const GraphicsPath* path) {
  if (!m_cr || !path) return InvalidParameter;
  for (const Pen* pen : pens)
    if (!pen) return InvalidParameter;
  if (pens.size() > 1 && m_quality.smoothing == SmoothingModeHighSpeed &&
      StrokePathFast(pens.data(), pens.size(), *path))
    return Ok;
  for (const Pen* pen : pens) {
    const Status status = DrawPath(pen, path);
    if (status != Ok) return status;
  }
  return Ok;
}

bool Graphics::StrokePathFast(const Pen* const* pens, size_t count, const GraphicsPath& path) {
  if (count == 0 || count > kMaxFastPens || m_quality.compositing != CompositingModeSourceOver) return false;
  cairo_matrix_t m;
  cairo_get_matrix(m_cr, &m);
  const double sx = std::hypot(m.xx, m.yx), sy = std::hypot(m.xy, m.yy);
  if (std::fabs(sx - sy) > kScaleSkew * std::max(sx, sy)) return false;
  int sides[kMaxFastPens];
  for (size_t i = 0; i < count; ++i) {
    const Pen* pen = pens[i];
    if (pen->GetBrush() || pen->GetDashStyle() != DashStyleSolid) return false;
    const double width = pen->GetWidth() <= 0.0f ? 1.0 : pen->GetWidth() * sx;
    if (width > kMaxFastWidth) return false;
    sides[i] = std::max(1, static_cast<int>(std::lround(width)));
  }

  // The path's points taken to device pixels; curves are flattened first.
  std::vector<DevicePoint> points;
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  auto add = [&](double x, double y, bool start) {
    cairo_matrix_transform_point(&m, &x, &y);
    points.push_back({x, y, start});
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  };
  const std::vector<std::uint8_t>& types = path.Types();
  const bool curved = std::any_of(types.begin(), types.end(), [](std::uint8_t t) {
    return (t & PathPointTypePathTypeMask) == PathPointTypeBezier;
  });
  if (!curved) {
    const std::vector<PointF>& from = path.Points();
    points.reserve(from.size() + from.size() / 8);
    size_t figure = 0;
    for (size_t i = 0; i < from.size(); ++i) {
      const bool start = (types[i] & PathPointTypePathTypeMask) == PathPointTypeStart;
      if (start) figure = i;
      add(from[i].X, from[i].Y, start);
      if (types[i] & PathPointTypeCloseSubpath) add(from[figure].X, from[figure].Y, false);
    }
  } else {
    cairo_new_path(m_cr);
    AppendPath(m_cr, path);
    cairo_path_t* flat = cairo_copy_path_flat(m_cr);
    cairo_new_path(m_cr);
    if (!flat || flat->status != CAIRO_STATUS_SUCCESS) {
      cairo_path_destroy(flat);
      return false;
    }
    points.reserve(static_cast<size_t>(flat->num_data));
    double figureX = 0, figureY = 0;
    for (int i = 0; i < flat->num_data; i += flat->data[i].header.length) {
      const cairo_path_data_t& head = flat->data[i];
      if (head.header.type == CAIRO_PATH_MOVE_TO) {
        figureX = flat->data[i + 1].point.x;
        figureY = flat->data[i + 1].point.y;
        add(figureX, figureY, true);
      } else if (head.header.type == CAIRO_PATH_LINE_TO) {
        add(flat->data[i + 1].point.x, flat->data[i + 1].point.y, false);
      } else if (head.header.type == CAIRO_PATH_CLOSE_PATH) {
        add(figureX, figureY, false);
      }
    }
    cairo_path_destroy(flat);
  }
  if (points.empty()) return true;

  // Each mask covers what the clip and the target leave of the path's box
  // widened by its pen.
  cairo_identity_matrix(m_cr);
  double cx1, cy1, cx2, cy2;
  cairo_clip_extents(m_cr, &cx1, &cy1, &cx2, &cy2);
  cairo_set_matrix(m_cr, &m);
  // Coordinates are brought within the target's reach before they become
  // whole numbers, so a far-away point cannot overflow them.
  auto whole = [](double v) { return static_cast<int>(std::clamp(v, -1e8, 1e8)); };
  StampTarget masks[kMaxFastPens];
  Coat coats[kMaxFastPens];
  const Pen* drawn[kMaxFastPens];
  size_t used = 0;
  size_t bytes = 0;
  for (size_t i = 0; i < count; ++i) {
    const int side = sides[i];
    const int left = std::max({0, whole(std::floor(cx1)), whole(std::floor(minX)) - side});
    const int top = std::max({0, whole(std::floor(cy1)), whole(std::floor(minY)) - side});
    const int right = std::min({m_width, whole(std::ceil(cx2)), whole(std::ceil(maxX)) + side + 1});
    const int bottom = std::min({m_height, whole(std::ceil(cy2)), whole(std::ceil(maxY)) + side + 1});
    if (right <= left || bottom <= top) continue;  // nothing of this pen shows
    const int w = right - left, h = bottom - top;
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_A8, w + 2 * kMaskMargin);
    if (stride <= 0) return false;
    masks[used] = StampTarget{nullptr, stride, w, h, left, top};
    drawn[used] = pens[i];
    sides[used] = side;
    bytes += static_cast<size_t>(stride) * static_cast<size_t>(h);
    ++used;
  }
  if (used == 0) return true;
  // The masks are kept between strokes: a preview strokes its cuts over the
  // whole picture at every step, and fresh masks of that size are zeroed
  // page by page by the system each time.
  static thread_local std::vector<std::uint8_t> s_masks;
  if (s_masks.size() < bytes) s_masks.resize(bytes);
  std::fill_n(s_masks.begin(), bytes, std::uint8_t{0});
  size_t at = 0;
  Rect box(masks[0].left, masks[0].top, masks[0].w, masks[0].h);
  for (size_t i = 0; i < used; ++i) {
    masks[i].mask = s_masks.data() + at + kMaskMargin;
    at += static_cast<size_t>(masks[i].stride) * static_cast<size_t>(masks[i].h);
    StampAll(sides[i], points, masks[i]);
    Color colour;
    drawn[i]->GetColor(&colour);
    coats[i] = CoatOf(colour);
    const int l = std::min(box.X, masks[i].left), t = std::min(box.Y, masks[i].top);
    box = Rect(l, t, std::max(box.GetRight(), masks[i].left + masks[i].w) - l,
               std::max(box.GetBottom(), masks[i].top + masks[i].h) - t);
  }

  cairo_identity_matrix(m_cr);
  const bool direct = CanCoatDirectly(m_cr, box);
  cairo_set_matrix(m_cr, &m);
  if (direct) {
    // The pixels are coated here, exactly as the library would coat them
    // through the masks one pen after the other, but only where a mask is
    // set, and each pixel is read and written once for all pens.
    cairo_surface_t* surface = cairo_get_target(m_cr);
    cairo_surface_flush(surface);
    const int pixelStride = cairo_image_surface_get_stride(surface) / 4;
    std::uint32_t* pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface)) +
                            static_cast<std::ptrdiff_t>(box.Y) * pixelStride + box.X;
    CoatMasked(masks, coats, used, box, pixels, pixelStride);
    cairo_surface_mark_dirty_rectangle(surface, box.X, box.Y, box.Width, box.Height);
    return true;
  }

  for (size_t i = 0; i < used; ++i) {
    cairo_surface_t* mask =
        cairo_image_surface_create_for_data(masks[i].mask, CAIRO_FORMAT_A8, masks[i].w, masks[i].h, masks[i].stride);
    if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(mask);
      // The pens not yet drawn take the exact outline, in their order.
      for (size_t j = i; j < used; ++j) {
        cairo_new_path(m_cr);
        AppendPath(m_cr, path);
        StrokeCurrentPath(drawn[j]);
      }
      return true;
    }
    Color colour;
    drawn[i]->GetColor(&colour);
    cairo_save(m_cr);
    cairo_identity_matrix(m_cr);
    cairo_set_source_rgba(m_cr, colour.GetR() / 255.0, colour.GetG() / 255.0, colour.GetB() / 255.0,
                          colour.GetA() / 255.0);
    cairo_mask_surface(m_cr, mask, masks[i].left, masks[i].top);
    cairo_restore(m_cr);
    // The library may keep a reference to a surface it was given; this one
    // borrows memory that the next stroke reuses, so it is finished now.
    cairo_surface_finish(mask);
    cairo_surface_destroy(mask);
  }
  return true;
}

}  // namespace Gdiplus
