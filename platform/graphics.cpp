#include "platform/graphics.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/cairo_path.h"

namespace Gdiplus {

namespace {

cairo_antialias_t AntialiasFor(SmoothingMode mode) {
  return mode == SmoothingModeAntiAlias || mode == SmoothingModeHighQuality ? CAIRO_ANTIALIAS_GRAY
                                                                            : CAIRO_ANTIALIAS_NONE;
}

cairo_filter_t FilterFor(InterpolationMode mode) {
  switch (mode) {
    case InterpolationModeNearestNeighbor: return CAIRO_FILTER_NEAREST;
    case InterpolationModeLowQuality: return CAIRO_FILTER_FAST;
    case InterpolationModeHighQuality:
    case InterpolationModeBicubic:
    case InterpolationModeHighQualityBilinear:
    case InterpolationModeHighQualityBicubic: return CAIRO_FILTER_GOOD;
    default: return CAIRO_FILTER_BILINEAR;
  }
}

// The device-space bounding box of a world rectangle.
RectF DeviceBounds(cairo_t* cr, const RectF& r) {
  double xs[4] = {r.X, r.GetRight(), r.GetRight(), r.X};
  double ys[4] = {r.Y, r.Y, r.GetBottom(), r.GetBottom()};
  double minX = 1e30, minY = 1e30, maxX = -1e30, maxY = -1e30;
  for (int i = 0; i < 4; ++i) {
    cairo_user_to_device(cr, &xs[i], &ys[i]);
    minX = std::min(minX, xs[i]);
    maxX = std::max(maxX, xs[i]);
    minY = std::min(minY, ys[i]);
    maxY = std::max(maxY, ys[i]);
  }
  return RectF(float(minX), float(minY), float(maxX - minX), float(maxY - minY));
}

RectF DeviceClipExtents(cairo_t* cr) {
  cairo_matrix_t saved;
  cairo_get_matrix(cr, &saved);
  cairo_identity_matrix(cr);
  double x1, y1, x2, y2;
  cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
  cairo_set_matrix(cr, &saved);
  return RectF(float(x1), float(y1), float(x2 - x1), float(y2 - y1));
}

}  // namespace

Graphics::Graphics(Bitmap* bitmap) {
  if (bitmap && bitmap->IsValid()) Init(cairo_surface_reference(bitmap->GetSurface()), bitmap->GetWidth(), bitmap->GetHeight());
}

Graphics::Graphics(std::uint8_t* pixels, int width, int height, int stride, bool hasAlpha) {
  const cairo_format_t format = hasAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
  if (!pixels || width <= 0 || height <= 0 || stride < cairo_format_stride_for_width(format, width) || stride % 4)
    return;
  Init(cairo_image_surface_create_for_data(pixels, format, width, height, stride), width, height);
}

void Graphics::Init(cairo_surface_t* surface, int width, int height) {
  cairo_t* cr = cairo_create(surface);
  cairo_surface_destroy(surface);  // the context holds its own reference
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
    cairo_destroy(cr);
    return;
  }
  m_cr = cr;
  m_width = width;
  m_height = height;
  cairo_set_antialias(m_cr, AntialiasFor(m_quality.smoothing));
  cairo_set_tolerance(m_cr, 0.1);
}

Graphics::~Graphics() {
  if (!m_cr) return;
  cairo_surface_flush(cairo_get_target(m_cr));
  cairo_destroy(m_cr);
}

void Graphics::Flush() {
  if (m_cr) cairo_surface_flush(cairo_get_target(m_cr));
}

GraphicsState Graphics::Save() {
  if (!m_cr) return 0;
  cairo_save(m_cr);
  m_saved.push_back({m_nextState, m_quality, m_clip});
  return m_nextState++;
}

Status Graphics::Restore(GraphicsState state) {
  if (!m_cr) return InvalidParameter;
  auto it = std::find_if(m_saved.begin(), m_saved.end(), [state](const Saved& s) { return s.id == state; });
  if (it == m_saved.end()) return Ok;
  const size_t index = static_cast<size_t>(it - m_saved.begin());
  m_quality = m_saved[index].quality;
  m_clip = m_saved[index].clip;
  while (m_saved.size() > index) {
    cairo_restore(m_cr);
    m_saved.pop_back();
  }
  return Ok;
}

