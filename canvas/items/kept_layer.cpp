// The kept picture of a layer: dirty parts, scrolling and soft scaling.

#include "canvas/items/kept_layer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "canvas/items/sharp_work_budget.h"

namespace {

// More dirty parts than this are painted as their bounding box: each part is
// a walk of every child.
constexpr size_t kMaxDirtyParts = 8;
// Parts this close (in pixels of the area their bounding box adds) are one.
constexpr int kMergeSlackPixels = 64 * 64;

Rect Intersection(const Rect& a, const Rect& b) {
  const int l = std::max(a.X, b.X), t = std::max(a.Y, b.Y);
  const int r = std::min(a.GetRight(), b.GetRight()), bottom = std::min(a.GetBottom(), b.GetBottom());
  return r > l && bottom > t ? Rect(l, t, r - l, bottom - t) : Rect();
}

Rect Bounding(const Rect& a, const Rect& b) {
  const int l = std::min(a.X, b.X), t = std::min(a.Y, b.Y);
  return Rect(l, t, std::max(a.GetRight(), b.GetRight()) - l, std::max(a.GetBottom(), b.GetBottom()) - t);
}

long long Area(const Rect& r) { return static_cast<long long>(r.Width) * r.Height; }

// The parts of `whole` outside `hole` (up to four strips).
std::vector<Rect> Around(const Rect& whole, const Rect& hole) {
  const Rect in = Intersection(whole, hole);
  if (in.IsEmptyArea()) return {whole};
  std::vector<Rect> strips;
  const auto add = [&](const Rect& r) {
    if (!r.IsEmptyArea()) strips.push_back(r);
  };
  add(Rect(whole.X, whole.Y, whole.Width, in.Y - whole.Y));
  add(Rect(whole.X, in.GetBottom(), whole.Width, whole.GetBottom() - in.GetBottom()));
  add(Rect(whole.X, in.Y, in.X - whole.X, in.Height));
  add(Rect(in.GetRight(), in.Y, whole.GetRight() - in.GetRight(), in.Height));
  return strips;
}

bool SameLinearPart(const Gdiplus::Matrix& a, const Gdiplus::Matrix& b) {
  return a.M11() == b.M11() && a.M12() == b.M12() && a.M21() == b.M21() && a.M22() == b.M22();
}

// Whether two offsets differ by whole pixels, so that a picture made under
// one lands on the same pixel grid under the other.
bool WholePixelsApart(float a, float b) {
  const float d = a - b;
  return std::fabs(d - std::round(d)) < 1e-3f;
}

}  // namespace

CRSKeptLayer::CRSKeptLayer(CRSCanvasItem* parent, const char* name, bool keepsPicture)
    : CRSCanvasItem(PointF(), parent, name), m_keepsPicture(keepsPicture) {
  SetKeepsPaintCache(keepsPicture);
}

CRSKeptLayer::~CRSKeptLayer() { KillAllTimers(); }

void CRSKeptLayer::ConnectToRoot() {
  CRSCanvasItem* root = GetRootItem();
  if (root == m_root.get() || root == this) return;
  if (CRSCanvasItem* old = m_root.get()) old->sigInvalidate.disconnect(this);
  m_root.Assign(root);
  root->sigInvalidate.connect(this, &CRSKeptLayer::OnRootInvalidate);
}

void CRSKeptLayer::Invalidate() {
  // A frozen layer is being moved (its changes of place and scale are the
  // picture's to follow); what changes below it meanwhile says so itself.
  if (!CanInvalidate()) return;
  if (!m_transformOnly) MarkAllDirty();
  CRSCanvasItem* root = GetRootItem();
  if (root != this && !root->IsBeingDeleted()) root->sigInvalidate(this, GetLocalRect());
}

void CRSKeptLayer::InvalidateTransform() {
  m_transformOnly = true;
  Invalidate();
  m_transformOnly = false;
}

