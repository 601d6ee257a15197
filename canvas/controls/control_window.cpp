// Control windows: frame options, the modal list, moving by the title and
// resizing by the edges.

#include "canvas/controls/control_window.h"

#include <algorithm>
#include <cmath>

#include "canvas/behaviours.h"
#include "canvas/event_dispatcher.h"
#include "canvas/events.h"
#include "canvas/weak_ref.h"
#include "platform/cursors.h"
#include "platform/messages.h"

namespace {

// The process-wide modal list, oldest first. It owns nothing: entries read
// null once their window is gone, so a window destroyed while on the list
// blocks nothing.
std::vector<CRSWeakRef<CRSControlWindow>>& ModalList() {
  static std::vector<CRSWeakRef<CRSControlWindow>> list;
  return list;
}

// Cursors shown over the edges of a resizable window.
using platform::kCursorSizeNESW;
using platform::kCursorSizeNS;
using platform::kCursorSizeNWSE;
using platform::kCursorSizeWE;

// The smallest window the edges can make: room for the title buttons and a
// little client area.
constexpr float kMinResizeWidth = 80.0f;
constexpr float kMinResizeHeight = 40.0f;

}  // namespace

CRSControlWindow::CRSControlWindow(const PointF& position, CRSObject* parent, const std::string& name,
                                   const SizeF& size)
    : CRSControlWithClientArea<CRSCanvasShape>(position, parent, name) {
  // The frame's outline is rebuilt by the style for every size; stretching
  // the old one would round the corners unevenly.
  SetFitPath(false);
  // The window watches its own mouse events ahead of its behaviours: the
  // raise behaviour lifts the window on a press, and the press point must be
  // read before that.
  AddFilter(this, this, CRSEvents::kEventMouse);
  // A window at the top of the tree is a view's root: the view moves the
  // platform window by the title, and lifting the root would shift the whole
  // picture inside it.
  if (GetParentItem()) new CBehaviourRaiseable(this);
  // The window moves only by its title and resizes by its edges, so the
  // general drag stays off; callers that want the whole window draggable
  // switch it on.
  (new CBehaviourDrag(this))->SetEnabled(false);
  SetCursor(0);
  if (CRSCanvasItem* area = GetClientArea())
    area->sigMinSizeChanged.connect(this, &CRSControlWindow::OnClientMinSizeChanged);
  SetSize(size);
  RebuildFrame();
}

CRSControlWindow::~CRSControlWindow() {
  // The receiver's own destructor takes the window off the listener lists.
  RemoveFromModalList();
}

CRSWindowFrameOptions CRSControlWindow::GetFrameOptions() const {
  CRSWindowFrameOptions options;
  options.titleBar = m_titleBar;
  options.toolWindow = m_toolWindow;
  options.frameMode = m_frameMode;
  return options;
}

CRSControlButton* CRSControlWindow::GetTitleButton(int slot) const {
  if (slot < 0 || slot >= kTitleButtonCount) return nullptr;
  return m_titleButtons[slot].get();
}

void CRSControlWindow::SetFrameParts(CRSCanvasItem* frame, CRSCanvasItem* title, CRSCanvasText* caption,
                                     CRSCanvasItem* grip) {
  m_frame = frame;
  m_title = title;
  m_caption = caption;
  m_grip = grip;
}

void CRSControlWindow::SetTitleButton(int slot, CRSControlButton* button) {
  if (slot < 0 || slot >= kTitleButtonCount) return;
  CRSControlButton* old = m_titleButtons[slot].get();
  if (old == button) return;
  if (old) old->Delete();
  m_titleButtons[slot] = button;
  // Only the close button is the window's own business; the others are
  // connected by whoever owns the window (the view, for its root).
  if (button && slot == kButtonClose) button->sigClicked.connect(this, &CRSControlWindow::Close);
}

void CRSControlWindow::RebuildFrame() {
  if (m_rebuilding) return;
  m_rebuilding = true;
  Style().BuildWindowFrame(*this);
  LayoutClientArea();
  m_rebuilding = false;
  OnFrameRebuilt();
}

void CRSControlWindow::LayoutClientArea() {
  CRSCanvasItem* area = GetClientArea();
  if (!area) return;
  const RectF r = Style().GetClientRect(GetSize(), GetFrameOptions());
  area->SetPosition(PointF(r.X, r.Y));
  area->SetSize(SizeF(std::max(0.0f, r.Width), std::max(0.0f, r.Height)));
}

