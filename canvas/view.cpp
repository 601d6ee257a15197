#include "canvas/view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "canvas/event_dispatcher.h"
#include "canvas/events.h"
#include "canvas/items.h"
#include "canvas/view_input.h"
#include "canvas/view_root.h"
#include "platform/bitmap.h"
#include "platform/brush.h"
#include "platform/clock.h"
#include "platform/display_scale.h"
#include "platform/graphics.h"
#include "platform/image_codec.h"
#include "platform/matrix.h"
#include "platform/messages.h"
#include "platform/resources.h"

namespace {

// A new window takes this share of the screen in each direction, centred,
// until its root gives it a size of its own.
constexpr float kInitialScreenShare = 0.75f;

// The root's local (0, 0) sits a little up and left of the window's corner, so
// that pixel centres of the window fall where the items' coordinates expect.
const PointF kRootTopLeft(-0.4f, -0.4f);

int RoundToInt(float v) { return static_cast<int>(std::lround(v)); }

// The device pixels a length of units takes.
int DeviceLength(float units, float scale) { return RoundToInt(units * scale); }

Rect OutwardRect(const RectF& r) {
  const int l = static_cast<int>(std::floor(r.X)), t = static_cast<int>(std::floor(r.Y));
  const int rt = static_cast<int>(std::ceil(r.GetRight())), b = static_cast<int>(std::ceil(r.GetBottom()));
  return Rect(l, t, rt - l, b - t);
}

// Invalid rectangles kept apart at most; beyond this they are painted as
// their union, which is then rarely much larger than what they cover.
constexpr size_t kMaxDirtyParts = 8;
// Two invalid rectangles become one when their union covers at most this
// many pixels more than the two do: a few thousand pixels cost less to
// paint than a second walk of the tree.
constexpr long long kMergeSlackPixels = 4096;

long long Area(const Rect& r) { return static_cast<long long>(r.Width) * r.Height; }

Rect Bounding(const Rect& a, const Rect& b) {
  const int l = std::min(a.X, b.X), t = std::min(a.Y, b.Y);
  return Rect(l, t, std::max(a.GetRight(), b.GetRight()) - l, std::max(a.GetBottom(), b.GetBottom()) - t);
}

bool Touch(const Rect& a, const Rect& b) {
  return a.X <= b.GetRight() && b.X <= a.GetRight() && a.Y <= b.GetBottom() && b.Y <= a.GetBottom();
}

}  // namespace

CRSCanvasView::CRSCanvasView() = default;

CRSCanvasView::~CRSCanvasView() {
  KillAllTimers();
  if (m_filterAdded && m_loop == platform::MessageLoop::Current() && m_loop) m_loop->RemoveMessageFilter(this);
  if (m_root) DisconnectRoot(m_root.get());
  m_root = nullptr;
  // Destroying the platform window sends no messages back to this handler.
  m_window.reset();
}

bool CRSCanvasView::Create(const std::string& title) {
  if (m_window) return HasWindow();
  auto window = std::make_unique<platform::Window>(title, 640, 480, this);
  if (!window->IsValid()) return false;
  m_window = std::move(window);
  m_scale = platform::GetDisplayScale();
  OnCreate();
  return true;
}

void CRSCanvasView::OnCreate() {
  // Items choose the cursor shown over them; the platform shows it.
  CRSCanvasItem::SetCursorSetter(&platform::Window::SetCursor);
  m_loop = platform::MessageLoop::Current();
  if (m_loop) {
    m_loop->AddMessageFilter(this);
    m_filterAdded = true;
  }
  auto icon = platform::DecodeImage(platform::FindResource("ICON", std::to_string(kIconResource)));
  if (icon) m_window->SetIcon(*icon);
  const Size screen = platform::Window::GetScreenSize();
  if (screen.Width > 0 && screen.Height > 0)
    m_window->ResizeTo(RoundToInt(screen.Width * kInitialScreenShare),
                       RoundToInt(screen.Height * kInitialScreenShare));
  m_window->CenterOnScreen();
  m_window->SetFocus();
}