void CRSKeptLayer::OnDescendantChanged() {
  // Below a hidden or frozen layer, changes ask for no repaint at all: the
  // picture cannot know where they were.
  if (!CanInvalidate()) MarkAllDirty();
}

void CRSKeptLayer::OnRootInvalidate(CRSCanvasItem* item, const RectF& rect) {
  if (!m_picture || !item || item == this) return;
  CRSCanvasItem* up = item->GetParentItem();
  while (up && up != this) up = up->GetParentItem();
  if (!up) return;
  Gdiplus::Matrix toDevice = item->GetTransformTo(this);
  toDevice.Multiply(m_world, MatrixOrderAppend);
  const RectF device = Gdiplus::TransformedBounds(toDevice, rect);
  // The sharp picture no longer shows what lies below.
  DropBase();
  // Two pixels of slack for anti-aliased edges, as the window repaints.
  const int l = static_cast<int>(std::floor(device.GetLeft())) - 2;
  const int t = static_cast<int>(std::floor(device.GetTop())) - 2;
  const int r = static_cast<int>(std::ceil(device.GetRight())) + 3;
  const int b = static_cast<int>(std::ceil(device.GetBottom())) + 3;
  AddDirty(Rect(l - m_area.X, t - m_area.Y, r - l, b - t));
}

void CRSKeptLayer::AddDirty(const Rect& rect) {
  if (!m_picture) return;
  Rect part = Intersection(rect, Rect(0, 0, m_area.Width, m_area.Height));
  if (part.IsEmptyArea()) return;
  for (size_t i = 0; i < m_dirty.size();) {
    const Rect both = Bounding(part, m_dirty[i]);
    if (Area(both) <= Area(part) + Area(m_dirty[i]) + kMergeSlackPixels) {
      part = both;
      m_dirty.erase(m_dirty.begin() + static_cast<std::ptrdiff_t>(i));
      i = 0;
    } else {
      ++i;
    }
  }
  m_dirty.push_back(part);
  if (m_dirty.size() > kMaxDirtyParts) {
    Rect all = m_dirty.front();
    for (const Rect& r : m_dirty) all = Bounding(all, r);
    m_dirty.assign(1, all);
  }
}

void CRSKeptLayer::MarkAllDirty() {
  DropBase();
  m_sharpening = false;
  m_soft = false;
  if (!m_picture) return;
  m_dirty.assign(1, Rect(0, 0, m_area.Width, m_area.Height));
}

void CRSKeptLayer::ScaleSoftlyFor(unsigned restMs) {
  if (!m_keepsPicture) return;
  m_scaleSoftly = true;
  SetTimer(kSharpenTimer, std::max(1u, restMs));
}

void CRSKeptLayer::Sharpen() {
  KillTimer(kSharpenTimer);
  m_scaleSoftly = false;
  DropBase();
  if (!m_soft || m_sharpening) return;
  if (!m_picture) {
    m_soft = false;
    return;
  }
  m_sharpening = true;
  m_softFromRow = 0;
  // The first band is painted with the next frame.
  if (!CanInvalidate()) return;
  CRSCanvasItem* root = GetRootItem();
  if (root != this && !root->IsBeingDeleted()) root->sigInvalidate(this, GetLocalRect());
}

void CRSKeptLayer::SharpenBand() {
  const int rows = std::min(kSharpenBandRows, m_area.Height - m_softFromRow);
  if (rows > 0) AddDirty(Rect(0, m_softFromRow, m_area.Width, rows));
  m_softFromRow += std::max(rows, 0);
  if (m_softFromRow < m_area.Height) {
    // The next band's frame: its rows on screen are all that must change.
    Gdiplus::Matrix toLocal = m_world;
    if (toLocal.Invert() == Gdiplus::Ok && CanInvalidate()) {
      const RectF band(static_cast<float>(m_area.X), static_cast<float>(m_area.Y + m_softFromRow),
                       static_cast<float>(m_area.Width), static_cast<float>(kSharpenBandRows));
      CRSCanvasItem* root = GetRootItem();
      if (root != this && !root->IsBeingDeleted()) root->sigInvalidate(this, Gdiplus::TransformedBounds(toLocal, band));
    }
    return;
  }
  m_sharpening = false;
  m_soft = false;
  // The buffers the scaled steps went through are not needed until the
  // wheel turns again.
  m_spare.reset();
}

