#pragma once
// An image item that fades: its picture is shown with its alpha multiplied by
// a factor, as a colour matrix that is the identity but for its alpha factor
// would show it, for items whose factor changes often (a logo fading in and
// out on a timer).
//
// A colour matrix on a plain image makes a new prepared copy of the picture
// and a new device picture on every change. This item instead keeps the
// picture scaled to the screen once per size, and on a change of the factor
// only writes the faded pixels into a second kept picture of the same size:
// a tick allocates nothing and never scales the picture again. Moving the
// item keeps both pictures.

#include <memory>
#include <string>

#include "canvas/items.h"

class CRSCanvasFadingImage : public CRSCanvasImage {
 public:
  // Pictures larger than this on screen are drawn through a colour matrix
  // at each paint instead of being kept.
  static constexpr float kMaxKeptPixels = 1920.0f * 1080.0f;

  CRSCanvasFadingImage(const PointF& position, CRSObject* parent, const std::string& name,
                       std::shared_ptr<Gdiplus::Bitmap> picture);
  ~CRSCanvasFadingImage() override;

  // The alpha of every pixel is multiplied by factor (a result above opaque
  // is opaque); 1 shows the picture as it is. Does nothing when the factor
  // is unchanged.
  void SetAlphaFactor(float factor);
  float GetAlphaFactor() const { return m_alphaFactor; }

  void PaintContent(Gdiplus::Graphics& g, bool useCache) override;
  bool PaintsInsideBounds() const override { return false; }

  // How often the picture was scaled for the screen and how often the faded
  // pixels were written; lets tests see what a tick costs.
  int GetScaleCount() const { return m_scales; }
  int GetFadeCount() const { return m_fades; }

  // Writes source's pixels with their alpha multiplied by factor into target
  // (the same size, premultiplied ARGB), as the colour matrix with that
  // alpha factor does.
  static void Fade(const Gdiplus::Bitmap& source, float factor, Gdiplus::Bitmap& target);

 private:
  void PaintThroughMatrix(Gdiplus::Graphics& g);

  float m_alphaFactor = 1.0f;
  // The picture at its size on screen, and the same with the factor applied
  // (made for m_fadedFactor).
  std::unique_ptr<Gdiplus::Bitmap> m_scaled;
  std::unique_ptr<Gdiplus::Bitmap> m_faded;
  // Held, so a replaced picture cannot be freed and its address taken by a
  // new one that would then pass for it.
  std::shared_ptr<Gdiplus::Bitmap> m_scaledFrom;
  float m_fadedFactor = -1.0f;
  int m_scales = 0;
  int m_fades = 0;
};