Status Graphics::SetTransform(const Matrix* matrix) {
  if (!m_cr || !matrix) return InvalidParameter;
  if (!matrix->IsInvertible()) return InvalidParameter;
  const cairo_matrix_t m = ToCairoMatrix(*matrix);
  cairo_set_matrix(m_cr, &m);
  return Ok;
}

Status Graphics::GetTransform(Matrix* matrix) const {
  if (!m_cr || !matrix) return InvalidParameter;
  cairo_matrix_t m;
  cairo_get_matrix(m_cr, &m);
  *matrix = FromCairoMatrix(m);
  return Ok;
}

Status Graphics::ResetTransform() {
  if (!m_cr) return InvalidParameter;
  cairo_identity_matrix(m_cr);
  return Ok;
}

Status Graphics::MultiplyTransform(const Matrix* matrix, MatrixOrder order) {
  if (!m_cr || !matrix) return InvalidParameter;
  Matrix world;
  GetTransform(&world);
  world.Multiply(*matrix, order);
  return SetTransform(&world);
}

Status Graphics::TranslateTransform(float dx, float dy, MatrixOrder order) {
  Matrix m;
  m.Translate(dx, dy);
  return MultiplyTransform(&m, order);
}

Status Graphics::RotateTransform(float angle, MatrixOrder order) {
  Matrix m;
  m.Rotate(angle);
  return MultiplyTransform(&m, order);
}

Status Graphics::ScaleTransform(float sx, float sy, MatrixOrder order) {
  Matrix m;
  m.Scale(sx, sy);
  return MultiplyTransform(&m, order);
}

void Graphics::ApplyClip(const Region* addition) {
  // Clips are pixel-exact, so that shapes cut side by side share every
  // pixel exactly once and leave no seams. This runs outside any
  // cairo_save/cairo_restore pair, which would bring the old clip back.
  cairo_matrix_t saved;
  cairo_get_matrix(m_cr, &saved);
  const cairo_antialias_t aa = cairo_get_antialias(m_cr);
  cairo_identity_matrix(m_cr);
  cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
  if (addition) {
    ClipToRegion(m_cr, *addition);
  } else {
    cairo_reset_clip(m_cr);
    ClipToRegion(m_cr, m_clip);
  }
  cairo_new_path(m_cr);
  cairo_set_antialias(m_cr, aa);
  cairo_set_matrix(m_cr, &saved);
}

Status Graphics::CombineClip(const Region& worldShape, CombineMode mode) {
  if (!m_cr) return InvalidParameter;
  Region shape(worldShape);
  Matrix world;
  GetTransform(&world);
  shape.Transform(&world);
  switch (mode) {
    case CombineModeReplace:
      m_clip = shape;
      ApplyClip(nullptr);
      return Ok;
    case CombineModeIntersect:
    case CombineModeExclude: {
      // The shape narrows what Cairo already clips to, so only it is
      // applied: intersected, or excluded as the clip just excluded it.
      const bool wasEmpty = m_clip.IsEmptyFlag();
      const Status s = mode == CombineModeIntersect ? m_clip.Intersect(&shape) : m_clip.Exclude(&shape);
      if (s != Ok || wasEmpty) return s;
      if (m_clip.IsEmptyFlag()) {
        ApplyClip(nullptr);
        return Ok;
      }
      if (mode == CombineModeIntersect) {
        ApplyClip(&shape);
      } else {
        Region added;
        added.Exclude(&shape);
        ApplyClip(&added);
      }
      return Ok;
    }
    default:
      return NotImplemented;
  }
}

Status Graphics::SetClip(const RectF& rect, CombineMode mode) { return CombineClip(Region(rect), mode); }

Status Graphics::SetClip(const GraphicsPath* path, CombineMode mode) {
  if (!path) return InvalidParameter;
  return CombineClip(Region(path), mode);
}

Status Graphics::SetClip(const Region* region, CombineMode mode) {
  if (!region) return InvalidParameter;
  return CombineClip(*region, mode);
}

Status Graphics::ResetClip() {
  if (!m_cr) return InvalidParameter;
  m_clip.MakeInfinite();
  ApplyClip(nullptr);
  return Ok;
}

Status Graphics::GetClip(Region* region) const {
  if (!m_cr || !region) return InvalidParameter;
  *region = m_clip;
  Matrix inverse;
  GetTransform(&inverse);
  if (inverse.Invert() == Ok) region->Transform(&inverse);
  return Ok;
}