PointF CRSCanvasView::GetViewOffset() const {
  if (!m_window || !m_root) return PointF();
  const Size client = m_window->GetClientSize();
  const SizeF root = m_root->GetSize();
  return PointF(std::max(0.0f, (client.Width / m_scale - root.Width) * 0.5f),
                std::max(0.0f, (client.Height / m_scale - root.Height) * 0.5f));
}

// The root's corner lies kRootTopLeft device pixels from the window's at
// every scale, so that pixel centres fall inside the shapes that cover them
// as they do at a scale of 1.
Gdiplus::Matrix CRSCanvasView::DeviceTransform() const {
  const PointF offset = GetViewOffset();
  Gdiplus::Matrix m;
  if (m_scale != 1.0f) {
    m.Translate(kRootTopLeft.X * (1.0f - m_scale), kRootTopLeft.Y * (1.0f - m_scale));
    m.Scale(m_scale, m_scale);
  }
  m.Translate(-offset.X, -offset.Y);
  return m;
}

PointF CRSCanvasView::UnitsFromDevice(const PointF& device) const {
  Gdiplus::Matrix back = DeviceTransform();
  PointF units = device;
  if (back.Invert() == Gdiplus::Ok) back.TransformPoints(&units, 1);
  return units;
}

CRSViewRoot* CRSCanvasView::GetViewRoot() const { return dynamic_cast<CRSViewRoot*>(m_root.get()); }

void CRSCanvasView::DisconnectRoot(CRSCanvasItem* root) {
  root->sigInvalidate.disconnect(this);
  root->sigUpdateNow.disconnect(this);
  root->sigResized.disconnect(this);
  root->sigContentChanged.disconnect(this);
  root->sigFocusRequest.disconnect(this);
  root->sigDestroying.disconnect(this);
  if (CRSViewRoot* parts = dynamic_cast<CRSViewRoot*>(root)) {
    if (auto* s = parts->GetMinimizeClicked()) s->disconnect(this);
    if (auto* s = parts->GetMaximizeClicked()) s->disconnect(this);
    if (auto* s = parts->GetRestoreClicked()) s->disconnect(this);
  }
  if (CRSCanvasItem* title = m_titleText.get()) title->sigContentChanged.disconnect(this);
  if (CRSCanvasItem* handle = m_dragHandle.get()) DisconnectDragHandle(handle, this);
  m_titleText = nullptr;
  m_dragHandle = nullptr;
}

void CRSCanvasView::SetRoot(CRSCanvasItem* root) {
  if (m_root.get() == root) return;
  if (CRSCanvasItem* old = m_root.get()) DisconnectRoot(old);
  SetFocusItem(nullptr);
  m_root = root;
  m_captured = nullptr;
  m_draggingWindow = false;
  if (!root) return;

  SizeWindowToRoot();
  root->MoveTopLeftTo(kRootTopLeft);
  CRSViewRoot* parts = GetViewRoot();
  if (parts) {
    if (CRSCanvasItem* handle = parts->GetDragHandle()) {
      m_dragHandle = handle;
      ConnectDragHandle(handle, this, &CRSCanvasView::OnDragHandlePressed);
    }
    if (CRSCanvasText* title = parts->GetTitleTextItem()) {
      m_titleText = title;
      title->sigContentChanged.connect(this, &CRSCanvasView::OnTitleChanged);
      OnTitleChanged(title);
    }
  }
  root->sigDestroying.connect(this, &CRSCanvasView::OnRootDestroying);
  if (parts) {
    if (auto* s = parts->GetMinimizeClicked()) s->connect(this, &CRSCanvasView::OnMinimizeClicked);
    if (auto* s = parts->GetMaximizeClicked()) s->connect(this, &CRSCanvasView::OnMaximizeClicked);
    if (auto* s = parts->GetRestoreClicked()) s->connect(this, &CRSCanvasView::OnRestoreClicked);
  }
  root->sigInvalidate.connect(this, &CRSCanvasView::OnRootInvalidate);
  root->sigUpdateNow.connect(this, &CRSCanvasView::OnRootUpdateNow);
  root->sigResized.connect(this, &CRSCanvasView::OnRootResized);
  root->sigContentChanged.connect(this, &CRSCanvasView::OnRootContentChanged);
  root->sigFocusRequest.connect(this, &CRSCanvasView::SetFocusItem);
  UpdateWindowShape();
  if (HasWindow()) InvalidateWindow(Rect(0, 0, m_window->GetClientSize().Width, m_window->GetClientSize().Height));
}

