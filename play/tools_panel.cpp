// The play room's "Tools" panel.

#include "play/tools_panel.h"

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "play/play_room.h"

namespace {

constexpr float kFirstButtonY = 2.0f;
constexpr float kButtonGap = 6.0f;

}  // namespace

CPuzzleToolsPanel::CPuzzleToolsPanel(CRSCanvasItem* floor, CRSControlWindow* menu) : m_nextY(kFirstButtonY) {
  const RectF below = menu ? menu->GetBoundsIn(floor) : RectF(5, 50, 104, 0);
  auto* window = new CRSControlWindow(PointF(below.X, below.GetBottom() + kGapBelowMenu), floor, "playTools",
                                      SizeF(menu ? menu->GetSize().Width : below.Width, 40));
  window->SetCaption(kCaption);
  window->SetCloseButton(false);
  window->SetZOrder(CPuzzlePlayRoom::kMenuZOrder);
  m_window.Assign(static_cast<CRSCanvasItem*>(window));
  new CBehaviourAlign(window, CBehaviourAlign::kKeepInside);
}

CRSControlWindow* CPuzzleToolsPanel::GetWindow() const { return dynamic_cast<CRSControlWindow*>(m_window.get()); }

CRSControlButton* CPuzzleToolsPanel::AddButton(const std::string& label, bool toggle) {
  CRSControlWindow* window = GetWindow();
  if (!window) return nullptr;
  CRSCanvasItem* client = window->GetClientArea();
  const float width = client->GetSize().Width - 2.0f;
  auto* button = new CRSControlButton(PointF(1.0f, m_nextY), client, "toolsButton", SizeF(width, 0), label);
  button->SetToggle(toggle);
  new CBehaviourAlign(button, CBehaviourAlign::kCentreX);
  m_nextY += button->GetFaceSize().Height + kButtonGap;
  m_buttons.emplace_back(button);
  window->SetClientSize(SizeF(client->GetSize().Width, m_nextY - kButtonGap + kFirstButtonY));
  if (auto* align = CBehaviourAlign::GetOrCreate(window)) align->Align();
  return button;
}

CRSControlButton* CPuzzleToolsPanel::FindButton(const std::string& label) const {
  for (const auto& ref : m_buttons)
    if (CRSControlButton* button = ref.get(); button && button->GetCaption() == label) return button;
  return nullptr;
}