void CRSKeptLayer::OnTimer(int id, unsigned elapsedMs) {
  if (id == kSharpenTimer) {
    Sharpen();
    return;
  }
  CRSCanvasItem::OnTimer(id, elapsedMs);
}

void CRSKeptLayer::Scroll(const Rect& area, int dx, int dy) {
  DropBase();
  // Where the old picture's pixels land in the new one.
  const int ox = m_area.X + dx - area.X, oy = m_area.Y + dy - area.Y;
  const Rect moved = Intersection(Rect(ox, oy, m_area.Width, m_area.Height), Rect(0, 0, area.Width, area.Height));
  std::unique_ptr<Gdiplus::Bitmap> target;
  if (area.Width != m_area.Width || area.Height != m_area.Height) {
    target = TakeBuffer(area.Width, area.Height);
    if (!target) {
      m_picture.reset();
      return;
    }
  }
  Gdiplus::Bitmap& to = target ? *target : *m_picture;
  if (!moved.IsEmptyArea() && (ox != 0 || oy != 0 || target)) {
    const std::uint8_t* from = m_picture->GetData();
    std::uint8_t* into = to.GetData();
    const int fromStride = m_picture->GetStride(), intoStride = to.GetStride();
    const size_t bytes = static_cast<size_t>(moved.Width) * 4;
    // Rows are taken in the order that never overwrites one still to come.
    const bool upward = !target && oy > 0;
    for (int i = 0; i < moved.Height; ++i) {
      const int y = upward ? moved.GetBottom() - 1 - i : moved.Y + i;
      std::memmove(
          into + static_cast<std::ptrdiff_t>(y) * intoStride + static_cast<std::ptrdiff_t>(moved.X) * 4,
          from + static_cast<std::ptrdiff_t>(y - oy) * fromStride + static_cast<std::ptrdiff_t>(moved.X - ox) * 4,
          bytes);
    }
    to.MarkDirty();
  }
  // The parts still to paint move along, and what came into view joins them.
  std::vector<Rect> dirty;
  dirty.swap(m_dirty);
  if (target) {
    m_spare = std::move(m_picture);
    m_picture = std::move(target);
  }
  m_area = area;
  // Rows still soft move along too.
  m_softFromRow = std::clamp(m_softFromRow + oy, 0, area.Height);
  for (const Rect& r : dirty) AddDirty(Rect(r.X + ox, r.Y + oy, r.Width, r.Height));
  for (const Rect& r : Around(Rect(0, 0, area.Width, area.Height), moved)) AddDirty(r);
}

std::unique_ptr<Gdiplus::Bitmap> CRSKeptLayer::TakeBuffer(int width, int height) {
  if (m_spare && m_spare->GetWidth() == width && m_spare->GetHeight() == height) return std::move(m_spare);
  m_spare.reset();
  auto buffer = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat::Format32bppARGB);
  if (!buffer->IsValid()) buffer.reset();
  return buffer;
}

void CRSKeptLayer::DropBase() {
  if (m_base) m_spare = std::move(m_base);
}