void CRSCanvasView::OnRootInvalidate(CRSCanvasItem* item, const RectF& rect) {
  if (!HasWindow() || !item) return;
  Gdiplus::Matrix toDevice = item->GetTransformTo(nullptr);
  toDevice.Multiply(DeviceTransform(), Gdiplus::MatrixOrderAppend);
  const RectF bounds = Gdiplus::TransformedBounds(toDevice, rect);
  // Enlarged so that anti-aliased edges are repainted too.
  const float slack = 2.0f * m_scale;
  const RectF device(bounds.X - slack, bounds.Y - slack, bounds.Width + 2.5f * slack, bounds.Height + 2.5f * slack);
  CRSCanvasItem* top = item;
  while (top && !top->IsTopLayer()) top = top->GetParentItem();
  if (top && top != m_topLayer.get()) {
    m_topLayer.Assign(top);
    m_underChanged = true;
  }
  InvalidateWindow(OutwardRect(device), top != nullptr);
  if (m_repaintPendingSince == 0) m_repaintPendingSince = std::max<std::uint32_t>(1, platform::GetTickCount());
  if (!m_watchdogRunning) {
    m_watchdogRunning = true;
    SetTimer(kWatchdogTimer, kWatchdogPeriodMs);
  }
}

void CRSCanvasView::InvalidateWindow(const Rect& rect, bool inTopLayer) {
  if (!HasWindow()) return;
  if (!inTopLayer) m_underChanged = true;
  // Clipped to the client area as the window clips it, so that the list's
  // union can be compared with the window's.
  const Size client = m_window->GetClientSize();
  const int l = std::max(0, rect.X), t = std::max(0, rect.Y);
  const int r = std::min(client.Width, rect.GetRight()), b = std::min(client.Height, rect.GetBottom());
  if (r <= l || b <= t) return;
  Rect part(l, t, r - l, b - t);
  m_window->Invalidate(part);
  m_ownInvalid = m_ownInvalid.IsEmptyArea() ? part : Bounding(m_ownInvalid, part);
  // Overlapping or nearly adjoining rectangles are merged, so no pixel is
  // painted twice and small neighbours do not each cost a walk.
  for (size_t i = 0; i < m_dirtyParts.size();) {
    const Rect& other = m_dirtyParts[i];
    const Rect both = Bounding(part, other);
    if (Touch(part, other) || Area(both) <= Area(part) + Area(other) + kMergeSlackPixels) {
      part = both;
      m_dirtyParts.erase(m_dirtyParts.begin() + static_cast<std::ptrdiff_t>(i));
      i = 0;
    } else {
      ++i;
    }
  }
  m_dirtyParts.push_back(part);
  if (m_dirtyParts.size() > kMaxDirtyParts) {
    Rect all = m_dirtyParts.front();
    for (const Rect& other : m_dirtyParts) all = Bounding(all, other);
    m_dirtyParts.assign(1, all);
  }
}

