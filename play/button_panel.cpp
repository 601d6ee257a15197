// The play room's floating panels of buttons.

#include "play/button_panel.h"

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "play/play_room.h"

namespace {

constexpr float kFirstButtonY = 2.0f;
constexpr float kButtonGap = 6.0f;

}  // namespace

CPuzzleButtonPanel::CPuzzleButtonPanel(CRSCanvasItem* floor, const std::string& name, const std::string& caption,
                                       const PointF& topLeft)
    : m_nextY(kFirstButtonY) {
  // The client area is sized to the buttons as they come; its width is the
  // window's less the frame.
  auto* window = new CRSControlWindow(topLeft, floor, name, SizeF(kWidth, 100));
  window->SetCaption(caption);
  window->SetCloseButton(false);
  window->SetZOrder(CPuzzlePlayRoom::kMenuZOrder);
  m_window.Assign(static_cast<CRSCanvasItem*>(window));
  new CBehaviourAlign(window, CBehaviourAlign::kKeepInside);
}

CRSControlWindow* CPuzzleButtonPanel::GetWindow() const { return dynamic_cast<CRSControlWindow*>(m_window.get()); }

PointF CPuzzleButtonPanel::GetPlaceBelow() const {
  CRSControlWindow* window = GetWindow();
  if (!window) return PointF();
  const RectF box = window->GetBoundsIn(window->GetParentItem());
  return PointF(box.X, box.GetBottom() + kGapBelow);
}

CRSControlButton* CPuzzleButtonPanel::AddButton(const std::string& label, bool toggle) {
  CRSControlWindow* window = GetWindow();
  if (!window) return nullptr;
  CRSCanvasItem* client = window->GetClientArea();
  const float width = client->GetSize().Width - 2.0f;
  auto* button = new CRSControlButton(PointF(1.0f, m_nextY), client, "panelButton", SizeF(width, 0), label);
  button->SetToggle(toggle);
  new CBehaviourAlign(button, CBehaviourAlign::kCentreX);
  m_nextY += button->GetFaceSize().Height + kButtonGap;
  m_buttons.emplace_back(button);
  window->SetClientSize(SizeF(client->GetSize().Width, m_nextY - kButtonGap + kFirstButtonY));
  if (auto* align = CBehaviourAlign::GetOrCreate(window)) align->Align();
  return button;
}

CRSControlButton* CPuzzleButtonPanel::FindButton(const std::string& label) const {
  for (const auto& ref : m_buttons)
    if (CRSControlButton* button = ref.get(); button && button->GetCaption() == label) return button;
  return nullptr;
}
