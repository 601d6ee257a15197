// Trays: the window, the pieces' grid, the tray's zoom and the rename.

#include "play/tray.h"

#include <algorithm>
#include <cmath>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/events.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/table_arrange.h"
#include "platform/messages.h"
#include "platform/report.h"

namespace {

constexpr float kWheelStep = 1.1f;

bool IsPieceOrGroup(const CRSCanvasItem* item) {
  return dynamic_cast<const CPuzzlePiece*>(item) || dynamic_cast<const CPuzzleGroup*>(item);
}

}  // namespace

// The tray's window refuses to close while pieces lie in it: they would go
// with the window.
class CPuzzleTray::Window : public CRSControlWindow {
 public:
  Window(CRSCanvasItem* floor, CPuzzleTray* tray, const SizeF& size)
      : CRSControlWindow(PointF(), floor, "trayWindow", size), m_tray(tray) {}

  void Close() override {
    if (m_tray && !IsClosing() && !m_tray->IsEmpty()) {
      CRSMessageBox::Show(kCloseRefused, "Tandrill", GetRootItem());
      return;
    }
    const bool closing = !IsClosing();
    CPuzzleTray* tray = m_tray;
    CRSControlWindow::Close();
    if (closing && tray) tray->sigChanged();
  }

  void Forget() { m_tray = nullptr; }

 private:
  CPuzzleTray* m_tray;
};

// The field over the title while the tray is renamed: Enter keeps the new
// title, Escape the old one.
class CPuzzleTray::TitleEdit : public CRSEdit {
 public:
  TitleEdit(CRSCanvasItem* parent, CPuzzleTray* tray, const std::string& text)
      : CRSEdit(PointF(), parent, "trayTitleEdit", text), m_tray(tray) {}

  void OnKey(int message, unsigned virtualKey, long keyData, bool* handled) override {
    if (message == static_cast<int>(platform::kMsgKeyDown) &&
        (virtualKey == platform::kVkReturn || virtualKey == platform::kVkEscape)) {
      if (handled) *handled = true;
      if (m_tray) m_tray->EndRename(virtualKey == platform::kVkReturn);
      return;
    }
    CRSEdit::OnKey(message, virtualKey, keyData, handled);
  }

  void Forget() { m_tray = nullptr; }

 private:
  CPuzzleTray* m_tray;
};

CPuzzleTray::CPuzzleTray(CRSCanvasItem* floor, const std::string& title, const RectF& place, float scale)
    : CRSObject(nullptr, "puzzleTray"), m_scale(std::clamp(std::isfinite(scale) ? scale : kDefaultScale, kMinScale,
                                                           kMaxScale)) {
  if (!floor) return;
  const SizeF room = floor->GetSize();
  const SizeF size(std::clamp(place.Width, kMinWidth, std::max(kMinWidth, room.Width)),
                   std::clamp(place.Height, kMinHeight, std::max(kMinHeight, room.Height)));
  auto* window = new Window(floor, this, size);
  window->SetCaption(title);
  window->SetFrameMode(CRSFrameMode::kResizable);
  window->SetZOrder(kZOrder);
  window->SetMinSize(SizeF(kMinWidth, kMinHeight));
  window->MoveTopLeftTo(PointF(place.X, place.Y));
  (new CBehaviourAlign(window, CBehaviourAlign::kKeepInside))->Align();
  m_window.Assign(static_cast<CRSCanvasItem*>(window));
  auto* content = new CRSCanvasItem(PointF(), window->GetClientArea(), "trayContent");
  // Shadows and glows of the pieces keep to the tray's own scale.
  content->SetSoftImageFrame(true);
  content->SetScale(PointF(m_scale, m_scale));
  m_content.Assign(content);
  window->GetClientArea()->sigResized.connect(this, &CPuzzleTray::OnResized);
  FitContent();
  AddGlobalListener(this, CRSEvents::kEventMouse);
}

CPuzzleTray::~CPuzzleTray() {
  RemoveGlobalListener(this, CRSEvents::kEventMouse);
  if (auto* edit = dynamic_cast<TitleEdit*>(m_edit.get())) edit->Forget();
  if (auto* window = dynamic_cast<Window*>(m_window.get())) {
    window->Forget();
    if (CRSCanvasItem* area = window->GetClientArea()) area->sigResized.disconnect(this);
  }
}

CRSControlWindow* CPuzzleTray::GetWindow() const { return dynamic_cast<CRSControlWindow*>(m_window.get()); }

std::string CPuzzleTray::GetTitle() const {
  CRSControlWindow* window = GetWindow();
  return window ? window->GetCaption() : std::string();
}

void CPuzzleTray::SetTitle(const std::string& title) {
  if (CRSControlWindow* window = GetWindow()) window->SetCaption(title);
}

void CPuzzleTray::Dismiss() {
  auto* window = dynamic_cast<Window*>(m_window.get());
  if (!window || window->IsClosing()) return;
  window->Forget();
  window->Close();
}

