#pragma once
// The drawing context of the graphics facade: draws paths, shapes, pictures
// and text onto a Bitmap or onto a window's back buffer, through a world
// transform and a clip. Quality settings start at their fast values: no
// anti-aliasing, bilinear picture filtering, source-over compositing.
//
// The clip is kept in device coordinates: changing the world transform
// afterwards does not move it, as the facade defines.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/brush.h"
#include "platform/cached_bitmap.h"
#include "platform/font.h"
#include "platform/graphics_path.h"
#include "platform/image_attributes.h"
#include "platform/matrix.h"
#include "platform/pen.h"
#include "platform/region.h"
#include "platform/string_format.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_pattern cairo_pattern_t;

namespace Gdiplus {

enum SmoothingMode {
  SmoothingModeInvalid = -1,
  SmoothingModeDefault = 0,
  // Unsmoothed like None; besides, thin solid pens are laid down pixel by
  // pixel along the flattened path instead of through its exact outline,
  // which is several times faster on long paths of many short segments
  // and may differ from None by a pixel or two at ends and corners.
  SmoothingModeHighSpeed = 1,
  SmoothingModeHighQuality = 2,
  SmoothingModeNone = 3,
  SmoothingModeAntiAlias = 4,
};

enum InterpolationMode {
  InterpolationModeDefault = 0,
  InterpolationModeLowQuality = 1,
  InterpolationModeHighQuality = 2,
  InterpolationModeBilinear = 3,
  InterpolationModeBicubic = 4,
  InterpolationModeNearestNeighbor = 5,
  InterpolationModeHighQualityBilinear = 6,
  InterpolationModeHighQualityBicubic = 7,
};

enum CompositingMode { CompositingModeSourceOver = 0, CompositingModeSourceCopy = 1 };

enum CompositingQuality {
  CompositingQualityDefault = 0,
  CompositingQualityHighSpeed = 1,
  CompositingQualityHighQuality = 2,
  CompositingQualityGammaCorrected = 3,
  CompositingQualityAssumeLinear = 4,
};

enum PixelOffsetMode {
  PixelOffsetModeDefault = 0,
  PixelOffsetModeHighSpeed = 1,
  PixelOffsetModeHighQuality = 2,
  PixelOffsetModeNone = 3,
  PixelOffsetModeHalf = 4,
};

enum TextRenderingHint {
  TextRenderingHintSystemDefault = 0,
  TextRenderingHintSingleBitPerPixelGridFit = 1,
  TextRenderingHintSingleBitPerPixel = 2,
  TextRenderingHintAntiAliasGridFit = 3,
  TextRenderingHintAntiAlias = 4,
  TextRenderingHintClearTypeGridFit = 5,
};

using GraphicsState = unsigned int;

class Graphics {
 public:
  // Draws into bitmap, which must outlive the context.
  explicit Graphics(Bitmap* bitmap);
  // Draws into a caller's 32-bit pixel buffer (a window back buffer): rows
  // of stride bytes, native 0xAARRGGBB words, premultiplied when hasAlpha,
  // otherwise the top byte is ignored. The buffer must outlive the context.
  Graphics(std::uint8_t* pixels, int width, int height, int stride, bool hasAlpha = false);
  ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  // A context drawing into bitmap, owned by the caller; the bitmap must
  // outlive it.
  static std::unique_ptr<Graphics> FromImage(Bitmap* bitmap) { return std::make_unique<Graphics>(bitmap); }

  bool IsValid() const { return m_cr != nullptr; }
  Status GetLastStatus() const { return m_cr ? Ok : InvalidParameter; }
  int GetTargetWidth() const { return m_width; }
  int GetTargetHeight() const { return m_height; }
  float GetDpiX() const { return kScreenDpi; }
  float GetDpiY() const { return kScreenDpi; }
  // Makes all drawing visible in the target's pixels.
  void Flush();

  // Saves transform, clip and quality settings. Restore returns to the
  // state saved under that number and forgets every later save; an unknown
  // number is ignored.
  GraphicsState Save();
  Status Restore(GraphicsState state);