std::vector<Rect> CRSCanvasView::TakeDirtyParts(const Rect& invalid) {
  std::vector<Rect> parts;
  parts.swap(m_dirtyParts);
  if (parts.size() < 2 || !HasWindow()) return {invalid};
  Rect all = parts.front();
  for (const Rect& part : parts) all = Bounding(all, part);
  // The window was invalidated by others too (a resize, an expose) when its
  // rectangle is not the list's union; a list that spans the whole window
  // cannot tell such a request from its own either.
  const Size client = m_window->GetClientSize();
  if (!(all == invalid) || all == Rect(0, 0, client.Width, client.Height)) return {invalid};
  return parts;
}

void CRSCanvasView::OnRootUpdateNow() {
  if (HasWindow()) m_window->UpdateNow();
}

void CRSCanvasView::SizeWindowToRoot() {
  if (!HasWindow() || !m_root || m_inSize) return;
  m_inSize = true;
  const SizeF s = m_root->GetSize();
  m_window->ResizeTo(DeviceLength(s.Width, m_scale), DeviceLength(s.Height, m_scale));
  m_inSize = false;
}

void CRSCanvasView::OnRootResized(CRSCanvasItem*, const SizeF&) {
  SizeWindowToRoot();
  UpdateWindowShape();
}

void CRSCanvasView::OnRootContentChanged(CRSCanvasItem*) { UpdateWindowShape(); }

void CRSCanvasView::UpdateWindowShape() {
  if (!HasWindow() || !m_root || m_shapePending) return;
  m_shapePending = true;
  const Size client = m_window->GetClientSize();
  InvalidateWindow(Rect(0, 0, client.Width, client.Height));
}

bool CRSCanvasView::AppliedShape::Same(const AppliedShape& other) const {
  return client == other.client && offset.Equals(other.offset) && types == other.types &&
         points.size() == other.points.size() &&
         std::equal(points.begin(), points.end(), other.points.begin(),
                    [](const PointF& a, const PointF& b) { return a.Equals(b); });
}

void CRSCanvasView::ApplyWindowShape() {
  if (!m_shapePending) return;
  m_shapePending = false;
  if (!HasWindow() || !m_root || !m_window->SupportsShapes()) return;
  auto* shape = dynamic_cast<CRSCanvasShape*>(m_root.get());
  if (!shape || !shape->GetPath()) return;
  const Size client = m_window->GetClientSize();
  AppliedShape wanted{shape->GetPath()->Points(), shape->GetPath()->Types(), client, GetViewOffset()};
  if (wanted.Same(m_appliedShape)) return;
  Gdiplus::Bitmap mask(std::max(1, client.Width), std::max(1, client.Height), Gdiplus::PixelFormat::Format32bppARGB);
  if (!mask.IsValid()) return;
  {
    Gdiplus::Graphics g(&mask);
    const Gdiplus::Matrix toDevice = DeviceTransform();
    g.SetTransform(&toDevice);
    g.TranslateTransform(kRootTopLeft.X, kRootTopLeft.Y);
    Gdiplus::SolidBrush opaque(Gdiplus::Color(0xFF000000u));
    g.FillPath(&opaque, shape->GetPath());
  }
  if (m_window->SetShape(mask)) m_appliedShape = std::move(wanted);
}

void CRSCanvasView::OnRootDestroying() {
  // The root is going: so is the window that shows it.
  if (HasWindow()) m_window->Destroy();
}

void CRSCanvasView::OnDragHandlePressed(CRSCanvasItem*) { m_dragAllowed = true; }

void CRSCanvasView::OnTitleChanged(CRSCanvasItem* item) {
  auto* text = dynamic_cast<CRSCanvasText*>(item);
  if (text && HasWindow()) m_window->SetTitle(text->GetText());
}

void CRSCanvasView::OnMinimizeClicked() {
  if (HasWindow()) m_window->Minimize();
}

void CRSCanvasView::OnMaximizeClicked() {
  if (HasWindow()) m_window->ShowMaximized();
}

