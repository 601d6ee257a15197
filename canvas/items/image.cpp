// Image items: a shared picture, an optional colour matrix applied once into
// a prepared copy, and a device-resolution cache for axis-aligned images.

#include <algorithm>
#include <cmath>

#include "canvas/items.h"
#include "canvas/items/sharp_work_budget.h"
#include "platform/image_helpers.h"

CRSCanvasImage::CRSCanvasImage(const PointF& position, CRSObject* parent, const std::string& name,
                               std::shared_ptr<Gdiplus::Bitmap> picture)
    : CRSCanvasItem(position, parent, name) {
  SetDrawsItself(true);
  if (picture) SetImage(std::move(picture), true);
}

CRSCanvasImage::~CRSCanvasImage() { DropCaches(); }

void CRSCanvasImage::DropCaches() {
  m_prepared.reset();
  m_reduced.reset();
  m_reducedLevel = 0;
  m_cached.reset();
}

void CRSCanvasImage::SetImage(std::shared_ptr<Gdiplus::Bitmap> picture, bool resize) {
  if (picture == m_picture) return;
  const bool wasEnabled = GetUpdatesEnabled();
  if (resize) {
    Invalidate();
    SetUpdatesEnabled(false);
  }
  m_picture = std::move(picture);
  DropCaches();
  if (resize) {
    SetOrigin(PointF());
    if (m_picture && m_picture->GetWidth() != 0 && m_picture->GetHeight() != 0) {
      // A picture made for a denser screen takes the units it was made for.
      SetSize(SizeF(m_picture->GetUnitWidth(), m_picture->GetUnitHeight()));
    } else {
      SetSize(SizeF());
      m_picture.reset();
    }
    UpdateTransform();
    SetUpdatesEnabled(wasEnabled);
  }
  sigContentChanged(this);
  Invalidate();
}

void CRSCanvasImage::SetImageAttributes(std::shared_ptr<Gdiplus::ImageAttributes> attributes) {
  m_attributes = std::move(attributes);
  DropCaches();
  Invalidate();
}

void CRSCanvasImage::SetColorMatrix(const Gdiplus::ColorMatrix& matrix) {
  // Attributes may be shared with other images: change a copy of our own.
  auto attributes = std::make_shared<Gdiplus::ImageAttributes>();
  attributes->SetColorMatrix(&matrix);
  SetImageAttributes(std::move(attributes));
}

void CRSCanvasImage::SetCacheEnabled(bool on) {
  if (on == m_cacheEnabled) return;
  m_cacheEnabled = on;
  if (!on) m_cached.reset();
}

void CRSCanvasImage::SetVisible(bool visible) {
  CRSCanvasItem::SetVisible(visible);
  // A picture seen through a colour matrix (the play room's ghost of a
  // whole puzzle) keeps a prepared copy as large as the picture itself; a
  // hidden image gives it up and prepares it again when it is next shown.
  if (!visible && m_attributes) DropCaches();
}

const Gdiplus::Bitmap* CRSCanvasImage::PreparedPicture() {
  if (!m_attributes) return m_picture.get();
  if (!m_prepared) {
    m_prepared = m_attributes->Apply(*m_picture);
    if (!m_prepared) return m_picture.get();
  }
  return m_prepared.get();
}

int CRSCanvasImage::ReductionLevel(float deviceScale) {
  int level = 0;
  for (float s = deviceScale; s > 0.0f && s <= 0.5f && level < 8; s *= 2.0f) ++level;
  return level;
}

const Gdiplus::Bitmap* CRSCanvasImage::PictureForScale(float deviceScale) {
  return PictureAtLevel(ReductionLevel(deviceScale));
}

const Gdiplus::Bitmap* CRSCanvasImage::PictureAtLevel(int level) {
  const Gdiplus::Bitmap* picture = PreparedPicture();
  if (!picture) return nullptr;
  m_fellBack = false;
  if (level <= 0) {
    m_reduced.reset();
    m_reducedLevel = 0;
    return picture;
  }
  if (!m_reduced || m_reducedLevel != level) {
    // Halved from the nearest copy at hand: from the level above when the
    // item is zoomed out a step further, else from the picture.
    const bool fromCopy = m_reduced && m_reducedLevel < level;
    const Gdiplus::Bitmap& from = fromCopy ? *m_reduced : *picture;
    // Each halving reads a quarter of the pixels of the one before.
    const long long pixels = static_cast<long long>(from.GetWidth()) * from.GetHeight() * 4 / 3;
    if (!CRSSharpWorkBudget::Spend(pixels)) {
      // Left for a later frame: the nearest copy at hand is drawn meanwhile.
      m_fellBack = true;
      return m_reduced ? m_reduced.get() : picture;
    }
    std::unique_ptr<Gdiplus::Bitmap> copy;
    int have = 0;
    if (fromCopy) {
      copy = std::move(m_reduced);
      have = m_reducedLevel;
    }
    while (have < level) {
      std::unique_ptr<Gdiplus::Bitmap> half = platform::HalvedCopy(copy ? *copy : *picture);
      if (!half) break;
      copy = std::move(half);
      ++have;
    }
    m_reduced = std::move(copy);
    m_reducedLevel = m_reduced ? have : 0;
  }
  return m_reduced ? m_reduced.get() : picture;
}