Status Graphics::GetClipBounds(RectF* rect) const {
  if (!m_cr || !rect) return InvalidParameter;
  double x1, y1, x2, y2;
  cairo_clip_extents(m_cr, &x1, &y1, &x2, &y2);
  *rect = RectF(float(x1), float(y1), float(x2 - x1), float(y2 - y1));
  if (rect->IsEmptyArea()) *rect = RectF();
  return Ok;
}

bool Graphics::IsClipEmpty() const {
  if (!m_cr) return true;
  return DeviceClipExtents(m_cr).IsEmptyArea();
}

bool Graphics::IsVisible(const RectF& rect) const {
  if (!m_cr) return false;
  const RectF device = DeviceBounds(m_cr, rect);
  const RectF clip = DeviceClipExtents(m_cr);
  // A zero-area rectangle still counts when it lies within the clip.
  return device.X < clip.GetRight() && clip.X <= device.GetRight() && device.Y < clip.GetBottom() &&
         clip.Y <= device.GetBottom() && !clip.IsEmptyArea();
}

bool Graphics::IsVisible(const PointF& point) const { return m_cr && cairo_in_clip(m_cr, point.X, point.Y); }

Status Graphics::SetSmoothingMode(SmoothingMode mode) {
  if (!m_cr || mode == SmoothingModeInvalid) return InvalidParameter;
  m_quality.smoothing = mode;
  cairo_set_antialias(m_cr, AntialiasFor(mode));
  return Ok;
}

Status Graphics::SetInterpolationMode(InterpolationMode mode) {
  m_quality.interpolation = mode;
  return Ok;
}