namespace {

// The whole pixels of `into` that a picture of `from` pixels, drawn under
// `map`, covers.
Rect CoveredBy(const Gdiplus::Matrix& map, const Rect& from, const Rect& into) {
  const RectF landed = Gdiplus::TransformedBounds(
      map, RectF(0.0f, 0.0f, static_cast<float>(from.Width), static_cast<float>(from.Height)));
  const int l = static_cast<int>(std::ceil(landed.GetLeft())), t = static_cast<int>(std::ceil(landed.GetTop()));
  return Intersection(Rect(l, t, static_cast<int>(std::floor(landed.GetRight())) - l,
                           static_cast<int>(std::floor(landed.GetBottom())) - t),
                      Rect(0, 0, into.Width, into.Height));
}

// Pixels of a picture made under `fromWorld` over `from` to those of one
// made under `toWorld` over `to`: back to the layer's space and out again.
bool PictureMap(const Gdiplus::Matrix& fromWorld, const Rect& from, const Gdiplus::Matrix& toWorld, const Rect& to,
                Gdiplus::Matrix* map) {
  Gdiplus::Matrix back = fromWorld;
  if (back.Invert() != Gdiplus::Ok) return false;
  map->Reset();
  map->Translate(static_cast<float>(from.X), static_cast<float>(from.Y));
  map->Multiply(back, MatrixOrderAppend);
  map->Multiply(toWorld, MatrixOrderAppend);
  map->Translate(static_cast<float>(-to.X), static_cast<float>(-to.Y), MatrixOrderAppend);
  return true;
}

}  // namespace

void CRSKeptLayer::Rescale(const Gdiplus::Matrix& world, const Rect& area) {
  if (!m_soft) {
    // The sharp picture stays the source for the steps to come.
    m_base = std::move(m_picture);
    m_baseWorld = m_world;
    m_baseArea = m_area;
  }
  Gdiplus::Matrix map;
  const Gdiplus::Bitmap* source = nullptr;
  Rect covered;
  if (m_base && PictureMap(m_baseWorld, m_baseArea, world, area, &map)) {
    covered = CoveredBy(map, m_baseArea, area);
    // Its edges may fall a pixel short of the area; they are painted anew.
    if (Area(covered) * 10 >= Area(area) * 9 || !m_picture) source = m_base.get();
  }
  if (!source && m_picture && PictureMap(m_world, m_area, world, area, &map)) {
    covered = CoveredBy(map, m_area, area);
    source = m_picture.get();
  }
  std::unique_ptr<Gdiplus::Bitmap> target = TakeBuffer(area.Width, area.Height);
  if (!source || !target) {
    m_picture.reset();
    DropBase();
    return;
  }
  if (!covered.IsEmptyArea()) {
    Gdiplus::Graphics pg(target.get());
    pg.SetClip(RectF(static_cast<float>(covered.X), static_cast<float>(covered.Y), static_cast<float>(covered.Width),
                     static_cast<float>(covered.Height)));
    pg.SetInterpolationMode(Gdiplus::InterpolationModeDefault);
    pg.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    pg.SetTransform(&map);
    pg.DrawImage(source,
                 RectF(0.0f, 0.0f, static_cast<float>(source->GetWidth()), static_cast<float>(source->GetHeight())));
  }
  m_spare = std::move(m_picture);
  m_picture = std::move(target);
  m_world = world;
  m_area = area;
  m_dirty.clear();
  // Only whole pixels of the scaled picture are kept; the edges around them
  // are painted from the children.
  for (const Rect& r : Around(Rect(0, 0, area.Width, area.Height), covered)) AddDirty(r);
  m_soft = true;
  m_sharpening = false;
}