bool CRSCanvasImage::PaintFromCache(Gdiplus::Graphics& g, const Gdiplus::Bitmap& picture) {
  const float rotation = GetAccumulatedRotation();
  const PointF scale = GetAccumulatedScale();
  const SizeF scaledSize(GetSize().Width * scale.X, GetSize().Height * scale.Y);
  Gdiplus::Matrix world;
  g.GetTransform(&world);
  const RectF local(0.0f, 0.0f, GetSize().Width, GetSize().Height);
  const RectF device = Gdiplus::TransformedBounds(world, local);
  const float left = device.GetLeft(), right = device.GetRight();
  const float top = device.GetTop(), bottom = device.GetBottom();
  const float deviceX = std::round(left), deviceY = std::round(top);

  if (m_cached && !(m_cachedRotation == rotation && m_cachedScaledSize.Equals(scaledSize))) {
    m_cached.reset();
  }
  // A drawn size met for the first time after another (a zoom step) is
  // drawn straight; the copy is made when the same size comes again.
  // Nor is one made from a copy drawn only until the right one is made.
  const bool settled = !m_fellBack && (m_cacheBuilds == 0 || m_lastScaledSize.Equals(scaledSize));
  m_lastScaledSize = scaledSize;
  if (!m_cached) {
    const float area = (right - left) * (bottom - top);
    const long quarter = std::lround(rotation);
    // A large picture drawn at its own size is already a plain copy and
    // needs no second one; drawn scaled, it would be filtered again on
    // every frame (a full-screen photo takes longer than a frame), so it is
    // kept at its drawn size too, up to a 4K screen.
    const bool unscaled = std::fabs(right - left - static_cast<float>(picture.GetWidth())) < 0.01f &&
                          std::fabs(bottom - top - static_cast<float>(picture.GetHeight())) < 0.01f;
    const bool fits = area < kMaxCachedDevicePixels || (!unscaled && area < kMaxCachedScaledPixels);
    const int w = static_cast<int>(std::lround(right - left));
    const int h = static_cast<int>(std::lround(bottom - top));
    const bool shrunk = m_picture && static_cast<long long>(w) * h <
                                         static_cast<long long>(m_picture->GetWidth()) * m_picture->GetHeight();
    const bool keeps = m_cacheEnabled || (m_cacheWhenShrunk && shrunk);
    if (fits && quarter % 90 == 0 && (!keeps || !settled)) {
      // Drawn straight, but filtered and bounded as its screen copy would
      // have been, so that an image kept without one looks exactly the
      // same. The state is the caller's to restore.
      g.SetInterpolationMode(Gdiplus::InterpolationModeDefault);
      g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
      g.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
      g.ResetTransform();
      g.IntersectClip(RectF(deviceX, deviceY, static_cast<float>(w), static_cast<float>(h)));
      g.SetTransform(&world);
      return false;
    }
    if (fits && quarter % 90 == 0) {
      auto device = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat::Format32bppARGB);
      if (device->IsValid()) {
        {
          Gdiplus::Graphics dg(device.get());
          Gdiplus::Matrix m = world;
          m.Translate(-deviceX, -deviceY, MatrixOrderAppend);
          dg.SetTransform(&m);
          dg.DrawImage(&picture, local, 0.0f, 0.0f, static_cast<float>(picture.GetWidth()),
                       static_cast<float>(picture.GetHeight()), Gdiplus::UnitPixel);
        }
        // The screen copy keeps the pixels just drawn rather than a second
        // copy of them.
        m_cached = std::make_unique<Gdiplus::CachedBitmap>(std::move(device), &g);
        m_cachedRotation = rotation;
        m_cachedScaledSize = scaledSize;
        ++m_cacheBuilds;
      }
    }
  }
  if (!m_cached) return false;
  g.ResetTransform();
  g.DrawCachedBitmap(m_cached.get(), static_cast<int>(deviceX), static_cast<int>(deviceY));
  ++m_cacheDraws;
  return true;
}

void CRSCanvasImage::PaintContent(Gdiplus::Graphics& g, bool useCache) {
  if (!m_picture) return;
  // Device pixels per picture pixel, along the shorter way.
  Gdiplus::Matrix world;
  g.GetTransform(&world);
  float m[6];
  world.GetElements(m);
  const float deviceScale =
      std::min(std::hypot(m[0], m[1]) * GetSize().Width / static_cast<float>(std::max(1, m_picture->GetWidth())),
               std::hypot(m[2], m[3]) * GetSize().Height / static_cast<float>(std::max(1, m_picture->GetHeight())));
  const Gdiplus::Bitmap* picture = PictureForScale(deviceScale);
  if (useCache && PaintFromCache(g, *picture)) return;
  g.DrawImage(picture, RectF(0.0f, 0.0f, GetSize().Width, GetSize().Height), 0.0f, 0.0f,
              static_cast<float>(picture->GetWidth()), static_cast<float>(picture->GetHeight()),
              Gdiplus::UnitPixel);
}

bool CRSCanvasImage::PaintsOpaque() const {
  return m_picture && !m_attributes && m_picture->GetPixelFormat() == PixelFormat::Format24bppRGB;
}

bool CRSCanvasImage::ContainsPoint(const PointF& local) {
  if (!m_picture || !GetLocalRect().Contains(local)) return false;
  const float w = GetSize().Width, h = GetSize().Height;
  const long px = std::lround(static_cast<float>(m_picture->GetWidth()) * local.X / w);
  const long py = std::lround(static_cast<float>(m_picture->GetHeight()) * local.Y / h);
  if (px < 0 || py < 0 || px >= m_picture->GetWidth() || py >= m_picture->GetHeight()) return false;
  return m_picture->GetPixel(static_cast<int>(px), static_cast<int>(py)) > 0x00FFFFFFu;
}