Status Graphics::SetCompositingMode(CompositingMode mode) {
  if (!m_cr) return InvalidParameter;
  m_quality.compositing = mode;
  cairo_set_operator(m_cr, mode == CompositingModeSourceCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
  return Ok;
}

Status Graphics::SetCompositingQuality(CompositingQuality quality) {
  m_quality.compositingQuality = quality;
  return Ok;
}

Status Graphics::SetPixelOffsetMode(PixelOffsetMode mode) {
  m_quality.pixelOffset = mode;
  return Ok;
}

Status Graphics::SetTextRenderingHint(TextRenderingHint hint) {
  m_quality.textHint = hint;
  return Ok;
}

void Graphics::SetSource(const Brush* brush) {
  cairo_pattern_t* p = brush->CreatePattern();
  cairo_set_source(m_cr, p);
  cairo_pattern_destroy(p);
}

Status Graphics::FillCurrentPath(const Brush* brush) {
  cairo_pattern_t* p = brush->CreatePattern();
  if (brush->GetType() != BrushTypeLinearGradient || !FillCurrentPathFromTable(p)) {
    cairo_set_source(m_cr, p);
    cairo_fill(m_cr);
  }
  cairo_pattern_destroy(p);
  return Ok;
}

Status Graphics::StrokeCurrentPath(const Pen* pen) {
  cairo_save(m_cr);
  pen->ApplyTo(m_cr);
  if (pen->GetWidth() <= 0.0f) {
    // A zero-width pen draws one device pixel whatever the transform.
    cairo_identity_matrix(m_cr);
    cairo_set_line_width(m_cr, 1.0);
  }
  cairo_stroke(m_cr);
  cairo_restore(m_cr);
  return Ok;
}

Status Graphics::Clear(const Color& color) {
  if (!m_cr) return InvalidParameter;
  cairo_save(m_cr);
  cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(m_cr, color.GetR() / 255.0, color.GetG() / 255.0, color.GetB() / 255.0,
                        color.GetA() / 255.0);
  cairo_paint(m_cr);
  cairo_restore(m_cr);
  return Ok;
}

Status Graphics::FillPath(const Brush* brush, const GraphicsPath* path) {
  if (!m_cr || !brush || !path) return InvalidParameter;
  cairo_new_path(m_cr);
  AppendPath(m_cr, *path);
  return FillCurrentPath(brush);
}

Status Graphics::DrawPath(const Pen* pen, const GraphicsPath* path) {
  if (!m_cr || !pen || !path) return InvalidParameter;
  if (m_quality.smoothing == SmoothingModeHighSpeed && StrokePathFast(&pen, 1, *path)) return Ok;
  cairo_new_path(m_cr);
  AppendPath(m_cr, *path);
  return StrokeCurrentPath(pen);
}

Status Graphics::FillRectangle(const Brush* brush, const RectF& rect) {
  if (!m_cr || !brush) return InvalidParameter;
  cairo_new_path(m_cr);
  cairo_rectangle(m_cr, rect.X, rect.Y, rect.Width, rect.Height);
  return FillCurrentPath(brush);
}

Status Graphics::DrawRectangle(const Pen* pen, const RectF& rect) {
  if (!m_cr || !pen) return InvalidParameter;
  cairo_new_path(m_cr);
  cairo_rectangle(m_cr, rect.X, rect.Y, rect.Width, rect.Height);
  return StrokeCurrentPath(pen);
}

Status Graphics::FillEllipse(const Brush* brush, const RectF& rect) {
  GraphicsPath p;
  if (p.AddEllipse(rect) != Ok) return Ok;  // an empty ellipse covers nothing
  return FillPath(brush, &p);
}

Status Graphics::DrawEllipse(const Pen* pen, const RectF& rect) {
  GraphicsPath p;
  if (p.AddEllipse(rect) != Ok) return Ok;
  return DrawPath(pen, &p);
}

Status Graphics::FillPolygon(const Brush* brush, const PointF* points, int count) {
  GraphicsPath p;
  const Status s = p.AddPolygon(points, count);
  if (s != Ok) return s;
  return FillPath(brush, &p);
}

Status Graphics::DrawLine(const Pen* pen, const PointF& a, const PointF& b) {
  if (!m_cr || !pen) return InvalidParameter;
  cairo_new_path(m_cr);
  cairo_move_to(m_cr, a.X, a.Y);
  cairo_line_to(m_cr, b.X, b.Y);
  return StrokeCurrentPath(pen);
}

Status Graphics::DrawLines(const Pen* pen, const PointF* points, int count) {
  GraphicsPath p;
  const Status s = p.AddLines(points, count);
  if (s != Ok) return s;
  return DrawPath(pen, &p);
}

Status Graphics::FillRegion(const Brush* brush, const Region* region) {
  if (!m_cr || !brush || !region) return InvalidParameter;
  cairo_save(m_cr);
  cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
  ClipToRegion(m_cr, *region);
  SetSource(brush);
  cairo_paint(m_cr);
  cairo_restore(m_cr);
  return Ok;
}

Status Graphics::DrawImage(const Bitmap* image, const RectF& dest, float srcX, float srcY, float srcWidth,
                           float srcHeight, Unit srcUnit, const ImageAttributes* attributes) {
  if (!m_cr || !image || !image->IsValid()) return InvalidParameter;
  if (srcUnit != UnitPixel && srcUnit != UnitWorld) return NotImplemented;
  if (srcWidth <= 0 || srcHeight <= 0) return InvalidParameter;
  if (dest.Width == 0 || dest.Height == 0) return Ok;

  std::unique_ptr<Bitmap> prepared;
  cairo_surface_t* surface = image->GetSurface();
  if (attributes && attributes->HasColorMatrix()) {
    prepared = attributes->Apply(*image);
    if (!prepared) return OutOfMemory;
    surface = prepared->GetSurface();
  }

  cairo_save(m_cr);
  cairo_translate(m_cr, dest.X, dest.Y);
  cairo_scale(m_cr, dest.Width / srcWidth, dest.Height / srcHeight);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(surface);
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, srcX, srcY);
  cairo_pattern_set_matrix(pattern, &m);
  cairo_pattern_set_filter(pattern, FilterFor(m_quality.interpolation));
  // Inside the picture, edge pixels are repeated outward so that a scaled
  // picture keeps solid borders instead of fading into transparency. A
  // picture drawn pixel for pixel never samples outside itself, and without
  // the repeat the drawing library copies it by its fast path rather than
  // fetching pixel by pixel.
  const bool inside = srcX >= 0 && srcY >= 0 && srcX + srcWidth <= image->GetWidth() + 0.001f &&
                      srcY + srcHeight <= image->GetHeight() + 0.001f;
  cairo_matrix_t device;
  cairo_get_matrix(m_cr, &device);
  const bool unscaled = device.xx == 1.0 && device.yy == 1.0 && device.xy == 0.0 && device.yx == 0.0;
  const bool pixelForPixel = unscaled && device.x0 - srcX == std::floor(device.x0 - srcX) &&
                             device.y0 - srcY == std::floor(device.y0 - srcY);
  // A small picture drawn at its own size but between pixels (a piece laid
  // down at a fraction of a unit) is copied at the nearest whole pixel: it
  // stays as sharp as its picture, and a table of a thousand pieces is not
  // resampled piece by piece. It moves by less than half a pixel.
  const bool ownSize = unscaled && dest.Width == srcWidth && dest.Height == srcHeight;
  if (ownSize && !prepared && srcX == 0 && srcY == 0 && srcWidth == image->GetWidth() &&
      srcHeight == image->GetHeight() && std::fabs(device.x0) < 1e9 && std::fabs(device.y0) < 1e9 &&
      BlitSmall(surface, static_cast<int>(std::lround(device.x0)), static_cast<int>(std::lround(device.y0)))) {
    cairo_pattern_destroy(pattern);
    cairo_restore(m_cr);
    return Ok;
  }
  cairo_pattern_set_extend(pattern, inside && !pixelForPixel ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
  cairo_set_source(m_cr, pattern);
  cairo_pattern_destroy(pattern);
  cairo_new_path(m_cr);
  cairo_rectangle(m_cr, 0, 0, srcWidth, srcHeight);
  cairo_fill(m_cr);
  cairo_restore(m_cr);
  return Ok;
}

Status Graphics::DrawImage(const Bitmap* image, const RectF& dest) {
  if (!image || !image->IsValid()) return InvalidParameter;
  return DrawImage(image, dest, 0, 0, float(image->GetWidth()), float(image->GetHeight()), UnitPixel);
}

Status Graphics::DrawImage(const Bitmap* image, const PointF& point) {
  if (!image || !image->IsValid()) return InvalidParameter;
  return DrawImage(image, RectF(point.X, point.Y, float(image->GetWidth()), float(image->GetHeight())));
}

namespace {

// Pictures up to this many pixels are blended by BlitSmall: below it the
// library's set-up for a draw (pattern, clip, composite) costs more than the
// pixels do; above it the library's vector code is faster.
constexpr int kMaxBlitPixels = 96 * 96;

// The library's own source-over of premultiplied pixels, two channels at a
// time, with its rounding (x * a / 255 rounded) and its saturating add, so
// that a picture blended here is bit for bit the one it would have drawn.
inline std::uint32_t Over(std::uint32_t s, std::uint32_t d) {
  const std::uint32_t ia = 255u - (s >> 24);
  std::uint32_t rb = (d & 0x00FF00FFu) * ia + 0x00800080u;
  rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  std::uint32_t ag = ((d >> 8) & 0x00FF00FFu) * ia + 0x00800080u;
  ag = ((ag + ((ag >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  rb += s & 0x00FF00FFu;
  rb |= 0x01000100u - ((rb >> 8) & 0x00FF00FFu);
  ag += (s >> 8) & 0x00FF00FFu;
  ag |= 0x01000100u - ((ag >> 8) & 0x00FF00FFu);
  return (rb & 0x00FF00FFu) | ((ag & 0x00FF00FFu) << 8);
}

bool IsWhole(float v) { return v == std::floor(v); }

// One row of Over, four pixels at a time where the processor allows, with
// the same rounding as the pixel-by-pixel one.
void OverRow(const std::uint32_t* s, std::uint32_t* d, int n, std::uint32_t alphaIn) {
  int i = 0;
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(0x80), full = _mm_set1_epi16(0xFF);
  const __m128i round = _mm_set1_epi16(0x0101), forced = _mm_set1_epi32(static_cast<int>(alphaIn));
  const auto times = [&](__m128i pixels, __m128i alphas) {
    const __m128i inverse =
        _mm_xor_si128(_mm_shufflehi_epi16(_mm_shufflelo_epi16(alphas, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3)),
                      full);
    return _mm_mulhi_epu16(_mm_adds_epu16(_mm_mullo_epi16(pixels, inverse), half), round);
  };
  for (; i + 4 <= n; i += 4) {
    const __m128i src = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)), forced);
    const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i low = times(_mm_unpacklo_epi8(dst, zero), _mm_unpacklo_epi8(src, zero));
    const __m128i high = times(_mm_unpackhi_epi8(dst, zero), _mm_unpackhi_epi8(src, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_adds_epu8(src, _mm_packus_epi16(low, high)));
  }
#endif
  for (; i < n; ++i) d[i] = Over(s[i] | alphaIn, d[i]);
}

}  // namespace

bool Graphics::BlitSmall(cairo_surface_t* source, int x, int y) {
  if (cairo_get_operator(m_cr) != CAIRO_OPERATOR_OVER || m_clip.IsEmptyFlag()) return false;
  if (cairo_surface_get_type(source) != CAIRO_SURFACE_TYPE_IMAGE) return false;
  const cairo_format_t from = cairo_image_surface_get_format(source);
  const int w = cairo_image_surface_get_width(source), h = cairo_image_surface_get_height(source);
  if ((from != CAIRO_FORMAT_ARGB32 && from != CAIRO_FORMAT_RGB24) || w * h > kMaxBlitPixels) return false;
  // A pushed group, a device offset or scale would place the pixels
  // elsewhere than the device coordinates say.
  cairo_surface_t* target = cairo_get_group_target(m_cr);
  if (target != cairo_get_target(m_cr) || cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) return false;
  const cairo_format_t into = cairo_image_surface_get_format(target);
  if (into != CAIRO_FORMAT_ARGB32 && into != CAIRO_FORMAT_RGB24) return false;
  double ox = 0, oy = 0, sx = 1, sy = 1;
  cairo_surface_get_device_offset(target, &ox, &oy);
  cairo_surface_get_device_scale(target, &sx, &sy);
  if (ox != 0 || oy != 0 || sx != 1 || sy != 1) return false;
  int l = std::max(x, 0), t = std::max(y, 0);
  int r = std::min(x + w, cairo_image_surface_get_width(target));
  int b = std::min(y + h, cairo_image_surface_get_height(target));
  if (!m_clip.IsInfinite()) {
    // Only a clip of whole-pixel edges is the box it says; any other is
    // the library's to rasterise.
    const RectF& box = m_clip.Box();
    if (!m_clip.HasBox() || !m_clip.Steps().empty() || !IsWhole(box.X) || !IsWhole(box.Y) ||
        !IsWhole(box.GetRight()) || !IsWhole(box.GetBottom()))
      return false;
    l = std::max(l, static_cast<int>(box.X));
    t = std::max(t, static_cast<int>(box.Y));
    r = std::min(r, static_cast<int>(box.GetRight()));
    b = std::min(b, static_cast<int>(box.GetBottom()));
  }
  if (r <= l || b <= t) return true;
  cairo_surface_flush(target);
  cairo_surface_flush(source);
  const std::uint8_t* src = cairo_image_surface_get_data(source);
  std::uint8_t* dst = cairo_image_surface_get_data(target);
  const int srcStride = cairo_image_surface_get_stride(source), dstStride = cairo_image_surface_get_stride(target);
  // An opaque picture is copied; its pad byte reads as full alpha. So is
  // the pad byte of a target without alpha, which nothing reads.
  const std::uint32_t alphaIn = from == CAIRO_FORMAT_RGB24 ? 0xFF000000u : 0u;
  for (int row = t; row < b; ++row) {
    const auto* s = reinterpret_cast<const std::uint32_t*>(src + static_cast<std::ptrdiff_t>(row - y) * srcStride) +
                    (l - x);
    auto* d = reinterpret_cast<std::uint32_t*>(dst + static_cast<std::ptrdiff_t>(row) * dstStride) + l;
    OverRow(s, d, r - l, alphaIn);
  }
  cairo_surface_mark_dirty_rectangle(target, l, t, r - l, b - t);
  return true;
}

Status Graphics::DrawCachedBitmap(const CachedBitmap* bitmap, int x, int y) {
  if (!m_cr || !bitmap || !bitmap->IsValid()) return InvalidParameter;
  cairo_matrix_t m;
  cairo_get_matrix(m_cr, &m);
  if (m.xx != 1.0 || m.yy != 1.0 || m.xy != 0.0 || m.yx != 0.0) return WrongState;
  const double dx = x + std::round(m.x0), dy = y + std::round(m.y0);
  if (BlitSmall(bitmap->GetSurface(), static_cast<int>(dx), static_cast<int>(dy))) return Ok;
  cairo_save(m_cr);
  cairo_identity_matrix(m_cr);
  cairo_set_source_surface(m_cr, bitmap->GetSurface(), dx, dy);
  cairo_new_path(m_cr);
  cairo_rectangle(m_cr, dx, dy, bitmap->GetWidth(), bitmap->GetHeight());
  cairo_fill(m_cr);
  cairo_restore(m_cr);
  return Ok;
}

}  // namespace Gdiplus