bool CPuzzleTray::IsGone() const {
  CRSControlWindow* window = GetWindow();
  return !window || window->IsClosing() || window->IsBeingDeleted() || !m_content;
}

RectF CPuzzleTray::GetPlace() const {
  CRSControlWindow* window = GetWindow();
  if (!window) return RectF();
  const PointF topLeft = window->GetTopLeft();
  return RectF(topLeft.X, topLeft.Y, window->GetSize().Width, window->GetSize().Height);
}

void CPuzzleTray::SetScale(float scale) {
  if (!std::isfinite(scale)) return;
  m_scale = std::clamp(scale, kMinScale, kMaxScale);
  if (CRSCanvasItem* content = m_content.get()) content->SetScale(PointF(m_scale, m_scale));
  FitContent();
}

std::vector<CRSCanvasItem*> CPuzzleTray::GetItems() const {
  std::vector<CRSCanvasItem*> items;
  if (CRSCanvasItem* content = m_content.get())
    for (CRSCanvasItem* child : content->GetChildItems())
      if (IsPieceOrGroup(child)) items.push_back(child);
  return items;
}

bool CPuzzleTray::Holds(const CRSCanvasItem* item) const {
  const CRSCanvasItem* content = m_content.get();
  for (; item && content; item = item->GetParentItem())
    if (item->GetParentItem() == content) return true;
  return false;
}

bool CPuzzleTray::IsInside(const CRSCanvasItem* item) const {
  const CRSCanvasItem* window = m_window.get();
  for (; item && window; item = item->GetParentItem())
    if (item == window) return true;
  return false;
}

bool CPuzzleTray::ContainsFloorPoint(const PointF& floorPoint) const {
  CRSControlWindow* window = GetWindow();
  CRSCanvasItem* area = window ? window->GetClientArea() : nullptr;
  if (!area || IsGone()) return false;
  return area->GetBoundsIn(window->GetParentItem()).Contains(floorPoint);
}

void CPuzzleTray::Take(const std::vector<CRSCanvasItem*>& items) {
  CRSCanvasItem* content = m_content.get();
  if (!content) return;
  for (CRSCanvasItem* item : items) {
    if (!item || item->GetParentItem() == content) continue;
    // Re-parenting keeps the local place and turn; the grid then gives the
    // item its place in the tray.
    item->SetParent(content);
  }
  LayOut(true);
}

void CPuzzleTray::PutAt(const std::vector<CRSCanvasItem*>& others, CRSCanvasItem* held, const PointF& floorPoint) {
  CRSCanvasItem* content = m_content.get();
  CRSControlWindow* window = GetWindow();
  if (!content || !window || !held) return;
  Gdiplus::Matrix toContent = content->GetTransformTo(window->GetParentItem());
  if (toContent.Invert() != Gdiplus::Ok) return;
  PointF place = floorPoint;
  toContent.TransformPoints(&place);
  const PointF heldAt = held->GetPosition();
  for (CRSCanvasItem* item : others) {
    if (!item || item == held) continue;
    const PointF offset(item->GetPosition().X - heldAt.X, item->GetPosition().Y - heldAt.Y);
    item->SetParent(content);
    item->SetPosition(PointF(place.X + offset.X, place.Y + offset.Y));
  }
  held->SetParent(content);
  held->SetPosition(place);
  FitContent();
}

void CPuzzleTray::LayOut(bool fit) {
  CRSCanvasItem* content = m_content.get();
  CRSControlWindow* window = GetWindow();
  if (!content || !window) return;
  const std::vector<CRSCanvasItem*> items = GetItems();
  std::vector<SizeF> sizes;
  sizes.reserve(items.size());
  for (CRSCanvasItem* item : items) {
    const RectF box = item->GetBoundsIn(content);
    sizes.emplace_back(box.Width, box.Height);
  }
  const SizeF client = window->GetClientArea()->GetSize();
  std::vector<PointF> places;
  // Zoomed out step by step until the rows fit the tray's height.
  for (;;) {
    // Pieces laid side by side must not join by themselves when they are
    // next tested (the tray is opened again): the gap stays wider than the
    // snap distance, which is never less than 10 pixels on screen.
    const float gap = std::max(kGap, (CPuzzlePiece::kSnapDistance + 2.0f) / m_scale);
    const RectF area(gap, gap, client.Width / m_scale - 2.0f * gap, client.Height / m_scale - 2.0f * gap);
    float used = 0.0f;
    places = table_arrange::LayRows(sizes, area, gap, {}, &used);
    if (!fit || used <= area.Height || m_scale <= kMinScale) break;
    m_scale = std::max(kMinScale, m_scale / kWheelStep);
  }
  content->SetScale(PointF(m_scale, m_scale));
  CBehaviourAlign::Hold hold;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const RectF box = items[i]->GetBoundsIn(content);
    items[i]->MoveBy(PointF(places[i].X - box.X, places[i].Y - box.Y));
  }
  FitContent();
}