  Status SetTransform(const Matrix* matrix);
  Status GetTransform(Matrix* matrix) const;
  Status ResetTransform();
  Status MultiplyTransform(const Matrix* matrix, MatrixOrder order = MatrixOrderPrepend);
  Status TranslateTransform(float dx, float dy, MatrixOrder order = MatrixOrderPrepend);
  Status RotateTransform(float angle, MatrixOrder order = MatrixOrderPrepend);
  Status ScaleTransform(float sx, float sy, MatrixOrder order = MatrixOrderPrepend);

  // Combines the clip with a shape given in world coordinates. Replace,
  // Intersect and Exclude are supported; other modes return NotImplemented.
  Status SetClip(const RectF& rect, CombineMode mode = CombineModeReplace);
  Status SetClip(const GraphicsPath* path, CombineMode mode = CombineModeReplace);
  Status SetClip(const Region* region, CombineMode mode = CombineModeReplace);
  Status IntersectClip(const RectF& rect) { return SetClip(rect, CombineModeIntersect); }
  Status ExcludeClip(const RectF& rect) { return SetClip(rect, CombineModeExclude); }
  Status ResetClip();
  // The clip in world coordinates.
  Status GetClip(Region* region) const;
  // The bounds of what can still be drawn (the clip within the target), in
  // world coordinates.
  Status GetClipBounds(RectF* rect) const;
  bool IsClipEmpty() const;
  // Whether any part of rect (world coordinates) can still be drawn.
  bool IsVisible(const RectF& rect) const;
  bool IsVisible(const PointF& point) const;

  Status SetSmoothingMode(SmoothingMode mode);
  SmoothingMode GetSmoothingMode() const { return m_quality.smoothing; }
  Status SetInterpolationMode(InterpolationMode mode);
  InterpolationMode GetInterpolationMode() const { return m_quality.interpolation; }
  Status SetCompositingMode(CompositingMode mode);
  CompositingMode GetCompositingMode() const { return m_quality.compositing; }
  Status SetCompositingQuality(CompositingQuality quality);
  CompositingQuality GetCompositingQuality() const { return m_quality.compositingQuality; }
  // Pixel centres are at half-pixel positions in every mode; the setting is
  // kept for callers that read it back.
  Status SetPixelOffsetMode(PixelOffsetMode mode);
  PixelOffsetMode GetPixelOffsetMode() const { return m_quality.pixelOffset; }
  Status SetTextRenderingHint(TextRenderingHint hint);
  TextRenderingHint GetTextRenderingHint() const { return m_quality.textHint; }

  Status Clear(const Color& color);
  Status FillPath(const Brush* brush, const GraphicsPath* path);
  Status DrawPath(const Pen* pen, const GraphicsPath* path);
  // Strokes the path with each pen in turn, as one DrawPath per pen does.
  // In the high-speed mode the path is walked once for all of them and
  // each pixel is coated once with every pen that reaches it.
  Status DrawPath(const std::vector<const Pen*>& pens, const GraphicsPath* path);
  Status FillRectangle(const Brush* brush, const RectF& rect);
  Status FillRectangle(const Brush* brush, float x, float y, float w, float h) {
    return FillRectangle(brush, RectF(x, y, w, h));
  }
  Status DrawRectangle(const Pen* pen, const RectF& rect);
  Status DrawRectangle(const Pen* pen, float x, float y, float w, float h) {
    return DrawRectangle(pen, RectF(x, y, w, h));
  }
  Status FillEllipse(const Brush* brush, const RectF& rect);
  Status DrawEllipse(const Pen* pen, const RectF& rect);
  Status FillPolygon(const Brush* brush, const PointF* points, int count);
  Status DrawLine(const Pen* pen, const PointF& a, const PointF& b);
  Status DrawLine(const Pen* pen, float x1, float y1, float x2, float y2) {
    return DrawLine(pen, PointF(x1, y1), PointF(x2, y2));
  }
  Status DrawLines(const Pen* pen, const PointF* points, int count);
  Status FillRegion(const Brush* brush, const Region* region);