void CRSCanvasView::OnRestoreClicked() {
  if (HasWindow()) m_window->Restore();
}

void CRSCanvasView::OnSize(unsigned type) {
  if (!m_root || m_inSize || !HasWindow()) return;
  m_inSize = true;
  CRSCanvasItem* root = m_root.get();
  root->SetVisible(type != platform::kSizeMinimized);
  if (CRSViewRoot* parts = GetViewRoot()) parts->SetMaximized(type == platform::kSizeMaximized);
  const Size client = m_window->GetClientSize();
  if (m_root && (client.Width != 0 || client.Height != 0))
    m_root->SetSize(SizeF(client.Width / m_scale, client.Height / m_scale));
  if (m_root && type != platform::kSizeMinimized && type != platform::kSizeMaximized) {
    const SizeF s = m_root->GetSize();
    // The root's minimum size wins over a window made too small.
    if (s.Width * m_scale > client.Width + 1.0f || s.Height * m_scale > client.Height + 1.0f)
      m_window->ResizeTo(DeviceLength(s.Width, m_scale), DeviceLength(s.Height, m_scale));
  }
  m_inSize = false;
  if (HasWindow()) InvalidateWindow(Rect(0, 0, m_window->GetClientSize().Width, m_window->GetClientSize().Height));
}

void CRSCanvasView::PaintTo(const Rect& invalid) {
  m_repaintPendingSince = 0;
  // A repaint long after the one before (a clock's tick) ends the watchdog
  // at once; while repaints follow one another (a drag) it keeps running,
  // so that it is not set again for every frame.
  const std::uint32_t now = platform::GetTickCount();
  if (m_watchdogRunning && now - m_lastPaintAt > kWatchdogPeriodMs) {
    KillTimer(kWatchdogTimer);
    m_watchdogRunning = false;
  }
  m_lastPaintAt = now;
  // Whatever the window asks beyond this view's own requests may have
  // changed anything.
  bool underChanged = m_underChanged || !(invalid == m_ownInvalid);
  m_underChanged = false;
  m_ownInvalid = Rect();
  std::vector<Rect> parts = TakeDirtyParts(invalid);
  if (!HasWindow() || invalid.IsEmptyArea()) return;
  ApplyWindowShape();
  const Size client = m_window->GetClientSize();

  // The back buffer only grows, so resizing back and forth does not churn.
  const int haveW = m_backBuffer ? m_backBuffer->GetWidth() : 0, haveH = m_backBuffer ? m_backBuffer->GetHeight() : 0;
  if (client.Width > haveW || client.Height > haveH) {
    auto buffer = std::make_unique<Gdiplus::Bitmap>(std::max(client.Width, haveW), std::max(client.Height, haveH),
                                                    Gdiplus::PixelFormat::Format24bppRGB);
    if (buffer->IsValid()) m_backBuffer = std::move(buffer);
  }
  if (!m_backBuffer) return;

  // While the top layer holds something (a selection in the player's hand)
  // the rest of the window is kept as it was painted without it, and a
  // frame in which only the layer changed copies that back and paints the
  // layer alone over it.
  CRSCanvasItem* top = UsableTopLayer();
  if (top && (!m_underTop || m_underTop->GetWidth() != m_backBuffer->GetWidth() ||
              m_underTop->GetHeight() != m_backBuffer->GetHeight())) {
    m_underTop = std::make_unique<Gdiplus::Bitmap>(m_backBuffer->GetWidth(), m_backBuffer->GetHeight(),
                                                   Gdiplus::PixelFormat::Format24bppRGB);
    m_underTopValid = false;
    if (!m_underTop->IsValid()) {
      m_underTop.reset();
      top = nullptr;
    }
  }
  if (top && !m_underTopValid) {
    parts.assign(1, Rect(0, 0, client.Width, client.Height));
    underChanged = true;
  }
  const auto copyRows = [](const Gdiplus::Bitmap& from, Gdiplus::Bitmap& into, const Rect& part) {
    const int l = std::max(0, part.X), r = std::min(part.GetRight(), from.GetWidth());
    const int t = std::max(0, part.Y), b = std::min(part.GetBottom(), from.GetHeight());
    for (int y = t; y < b && l < r; ++y) std::memcpy(into.GetRow(y) + l, from.GetRow(y) + l, size_t(r - l) * 4);
  };
  {
    Gdiplus::Graphics g(m_backBuffer.get());
    g.SetCompositingQuality(Gdiplus::CompositingQualityHighSpeed);
    g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    for (const Rect& part : parts) {
      if (top && !underChanged) {
        copyRows(*m_underTop, *m_backBuffer, part);
        m_backBuffer->MarkDirty();
      } else {
        Gdiplus::GraphicsStateSaver saved(g);
        CRSCanvasItem::SplitPaintsAt(top, false);
        PaintPart(g, part);
        CRSCanvasItem::SplitPaintsAt(nullptr, false);
      }
      if (!top) continue;
      if (underChanged) {
        g.Flush();
        copyRows(*m_backBuffer, *m_underTop, part);
      }
      Gdiplus::GraphicsStateSaver saved(g);
      CRSCanvasItem::SplitPaintsAt(top, true);
      PaintPart(g, part);
      CRSCanvasItem::SplitPaintsAt(nullptr, false);
    }
  }
  m_underTopValid = top != nullptr;
  if (!top) m_underTop.reset();

  // One block copy of each painted rectangle onto the window.
  platform::PixelBuffer screen = m_window->GetPixelBuffer();
  if (!screen.pixels) return;
  std::vector<Rect> shown;
  for (const Rect& part : parts) {
    const int l = std::max(0, part.X), t = std::max(0, part.Y);
    const int r = std::min({part.GetRight(), screen.width, m_backBuffer->GetWidth()});
    const int b = std::min({part.GetBottom(), screen.height, m_backBuffer->GetHeight()});
    if (r <= l || b <= t) continue;
    for (int y = t; y < b; ++y) {
      const std::uint32_t* src = m_backBuffer->GetRow(y) + l;
      auto* dst =
          reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(screen.pixels) + y * screen.stride) + l;
      std::memcpy(dst, src, static_cast<size_t>(r - l) * 4);
    }
    shown.push_back(Rect(l, t, r - l, b - t));
  }
  if (!shown.empty()) m_window->Present(shown);
}