void CRSControlWindow::OnClientMinSizeChanged(CRSCanvasItem*, const SizeF& minSize) {
  // The window never gets too small for its content.
  SetMinSize(Style().GetWindowSize(minSize, GetFrameOptions()));
}

void CRSControlWindow::DoSetSize(const SizeF& size) {
  CRSControlWithClientArea<CRSCanvasShape>::DoSetSize(size);
  RebuildFrame();
}

void CRSControlWindow::SetCaption(const std::string& caption) {
  if (caption == m_captionText) return;
  m_captionText = caption;
  if (CRSCanvasText* text = m_caption.get()) {
    text->SetText(caption);
    // The shadow behind the caption follows it.
    if (auto* shadow = dynamic_cast<CRSCanvasText*>(m_title ? m_title->FindChild("captionShadow") : nullptr))
      shadow->SetText(caption);
    // The caption is centred in the bar by its height and kept clear of the
    // buttons by its width: both follow the new text.
    RebuildFrame();
  }
}

void CRSControlWindow::SetClientSize(const SizeF& size) { SetSize(Style().GetWindowSize(size, GetFrameOptions())); }

void CRSControlWindow::SetModal(bool modal) {
  if (modal == m_modal) return;
  m_modal = modal;
  if (modal) {
    SetZOrder(kModalZOrder);
    AddGlobalListener(this, CRSEvents::kEventMouse);
    AddGlobalListener(this, CRSEvents::kEventKey);
    AddToModalList();
  } else {
    RemoveGlobalListener(this, CRSEvents::kEventMouse);
    RemoveGlobalListener(this, CRSEvents::kEventKey);
    RemoveFromModalList();
  }
}

void CRSControlWindow::SetCloseButton(bool on) {
  if (on == m_closeButton) return;
  m_closeButton = on;
  if (!on) SetTitleButton(kButtonClose, nullptr);
  RebuildFrame();
}

void CRSControlWindow::SetTitleBar(bool on) {
  if (on == m_titleBar) return;
  m_titleBar = on;
  if (!on) {
    for (int i = 0; i < kTitleButtonCount; ++i) SetTitleButton(i, nullptr);
    CRSCanvasItem* title = m_title.get();
    m_title = nullptr;
    m_caption = nullptr;
    if (title) title->Delete();
  }
  RebuildFrame();
}

void CRSControlWindow::SetExtraButton(const std::string& caption) {
  if (caption == m_extraCaption) return;
  m_extraCaption = caption;
  if (caption.empty()) SetTitleButton(kButtonExtra, nullptr);
  else if (CRSControlButton* extra = GetTitleButton(kButtonExtra)) extra->SetCaption(caption);
  RebuildFrame();
}

void CRSControlWindow::SetSystemButtons(bool on) {
  if (on == m_systemButtons) return;
  m_systemButtons = on;
  if (!on) {
    SetTitleButton(kButtonMinimize, nullptr);
    SetTitleButton(kButtonMaximize, nullptr);
    SetTitleButton(kButtonRestore, nullptr);
  }
  RebuildFrame();
}

void CRSControlWindow::SetToolWindow(bool on) {
  if (on == m_toolWindow) return;
  m_toolWindow = on;
  RebuildFrame();
}

void CRSControlWindow::SetFrameMode(CRSFrameMode mode) {
  if (mode == m_frameMode) return;
  m_frameMode = mode;
  if (mode != CRSFrameMode::kResizable) {
    CRSCanvasItem* grip = m_grip.get();
    m_grip = nullptr;
    if (grip) grip->Delete();
  }
  if (mode == CRSFrameMode::kNone) {
    CRSCanvasItem* frame = m_frame.get();
    m_frame = nullptr;
    if (frame) frame->Delete();
  }
  RebuildFrame();
}

void CRSControlWindow::RemoveRaiseBehaviour() {
  if (auto* raise = CRSCanvasBehaviour::Find<CBehaviourRaiseable>(this)) raise->Delete();
}

void CRSControlWindow::RemoveShadowBehaviour() {
  if (auto* shadow = CRSCanvasBehaviour::Find<CBehaviourShadow>(this)) shadow->Delete();
}

void CRSControlWindow::Close() {
  if (m_closing) return;
  m_closing = true;
  // A closing window no longer holds the input, even for the moment until
  // its deletion comes round.
  SetModal(false);
  m_resizeEdges = 0;
  m_moving = false;
  // The closed notice is queued before the deletion, so it is delivered
  // first; its handlers still find the window whole.
  sigClosed.EmitLater();
  DeleteLater();
}

