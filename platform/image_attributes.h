#pragma once
// A colour matrix applied to pictures as they are drawn. Colours are rows
// (r, g, b, a, 1) with components from 0 to 1, multiplied by the 5 × 5
// matrix: r' = r·m[0][0] + g·m[1][0] + b·m[2][0] + a·m[3][0] + m[4][0].
// Applying it is costly, so callers prepare a picture once (Apply) and draw
// the prepared copy.

#include <memory>

#include "platform/bitmap.h"
#include "platform/matrix.h"

namespace Gdiplus {

struct ColorMatrix {
  float m[5][5];
};

enum ColorMatrixFlags { ColorMatrixFlagsDefault = 0, ColorMatrixFlagsSkipGrays = 1, ColorMatrixFlagsAltGray = 2 };
enum ColorAdjustType { ColorAdjustTypeDefault = 0, ColorAdjustTypeBitmap = 1 };

class ImageAttributes {
 public:
  ImageAttributes() = default;
  ImageAttributes* Clone() const { return new ImageAttributes(*this); }

  Status SetColorMatrix(const ColorMatrix* matrix, ColorMatrixFlags flags = ColorMatrixFlagsDefault,
                        ColorAdjustType type = ColorAdjustTypeDefault);
  Status ClearColorMatrix(ColorAdjustType type = ColorAdjustTypeDefault);
  bool HasColorMatrix() const { return m_hasMatrix; }
  const ColorMatrix& GetColorMatrix() const { return m_matrix; }

  // A 32-bit premultiplied copy of source with the colour matrix applied
  // (a plain copy without one); null when source is invalid.
  std::unique_ptr<Bitmap> Apply(const Bitmap& source) const;
  // The same in place on raw premultiplied ARGB pixels.
  void ApplyToPixels(std::uint32_t* pixels, int width, int height, int strideInPixels) const;

  Status GetLastStatus() const { return Ok; }

 private:
  ColorMatrix m_matrix{};
  bool m_hasMatrix = false;
  bool m_skipGrays = false;
};

}  // namespace Gdiplus

using Gdiplus::ColorMatrix;
using Gdiplus::ImageAttributes;