void CRSCanvasView::PaintPart(Gdiplus::Graphics& g, const Rect& invalid) {
  const RectF invalidF(static_cast<float>(invalid.X), static_cast<float>(invalid.Y),
                       static_cast<float>(invalid.Width), static_cast<float>(invalid.Height));
  const Gdiplus::Matrix toDevice = DeviceTransform();
  g.ResetTransform();
  g.SetClip(invalidF);
  g.SetTransform(&toDevice);
  if (Gdiplus::AlphaOf(m_backgroundColor) != 0) {
    // Everything of the invalid area that the root does not cover.
    Gdiplus::GraphicsStateSaver saved(g);
    const SizeF rootSize = m_root ? m_root->GetSize() : SizeF();
    g.ExcludeClip(RectF(0, 0, rootSize.Width, rootSize.Height));
    Gdiplus::Matrix back = toDevice;
    back.Invert();
    Gdiplus::SolidBrush white(Gdiplus::Color(0xFFFFFFFFu));
    g.FillRectangle(&white, Gdiplus::TransformedBounds(back, invalidF));
  }
  g.ResetTransform();
  g.SetClip(RectF(invalidF.X - 1, invalidF.Y - 1, invalidF.Width + 2, invalidF.Height + 2));
  g.SetTransform(&toDevice);
  if (CRSCanvasItem* root = m_root.get()) {
    const PointF topLeft = root->GetTopLeft();
    g.TranslateTransform(topLeft.X, topLeft.Y);
    root->Paint(g, CRSCanvasItem::kZOrderTop, true);
  }
}