CRSSignalEmittedTroughEvent0* CRSControlWindow::GetMinimizeClicked() {
  CRSControlButton* b = GetTitleButton(kButtonMinimize);
  return b ? &b->sigClicked : nullptr;
}

CRSSignalEmittedTroughEvent0* CRSControlWindow::GetMaximizeClicked() {
  CRSControlButton* b = GetTitleButton(kButtonMaximize);
  return b ? &b->sigClicked : nullptr;
}

CRSSignalEmittedTroughEvent0* CRSControlWindow::GetRestoreClicked() {
  CRSControlButton* b = GetTitleButton(kButtonRestore);
  return b ? &b->sigClicked : nullptr;
}

void CRSControlWindow::SetMaximized(bool maximized) {
  if (maximized == m_maximized) return;
  m_maximized = maximized;
  RebuildFrame();
}

// --- modal list ------------------------------------------------------------

void CRSControlWindow::AddToModalList() {
  RemoveFromModalList();
  ModalList().emplace_back(this);
}

void CRSControlWindow::RemoveFromModalList() {
  auto& list = ModalList();
  list.erase(std::remove_if(list.begin(), list.end(),
                            [this](const CRSWeakRef<CRSControlWindow>& w) {
                              return w.get() == nullptr || w.get() == this;
                            }),
             list.end());
}

CRSControlWindow* CRSControlWindow::GetTopModal() {
  auto& list = ModalList();
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (CRSControlWindow* w = it->get(); w && !w->IsBeingDeleted()) return w;
  return nullptr;
}

size_t CRSControlWindow::GetModalCount() {
  size_t n = 0;
  for (const auto& w : ModalList())
    if (w.get()) ++n;
  return n;
}

bool CRSControlWindow::Contains(const CRSObject* object) const {
  for (const CRSObject* o = object; o; o = o->GetParent())
    if (o == this) return true;
  return false;
}

int CRSControlWindow::FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  if (!m_modal || event.GetType() != CRSEvents::kEventMouse) return kVerdictContinue;
  if (event.GetMessage() == static_cast<int>(platform::kMsgMouseLeave)) return kVerdictContinue;
  if (GetTopModal() != this) return kVerdictContinue;
  const CRSObject* object = dynamic_cast<const CRSObject*>(target);
  if (object && Contains(object)) return kVerdictContinue;
  // Behaviours (behind the filters) and other global listeners still see
  // the event, so hover tracking ends cleanly; only the target misses it.
  return kVerdictSkipTarget;
}

// --- moving and resizing -----------------------------------------------------

int CRSControlWindow::EdgesAt(const PointF& local) const {
  if (m_frameMode != CRSFrameMode::kResizable || m_maximized) return 0;
  const SizeF s = GetSize();
  if (CRSCanvasItem* grip = m_grip.get()) {
    const RectF g(grip->GetPosition().X, grip->GetPosition().Y, grip->GetSize().Width, grip->GetSize().Height);
    if (g.Contains(local)) return kEdgeRight | kEdgeBottom;
  }
  if (local.X < -kEdgeGrab || local.Y < -kEdgeGrab || local.X > s.Width + kEdgeGrab || local.Y > s.Height + kEdgeGrab)
    return 0;
  int edges = 0;
  if (local.X < kEdgeGrab) edges |= kEdgeLeft;
  if (local.X >= s.Width - kEdgeGrab) edges |= kEdgeRight;
  if (local.Y < kEdgeGrab) edges |= kEdgeTop;
  if (local.Y >= s.Height - kEdgeGrab) edges |= kEdgeBottom;
  return edges;
}

static int CursorForEdges(int edges) {
  using W = CRSControlWindow;
  const bool h = edges & (W::kEdgeLeft | W::kEdgeRight);
  const bool v = edges & (W::kEdgeTop | W::kEdgeBottom);
  if (h && v) {
    const bool nwse = (edges & W::kEdgeLeft) ? (edges & W::kEdgeTop) != 0 : (edges & W::kEdgeBottom) != 0;
    return nwse ? kCursorSizeNWSE : kCursorSizeNESW;
  }
  if (h) return kCursorSizeWE;
  if (v) return kCursorSizeNS;
  return 0;
}