void CPuzzleTray::FitContent() {
  CRSCanvasItem* content = m_content.get();
  CRSControlWindow* window = GetWindow();
  if (!content || !window) return;
  const SizeF client = window->GetClientArea()->GetSize();
  SizeF size(client.Width / m_scale, client.Height / m_scale);
  // Never smaller than what it holds: the pieces' alignment keeps them
  // inside the content, which must not push them on top of each other when
  // the tray is zoomed in or made smaller.
  for (CRSCanvasItem* item : GetItems()) {
    const RectF box = item->GetBoundsIn(content);
    size.Width = std::max(size.Width, box.X + box.Width);
    size.Height = std::max(size.Height, box.Y + box.Height);
  }
  content->SetSize(size);
}

void CPuzzleTray::KeepItemsInView() {
  CRSCanvasItem* content = m_content.get();
  CRSControlWindow* window = GetWindow();
  if (!content || !window) return;
  const SizeF client = window->GetClientArea()->GetSize();
  const RectF shown(0.0f, 0.0f, client.Width / m_scale, client.Height / m_scale);
  for (CRSCanvasItem* item : GetItems()) {
    RectF box = item->GetBoundsIn(content);
    if (!RectF::Intersect(box, box, shown) || box.Width < 1.0f || box.Height < 1.0f) {
      LayOut(true);
      return;
    }
  }
  FitContent();
}

void CPuzzleTray::OnResized(CRSCanvasItem*, const SizeF&) { FitContent(); }

void CPuzzleTray::BringToFront() {
  CRSControlWindow* window = GetWindow();
  CRSCanvasItem* floor = window ? window->GetParentItem() : nullptr;
  if (!floor) return;
  // The last of the trays at their z-order is painted last.
  window->SetParent(nullptr);
  window->SetParent(floor);
  if (auto* align = CRSCanvasBehaviour::Find<CBehaviourAlign>(window)) align->Align();
}

void CPuzzleTray::BeginRename() {
  CRSControlWindow* window = GetWindow();
  CRSCanvasItem* title = window ? window->GetTitleItem() : nullptr;
  if (!title || IsRenaming()) return;
  // The field starts empty, as a selected title would be replaced by what
  // is typed; Escape, or Enter on an empty field, keeps the old title.
  auto* edit = new TitleEdit(title, this, std::string());
  edit->SetFocusable(true, true);
  edit->SetSize(SizeF(std::max(40.0f, title->GetSize().Width - 40.0f), title->GetSize().Height));
  edit->SetZOrder(CRSCanvasItem::kZOrderTop);
  m_edit.Assign(static_cast<CRSCanvasItem*>(edit));
  if (CRSCanvasItem* root = edit->GetRootItem()) root->sigFocusRequest(edit);
  platform::ReportLine("tray rename " + GetTitle());
}

void CPuzzleTray::EndRename(bool keep) {
  auto* edit = dynamic_cast<TitleEdit*>(m_edit.get());
  m_edit.Release();
  if (!edit) return;
  edit->Forget();
  const std::string text = edit->GetText();
  if (CRSCanvasItem* root = edit->GetRootItem()) root->sigFocusRequest(nullptr);
  edit->DeleteLater();
  const std::string before = GetTitle();
  if (keep && !text.empty()) SetTitle(text);
  platform::ReportLine("tray title " + GetTitle());
  if (GetTitle() != before) sigChanged();
}

int CPuzzleTray::FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  if (event.GetType() != CRSEvents::kEventMouse) return kVerdictContinue;
  auto* item = dynamic_cast<CRSCanvasItem*>(target);
  const unsigned message = static_cast<unsigned>(event.GetMessage());
  const bool inside = IsInside(item);
  if (IsRenaming() && item != m_edit.get() &&
      (message == platform::kMsgLButtonDown || message == platform::kMsgRButtonDown)) {
    // A press anywhere else keeps what was typed.
    EndRename(true);
  }
  if (!inside || IsGone()) return kVerdictContinue;
  CRSControlWindow* window = GetWindow();
  if (message == platform::kMsgMouseWheel) {
    const auto& mouse = static_cast<const CRSCanvasEvents::Mouse&>(event);
    const int notches = platform::WheelDelta(mouse.m_keyState) / platform::kWheelDelta;
    if (notches != 0) SetScale(m_scale * std::pow(kWheelStep, static_cast<float>(notches)));
    return kVerdictSkipTarget;
  }
  if (message == platform::kMsgLButtonDblClk && window) {
    // The title bar is what lies in the window outside its client area and
    // its buttons.
    for (CRSCanvasItem* up = item; up && up != window; up = up->GetParentItem())
      if (up == window->GetClientArea() || dynamic_cast<CRSControlButton*>(up)) return kVerdictContinue;
    BeginRename();
    return kVerdictSkipTarget;
  }
  return kVerdictContinue;
}