CRSCanvasItem* CRSCanvasView::UsableTopLayer() const {
  CRSCanvasItem* top = m_topLayer.get();
  CRSCanvasItem* root = m_root.get();
  if (!top || !root || top->GetChildItems().empty()) return nullptr;
  for (CRSCanvasItem* item = top; item != root; item = item->GetParentItem())
    if (!item || !item->IsVisible()) return nullptr;
  return top;
}

void CRSCanvasView::OnTimer(int id, unsigned) {
  if (id != kWatchdogTimer) return;
  if (m_repaintPendingSince == 0 || !m_root) {
    // Everything asked for has been painted: the watchdog sleeps until the
    // next repaint is asked for, so an idle window costs nothing.
    KillTimer(kWatchdogTimer);
    m_watchdogRunning = false;
    return;
  }
  // Paint messages wait behind everything else in the queue; a long burst of
  // posted events must not keep the screen stale.
  if (platform::GetTickCount() - m_repaintPendingSince > kWatchdogDelayMs) OnRootUpdateNow();
}

bool CRSCanvasView::PreTranslateMessage(platform::Message& msg) {
  if (!HasWindow() || msg.target != m_window->GetTargetId()) return false;
  if ((msg.message == platform::kMsgSysKeyDown || msg.message == platform::kMsgSysKeyUp) &&
      msg.wParam != platform::kVkF4) {
    OnKey(msg.message, static_cast<unsigned>(msg.wParam), msg.lParam);
    return true;
  }
  return false;
}

bool CRSCanvasView::OnWindowMessage(const platform::Message& msg) {
  switch (msg.message) {
    case platform::kMsgDestroy:
      SetRoot(nullptr);
      if (m_isMainWindow) platform::PostQuitMessage(0);
      return true;
    case platform::kMsgSize:
      OnSize(static_cast<unsigned>(msg.wParam));
      return true;
    case platform::kMsgPaint:
      PaintTo(m_window->GetPaintRect());
      return true;
    case platform::kMsgKeyDown:
    case platform::kMsgKeyUp:
    case platform::kMsgChar:
    case platform::kMsgSysKeyDown:
    case platform::kMsgSysKeyUp:
      OnKey(msg.message, static_cast<unsigned>(msg.wParam), msg.lParam);
      return false;  // the default handling still follows (Alt+F4 closes)
    case platform::kMsgSysCommand:
      return OnSysCommand(static_cast<unsigned>(msg.wParam));
    case platform::kMsgMouseMove:
    case platform::kMsgLButtonDown:
    case platform::kMsgLButtonUp:
    case platform::kMsgLButtonDblClk:
    case platform::kMsgRButtonDown:
    case platform::kMsgRButtonUp:
    case platform::kMsgRButtonDblClk:
    case platform::kMsgMButtonDown:
    case platform::kMsgMButtonUp:
    case platform::kMsgMButtonDblClk:
    case platform::kMsgMouseWheel:
    case platform::kMsgMouseLeave:
      OnMouseMessage(msg.message, static_cast<unsigned>(msg.wParam), msg.lParam);
      return true;
    default:
      return false;
  }
}