void CRSKeptLayer::PaintDirty(const Gdiplus::Graphics& like, int maxZ) {
  if (m_dirty.empty()) return;
  // A child may ask for a repaint while it is painted (a shadow made at its
  // first paint): that part waits for the next frame.
  std::vector<Rect> dirty;
  dirty.swap(m_dirty);
  Gdiplus::Graphics pg(m_picture.get());
  pg.SetSmoothingMode(like.GetSmoothingMode());
  pg.SetInterpolationMode(like.GetInterpolationMode());
  pg.SetCompositingQuality(like.GetCompositingQuality());
  pg.SetTextRenderingHint(like.GetTextRenderingHint());
  Gdiplus::Matrix world = m_world;
  world.Translate(static_cast<float>(-m_area.X), static_cast<float>(-m_area.Y), MatrixOrderAppend);
  for (const Rect& part : dirty) {
    const Gdiplus::GraphicsState state = pg.Save();
    pg.SetClip(RectF(static_cast<float>(part.X), static_cast<float>(part.Y), static_cast<float>(part.Width),
                     static_cast<float>(part.Height)));
    pg.Clear(Gdiplus::Color(0u));
    pg.SetTransform(&world);
    CRSCanvasItem::Paint(pg, maxZ, true);
    pg.Restore(state);
  }
}

void CRSKeptLayer::Paint(Gdiplus::Graphics& g, int maxZ, bool useCache) {
  if (!m_keepsPicture || !useCache || maxZ != kZOrderTop || !IsVisible() ||
      g.GetCompositingMode() != Gdiplus::CompositingModeSourceOver) {
    CRSCanvasItem::Paint(g, maxZ, useCache);
    return;
  }
  Gdiplus::Matrix world;
  g.GetTransform(&world);
  const RectF device = Gdiplus::TransformedBounds(world, GetLocalRect());
  const int l = std::max(0, static_cast<int>(std::floor(device.GetLeft())));
  const int t = std::max(0, static_cast<int>(std::floor(device.GetTop())));
  const int r = std::min(g.GetTargetWidth(), static_cast<int>(std::ceil(device.GetRight())));
  const int b = std::min(g.GetTargetHeight(), static_cast<int>(std::ceil(device.GetBottom())));
  const Rect area(l, t, r - l, b - t);
  if (area.IsEmptyArea() || static_cast<float>(Area(area)) > kMaxPicturePixels || !world.IsInvertible()) {
    m_picture.reset();
    m_base.reset();
    m_spare.reset();
    CRSCanvasItem::Paint(g, maxZ, useCache);
    return;
  }
  ConnectToRoot();
  // While the wheel turns, a frame makes only so many new copies and
  // shadows; what it drew without them is sharpened with the rest.
  std::optional<CRSSharpWorkBudget> budget;
  if (m_scaleSoftly) budget.emplace(CRSSharpWorkBudget::kBurstFramePixels);
  if (m_picture) {
    if (SameLinearPart(world, m_world) && WholePixelsApart(world.DX(), m_world.DX()) &&
        WholePixelsApart(world.DY(), m_world.DY())) {
      const int dx = static_cast<int>(std::lround(world.DX() - m_world.DX()));
      const int dy = static_cast<int>(std::lround(world.DY() - m_world.DY()));
      if (dx != 0 || dy != 0 || !(area == m_area)) Scroll(area, dx, dy);
      m_world = world;
    } else if (m_scaleSoftly) {
      // What changed below is brought up to date first, under the old
      // transform.
      PaintDirty(g, maxZ);
      Rescale(world, area);
    } else if (area.Width == m_area.Width && area.Height == m_area.Height) {
      m_world = world;
      m_area = area;
      m_soft = false;
      MarkAllDirty();
    } else {
      m_picture.reset();
    }
  }
  if (!m_picture) {
    m_picture = TakeBuffer(area.Width, area.Height);
    if (!m_picture) {
      // Painted straight, nothing would sharpen what fell short.
      budget.reset();
      CRSCanvasItem::Paint(g, maxZ, useCache);
      return;
    }
    m_world = world;
    m_area = area;
    m_soft = false;
    MarkAllDirty();
  }
  if (m_sharpening) SharpenBand();
  PaintDirty(g, maxZ);
  if (budget && budget->FellShort()) m_soft = true;
  const Gdiplus::GraphicsState state = g.Save();
  g.ResetTransform();
  g.DrawImage(m_picture.get(), PointF(static_cast<float>(m_area.X), static_cast<float>(m_area.Y)));
  g.Restore(state);
}
