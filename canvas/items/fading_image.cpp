// Fading image items: a kept screen-sized picture and its faded copy.

#include "canvas/fading_image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/image_attributes.h"

CRSCanvasFadingImage::CRSCanvasFadingImage(const PointF& position, CRSObject* parent, const std::string& name,
                                           std::shared_ptr<Gdiplus::Bitmap> picture)
    : CRSCanvasImage(position, parent, name, std::move(picture)) {}

CRSCanvasFadingImage::~CRSCanvasFadingImage() = default;

void CRSCanvasFadingImage::SetAlphaFactor(float factor) {
  factor = std::max(0.0f, factor);
  if (Gdiplus::NearlyEqual(factor, m_alphaFactor)) return;
  m_alphaFactor = factor;
  Invalidate();
}

void CRSCanvasFadingImage::Fade(const Gdiplus::Bitmap& source, float factor, Gdiplus::Bitmap& target) {
  // Per alpha value: the new alpha (unrounded, in 0..255) and the factor that
  // takes a premultiplied channel there, so a pixel costs three multiplies.
  // A channel is first read as straight colour (at most 1), as the colour
  // matrix reads it, which the cap at the new alpha does for premultiplied
  // values.
  float alphaOf[256];
  float scaleOf[256];
  for (int a = 0; a < 256; ++a) {
    alphaOf[a] = std::clamp(static_cast<float>(a) * factor, 0.0f, 255.0f);
    scaleOf[a] = a > 0 ? alphaOf[a] / static_cast<float>(a) : 0.0f;
  }
  const int w = std::min(source.GetWidth(), target.GetWidth());
  const int h = std::min(source.GetHeight(), target.GetHeight());
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* from = source.GetRow(y);
    std::uint32_t* to = target.GetRow(y);
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = from[x];
      const std::uint32_t a = p >> 24;
      if (a == 0) {
        to[x] = 0;
        continue;
      }
      const float top = alphaOf[a], scale = scaleOf[a];
      auto channel = [&](std::uint32_t c) {
        return static_cast<std::uint32_t>(std::lround(std::min(top, static_cast<float>(c) * scale)));
      };
      to[x] = (static_cast<std::uint32_t>(std::lround(top)) << 24) | (channel((p >> 16) & 0xFF) << 16) |
              (channel((p >> 8) & 0xFF) << 8) | channel(p & 0xFF);
    }
  }
  target.MarkDirty();
}

void CRSCanvasFadingImage::PaintThroughMatrix(Gdiplus::Graphics& g) {
  const std::shared_ptr<Gdiplus::Bitmap>& picture = GetImage();
  Gdiplus::ColorMatrix matrix{};
  for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1.0f;
  matrix.m[3][3] = m_alphaFactor;
  Gdiplus::ImageAttributes attributes;
  attributes.SetColorMatrix(&matrix);
  g.DrawImage(picture.get(), RectF(0.0f, 0.0f, GetSize().Width, GetSize().Height), 0.0f, 0.0f,
              static_cast<float>(picture->GetWidth()), static_cast<float>(picture->GetHeight()), Gdiplus::UnitPixel,
              &attributes);
}

void CRSCanvasFadingImage::PaintContent(Gdiplus::Graphics& g, bool useCache) {
  const std::shared_ptr<Gdiplus::Bitmap>& picture = GetImage();
  if (!picture || m_alphaFactor <= 0.0f) return;
  // Attributes of its own, set through the plain image's interface, take
  // the plain image's way.
  if (GetImageAttributes()) {
    CRSCanvasImage::PaintContent(g, useCache);
    return;
  }
  Gdiplus::Matrix world;
  g.GetTransform(&world);
  const RectF device = Gdiplus::TransformedBounds(world, RectF(0.0f, 0.0f, GetSize().Width, GetSize().Height));
  const long w = std::lround(device.Width), h = std::lround(device.Height);
  // A turned picture, or one too large to keep twice, is drawn as it is.
  if (world.M12() != 0.0 || world.M21() != 0.0 || w <= 0 || h <= 0 ||
      static_cast<float>(w) * static_cast<float>(h) > kMaxKeptPixels) {
    PaintThroughMatrix(g);
    return;
  }
  if (!m_scaled || m_scaled->GetWidth() != w || m_scaled->GetHeight() != h || m_scaledFrom != picture) {
    m_faded.reset();
    m_scaled = std::make_unique<Gdiplus::Bitmap>(static_cast<int>(w), static_cast<int>(h),
                                                 PixelFormat::Format32bppARGB);
    if (!m_scaled->IsValid()) {
      m_scaled.reset();
      PaintThroughMatrix(g);
      return;
    }
    {
      Gdiplus::Graphics sg(m_scaled.get());
      sg.DrawImage(picture.get(), RectF(0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h)), 0.0f, 0.0f,
                   static_cast<float>(picture->GetWidth()), static_cast<float>(picture->GetHeight()),
                   Gdiplus::UnitPixel);
      sg.Flush();
    }
    m_scaledFrom = picture;
    ++m_scales;
  }
  const Gdiplus::Bitmap* shown = m_scaled.get();
  if (!Gdiplus::NearlyEqual(m_alphaFactor, 1.0f)) {
    if (!m_faded) {
      m_faded = std::make_unique<Gdiplus::Bitmap>(m_scaled->GetWidth(), m_scaled->GetHeight(),
                                                  PixelFormat::Format32bppARGB);
      m_fadedFactor = -1.0f;
      if (!m_faded->IsValid()) {
        m_faded.reset();
        PaintThroughMatrix(g);
        return;
      }
    }
    if (m_fadedFactor != m_alphaFactor) {
      Fade(*m_scaled, m_alphaFactor, *m_faded);
      m_fadedFactor = m_alphaFactor;
      ++m_fades;
    }
    shown = m_faded.get();
  }
  g.ResetTransform();
  g.DrawImage(shown, PointF(std::round(device.X), std::round(device.Y)));
}
