#pragma once
// Colours and the fills of the graphics facade: SolidBrush, a tiled
// LinearGradientBrush and a tiled TextureBrush. A brush is a description;
// the drawing context turns it into a fill each time it is used, so one
// brush may be shared by many items.

#include <memory>
#include <vector>

#include "platform/bitmap.h"
#include "platform/matrix.h"
#include "platform/types.h"

typedef struct _cairo_pattern cairo_pattern_t;
typedef struct _cairo_surface cairo_surface_t;

namespace Gdiplus {

class Color {
 public:
  Color() = default;
  Color(ARGB argb) : m_argb(argb) {}  // NOLINT: colours convert freely, as in the facade
  Color(std::uint8_t r, std::uint8_t g, std::uint8_t b) : m_argb(Gdiplus::MakeARGB(255, r, g, b)) {}
  Color(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) : m_argb(Gdiplus::MakeARGB(a, r, g, b)) {}

  ARGB GetValue() const { return m_argb; }
  void SetValue(ARGB argb) { m_argb = argb; }
  std::uint8_t GetA() const { return AlphaOf(m_argb); }
  std::uint8_t GetR() const { return RedOf(m_argb); }
  std::uint8_t GetG() const { return GreenOf(m_argb); }
  std::uint8_t GetB() const { return BlueOf(m_argb); }
  static ARGB MakeARGB(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Gdiplus::MakeARGB(a, r, g, b);
  }
  bool operator==(const Color&) const = default;

  enum : ARGB { Black = 0xFF000000, White = 0xFFFFFFFF, Transparent = 0x00FFFFFF };

 private:
  ARGB m_argb = 0xFF000000;
};

enum BrushType {
  BrushTypeSolidColor = 0,
  BrushTypeHatchFill = 1,
  BrushTypeTextureFill = 2,
  BrushTypePathGradient = 3,
  BrushTypeLinearGradient = 4,
};

enum WrapMode { WrapModeTile = 0, WrapModeTileFlipX = 1, WrapModeTileFlipY = 2, WrapModeTileFlipXY = 3, WrapModeClamp = 4 };

enum LinearGradientMode {
  LinearGradientModeHorizontal = 0,
  LinearGradientModeVertical = 1,
  LinearGradientModeForwardDiagonal = 2,
  LinearGradientModeBackwardDiagonal = 3,
};

class Brush {
 public:
  virtual ~Brush() = default;
  virtual Brush* Clone() const = 0;
  virtual BrushType GetType() const = 0;
  // A new Cairo fill for this brush (platform code only; the caller owns it).
  virtual cairo_pattern_t* CreatePattern() const = 0;
  Status GetLastStatus() const { return Ok; }
};

class SolidBrush : public Brush {
 public:
  explicit SolidBrush(const Color& color) : m_color(color) {}
  Brush* Clone() const override { return new SolidBrush(*this); }
  BrushType GetType() const override { return BrushTypeSolidColor; }
  cairo_pattern_t* CreatePattern() const override;

  Status GetColor(Color* color) const;
  Status SetColor(const Color& color);

 private:
  Color m_color;
};

// Brushes that carry their own transform, applied to the fill's coordinates
// before the drawing context's world transform.
class TransformableBrush : public Brush {
 public:
  Status SetTransform(const Matrix* matrix);
  Status GetTransform(Matrix* matrix) const;
  Status ResetTransform();
  Status MultiplyTransform(const Matrix* matrix, MatrixOrder order = MatrixOrderPrepend);
  Status TranslateTransform(float dx, float dy, MatrixOrder order = MatrixOrderPrepend);
  Status ScaleTransform(float sx, float sy, MatrixOrder order = MatrixOrderPrepend);
  Status RotateTransform(float angle, MatrixOrder order = MatrixOrderPrepend);
  WrapMode GetWrapMode() const { return m_wrap; }
  Status SetWrapMode(WrapMode mode);

 protected:
  // Puts the brush transform and the wrap mode onto pattern, whose own
  // space is the brush's untransformed space.
  void Finish(cairo_pattern_t* pattern) const;

  Matrix m_transform;
  WrapMode m_wrap = WrapModeTile;
};

// Runs from colour 1 at point 1 to colour 2 at point 2 and repeats beyond.
class LinearGradientBrush : public TransformableBrush {
 public:
  LinearGradientBrush(const PointF& p1, const PointF& p2, const Color& c1, const Color& c2);
  LinearGradientBrush(const RectF& rect, const Color& c1, const Color& c2, LinearGradientMode mode);
  Brush* Clone() const override { return new LinearGradientBrush(*this); }
  BrushType GetType() const override { return BrushTypeLinearGradient; }
  cairo_pattern_t* CreatePattern() const override;

  Status SetLinearColors(const Color& c1, const Color& c2);
  Status GetLinearColors(Color* colors) const;
  // Several colours at positions from 0 to 1 (first 0, last 1) replace the
  // two end colours.
  Status SetInterpolationColors(const Color* colors, const float* positions, int count);
  Status GetRectangle(RectF* rect) const;

 private:
  PointF m_p1, m_p2;
  Color m_c1, m_c2;
  std::vector<std::pair<float, Color>> m_stops;
};

// Repeats a picture. The brush keeps a reference to the picture's pixels (or
// its own copy of the source rectangle), so the bitmap may be destroyed
// while the brush lives.
class TextureBrush : public TransformableBrush {
 public:
  explicit TextureBrush(const Bitmap* image, WrapMode wrapMode = WrapModeTile);
  TextureBrush(const Bitmap* image, WrapMode wrapMode, const RectF& srcRect);
  TextureBrush(const TextureBrush& other);
  TextureBrush& operator=(const TextureBrush&) = delete;
  ~TextureBrush() override;
  Brush* Clone() const override { return new TextureBrush(*this); }
  BrushType GetType() const override { return BrushTypeTextureFill; }
  cairo_pattern_t* CreatePattern() const override;
  Status GetLastStatus() const { return m_surface ? Ok : InvalidParameter; }

 private:
  cairo_surface_t* m_surface = nullptr;
};

}  // namespace Gdiplus

using Gdiplus::Brush;
using Gdiplus::Color;
using Gdiplus::LinearGradientBrush;
using Gdiplus::SolidBrush;
using Gdiplus::TextureBrush;