int CRSControlWindow::FilterEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  if (target != this || event.GetType() != CRSEvents::kEventMouse || m_closing) return kVerdictContinue;
  auto& mouse = static_cast<CRSCanvasEvents::Mouse&>(event);
  const unsigned msg = static_cast<unsigned>(event.GetMessage());
  const PointF local = mouse.m_point;
  PointF inParent = local;
  GetTransform().TransformPoints(&inParent);
  switch (msg) {
    case platform::kMsgLButtonDown:
    case platform::kMsgLButtonDblClk: {
      // A root window is moved by the view, which moves the platform window.
      if (!GetParentItem()) return kVerdictContinue;
      const int edges = EdgesAt(local);
      const float titleHeight = m_titleBar ? Style().GetTitleHeight(m_toolWindow) : 0.0f;
      if (edges) {
        m_resizeEdges = edges;
      } else if (m_title && local.Y >= 0.0f && local.Y < titleHeight) {
        m_moving = true;
      } else {
        return kVerdictContinue;
      }
      mouse.m_handled = true;
      m_pressPoint = inParent;
      // The window's place is taken at the first move, after the raise
      // behaviour has lifted it, so that lowering it again at the release
      // puts it exactly where the pointer took it.
      m_pressTaken = false;
      return kVerdictContinue;
    }
    case platform::kMsgMouseMove:
      if (m_resizeEdges || m_moving) {
        mouse.m_handled = true;
        if (!m_pressTaken) {
          m_pressRect = RectF(GetPosition().X, GetPosition().Y, GetSize().Width, GetSize().Height);
          m_pressTaken = true;
        }
        if (m_resizeEdges) ApplyResize(inParent);
        else ApplyMove(inParent);
      } else {
        SetCursor(GetParentItem() ? CursorForEdges(EdgesAt(local)) : 0);
      }
      return kVerdictContinue;
    case platform::kMsgLButtonUp:
      m_resizeEdges = 0;
      m_moving = false;
      return kVerdictContinue;
    default:
      return kVerdictContinue;
  }
}

namespace {

bool KeepsInside(CRSCanvasItem& item) {
  const CBehaviourAlign* align = CRSCanvasBehaviour::Find<CBehaviourAlign>(&item);
  return align && (align->GetFlags() & CBehaviourAlign::kKeepInside);
}

}  // namespace

void CRSControlWindow::ApplyMove(const PointF& inParent) {
  PointF pos(std::round(m_pressRect.X + inParent.X - m_pressPoint.X), std::round(m_pressRect.Y + inParent.Y - m_pressPoint.Y));
  CRSCanvasItem* parent = GetParentItem();
  if (parent && KeepsInside(*this)) {
    const SizeF room = parent->GetSize(), s = GetSize();
    pos.X = std::max(0.0f, std::min(pos.X, room.Width - s.Width));
    pos.Y = std::max(0.0f, std::min(pos.Y, room.Height - s.Height));
  }
  SetPosition(pos);
}

void CRSControlWindow::ApplyResize(const PointF& inParent) {
  const float dx = std::round(inParent.X - m_pressPoint.X), dy = std::round(inParent.Y - m_pressPoint.Y);
  const SizeF minSize(std::max(GetMinSize().Width, kMinResizeWidth), std::max(GetMinSize().Height, kMinResizeHeight));
  float left = m_pressRect.X, top = m_pressRect.Y, right = m_pressRect.GetRight(), bottom = m_pressRect.GetBottom();
  if (m_resizeEdges & kEdgeLeft) left = std::min(left + dx, right - minSize.Width);
  if (m_resizeEdges & kEdgeRight) right = std::max(right + dx, left + minSize.Width);
  if (m_resizeEdges & kEdgeTop) top = std::min(top + dy, bottom - minSize.Height);
  if (m_resizeEdges & kEdgeBottom) bottom = std::max(bottom + dy, top + minSize.Height);
  CRSCanvasItem* parent = GetParentItem();
  if (parent && KeepsInside(*this)) {
    // Only the dragged edges move, and none of them past the parent's area.
    const SizeF room = parent->GetSize();
    if (m_resizeEdges & kEdgeLeft) left = std::max(0.0f, left);
    if (m_resizeEdges & kEdgeTop) top = std::max(0.0f, top);
    if (m_resizeEdges & kEdgeRight) right = std::min(room.Width, right);
    if (m_resizeEdges & kEdgeBottom) bottom = std::min(room.Height, bottom);
  }
  SetPosition(PointF(left, top));
  SetSize(SizeF(right - left, bottom - top));
}