  // Draws the source rectangle of image (pixels; srcUnit must be UnitPixel)
  // into dest, through attributes' colour matrix when given.
  Status DrawImage(const Bitmap* image, const RectF& dest, float srcX, float srcY, float srcWidth,
                   float srcHeight, Unit srcUnit = UnitPixel, const ImageAttributes* attributes = nullptr);
  Status DrawImage(const Bitmap* image, const RectF& dest);
  Status DrawImage(const Bitmap* image, float x, float y, float w, float h) {
    return DrawImage(image, RectF(x, y, w, h));
  }
  // At its pixel size with its top-left corner at point.
  Status DrawImage(const Bitmap* image, const PointF& point);
  Status DrawImage(const Bitmap* image, float x, float y) { return DrawImage(image, PointF(x, y)); }
  // Draws 1:1 at device position (x, y) moved by the world translation; a
  // world transform that turns or scales gives WrongState.
  Status DrawCachedBitmap(const CachedBitmap* bitmap, int x, int y);

  // Text laid out in layoutRect (a zero width or height is unbounded).
  Status DrawString(const std::string& text, const Font* font, const RectF& layoutRect,
                    const StringFormat* format, const Brush* brush);
  Status DrawString(const std::string& text, const Font* font, const PointF& origin, const StringFormat* format,
                    const Brush* brush);
  Status DrawString(const std::string& text, const Font* font, const PointF& origin, const Brush* brush) {
    return DrawString(text, font, origin, nullptr, brush);
  }
  // The box the text would cover if drawn with the same arguments; lines
  // and code points that fit are reported when asked for.
  Status MeasureString(const std::string& text, const Font* font, const RectF& layoutRect,
                       const StringFormat* format, RectF* boundingBox, int* codepointsFitted = nullptr,
                       int* linesFilled = nullptr) const;
  Status MeasureString(const std::string& text, const Font* font, const PointF& origin, const StringFormat* format,
                       RectF* boundingBox) const;

  cairo_t* GetCairo() const { return m_cr; }  // platform code only

 private:
  struct Quality {
    SmoothingMode smoothing = SmoothingModeNone;
    InterpolationMode interpolation = InterpolationModeDefault;
    CompositingMode compositing = CompositingModeSourceOver;
    CompositingQuality compositingQuality = CompositingQualityDefault;
    PixelOffsetMode pixelOffset = PixelOffsetModeDefault;
    TextRenderingHint textHint = TextRenderingHintSystemDefault;
  };
  struct Saved {
    GraphicsState id;
    Quality quality;
    Region clip;
  };

  void Init(cairo_surface_t* surface, int width, int height);
  Status CombineClip(const Region& worldShape, CombineMode mode);
  // Re-applies the whole clip, or only adds the steps of addition.
  void ApplyClip(const Region* addition);
  void SetSource(const Brush* brush);
  Status StrokeCurrentPath(const Pen* pen);
  // The high-speed stroke of path with count pens in turn; false when a pen
  // or the transform needs the exact outline (the caller strokes it then).
  bool StrokePathFast(const Pen* const* pens, size_t count, const GraphicsPath& path);
  Status FillCurrentPath(const Brush* brush);
  // Fills the current path with a large linear gradient through a colour
  // table; false (nothing drawn) when the gradient or the area does not
  // call for it.
  bool FillCurrentPathFromTable(cairo_pattern_t* gradient);
  // Blends a small picture onto the target at whole device pixels, past
  // the library, when nothing but a box clips it; false (nothing drawn) when
  // the library must draw it.
  bool BlitSmall(cairo_surface_t* source, int x, int y);

  cairo_t* m_cr = nullptr;
  int m_width = 0;
  int m_height = 0;
  Quality m_quality;
  Region m_clip;  // device coordinates
  std::vector<Saved> m_saved;
  GraphicsState m_nextState = 1;
};

// Saves the state of a Graphics and restores it on every path out of scope.
class GraphicsStateSaver {
 public:
  explicit GraphicsStateSaver(Graphics& g) : m_graphics(g), m_state(g.Save()) {}
  ~GraphicsStateSaver() { m_graphics.Restore(m_state); }
  GraphicsStateSaver(const GraphicsStateSaver&) = delete;
  GraphicsStateSaver& operator=(const GraphicsStateSaver&) = delete;

 private:
  Graphics& m_graphics;
  GraphicsState m_state;
};

}  // namespace Gdiplus

using Gdiplus::Graphics;
using Gdiplus::GraphicsState;
using Gdiplus::GraphicsStateSaver;
using Gdiplus::SmoothingModeAntiAlias;
using Gdiplus::SmoothingModeNone;