void CRSCanvasView::OnMouseMessage(unsigned message, unsigned keyFlags, std::intptr_t position) {
  if (!m_root || !HasWindow()) return;
  const unsigned release = m_capturedByMiddle ? platform::kMsgMButtonUp : platform::kMsgLButtonUp;
  const unsigned held = m_capturedByMiddle ? platform::kKeyStateMButton : platform::kKeyStateLButton;
  if (m_captured && message != release && !(keyFlags & held)) {
    // The release happened where we could not see it: end the capture first.
    OnMouseMessage(release, keyFlags, position);
    if (!m_root || !HasWindow()) return;
  }
  if (message == platform::kMsgMouseLeave) {
    m_trackingLeave = false;
    DispatchEvent(nullptr, std::make_unique<CRSCanvasEvents::Mouse>(static_cast<int>(message), PointF(0, 0), 0));
    return;
  }
  if (!m_trackingLeave) {
    m_window->TrackMouseLeave();
    m_trackingLeave = true;
  }
  const int cx = platform::MousePositionX(position), cy = platform::MousePositionY(position);
  const PointF rootPoint = UnitsFromDevice(PointF(static_cast<float>(cx), static_cast<float>(cy)));

  CRSAutoPtrPolymorphic<CRSCanvasItem> target = m_captured ? m_captured : CRSAutoPtrPolymorphic<CRSCanvasItem>();
  if (!target) target = m_root->HitTest(rootPoint);
  if (target) {
    m_dragAllowed = false;
    Gdiplus::Matrix toLocal = target->GetTransformTo(nullptr);
    PointF local = rootPoint;
    if (toLocal.Invert() == Gdiplus::Ok) toLocal.TransformPoints(&local, 1);
    DispatchEvent(target.get(), std::make_unique<CRSCanvasEvents::Mouse>(static_cast<int>(message), local, keyFlags));
  }
  if (!HasWindow()) return;

  switch (message) {
    case platform::kMsgMouseMove:
      if (m_draggingWindow) {
        const Rect r = m_window->GetWindowRect();
        m_window->MoveTo(r.X + cx - m_dragStart.X, r.Y + cy - m_dragStart.Y);
      }
      break;
    case platform::kMsgMButtonDown:
      if (!target || m_captured) break;
      m_captured = target;
      m_capturedByMiddle = true;
      m_window->SetCapture();
      break;
    case platform::kMsgMButtonUp:
      if (!m_capturedByMiddle) break;
      m_captured = nullptr;
      m_capturedByMiddle = false;
      m_window->ReleaseCapture();
      break;
    case platform::kMsgLButtonDown:
      if (!target) break;
      m_captured = target;
      m_capturedByMiddle = false;
      m_window->SetCapture();
      if (m_dragAllowed && !m_window->IsMaximized()) {
        m_draggingWindow = true;
        m_dragStart = Point(cx, cy);
      }
      break;
    case platform::kMsgLButtonUp:
      m_draggingWindow = false;
      if (m_capturedByMiddle) break;
      m_captured = nullptr;
      m_window->ReleaseCapture();
      break;
    default:
      break;
  }
}

void CRSCanvasView::OnKey(unsigned message, unsigned virtualKey, std::intptr_t keyData) {
  if (!m_root) return;
  CRSEventReceiver* handler = FindKeyHandler(m_root.get());
  CRSCanvasItem* focus = GetLiveFocusItem();
  if (!handler && !focus) return;
  auto key = std::make_unique<CRSCanvasEvents::Key>(static_cast<int>(message), virtualKey, static_cast<long>(keyData));
  if (!focus) {
    DispatchEvent(handler, std::move(key));
    return;
  }
  key->m_unhandledTarget.Assign(handler);
  key->m_focusItem.Assign(focus);
  DispatchEvent(focus, std::move(key));
}

bool CRSCanvasView::OnSysCommand(unsigned command) {
  if (!m_root) return false;
  const unsigned c = command & 0xFFF0u;
  CRSViewRoot* parts = GetViewRoot();
  CRSSignalEmittedTroughEvent0* click = nullptr;
  if (c == platform::kSysCommandMinimize) click = parts ? parts->GetMinimizeClicked() : nullptr;
  else if (c == platform::kSysCommandMaximize) click = parts ? parts->GetMaximizeClicked() : nullptr;
  else if (c == platform::kSysCommandRestore) click = parts ? parts->GetRestoreClicked() : nullptr;
  else return false;
  if (click) click->EmitLater();
  return true;
}
