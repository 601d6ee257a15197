// The store room's two panels of commands, "Main" and "Tools".

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/sound.h"
#include "data/room_host.h"
#include "rooms/store_room.h"

namespace {

constexpr float kPanelWidth = 104.0f;
// Above every floor item, below the modal boxes.
constexpr int kPanelZOrder = 2147483546;
constexpr float kButtonTop = 2.0f;
constexpr float kButtonGap = 6.0f;
constexpr float kPanelBottomMargin = 2.0f;

struct PanelButton {
  const char* name;
  const char* label;
  bool enabled;
  void (CPuzzleStoreRoom::*action)();
};

// In panel order; the indices are CPuzzleStoreRoom::Button.
const PanelButton kButtons[CPuzzleStoreRoom::kButtonCount] = {
    {"buttonPlay", "&Play", false, &CPuzzleStoreRoom::Open},
    {"buttonModify", "&Modify", false, &CPuzzleStoreRoom::Modify},
    {"buttonCreate", "&Create", true, &CPuzzleStoreRoom::Create},
    {"buttonDelete", "&Delete", false, &CPuzzleStoreRoom::AskDeletePuzzle},
    {"buttonEmailGift", "Email Gi&ft", false, &CPuzzleStoreRoom::EmailGift},
    {"buttonGallery", "&Gallery", true, &CPuzzleStoreRoom::Gallery},
    {"buttonQuit", "&Quit", true, &CPuzzleStoreRoom::Quit},
    {"buttonBackground", "&Background", true, &CPuzzleStoreRoom::Background},
    {"buttonColor", "C&olor", true, &CPuzzleStoreRoom::Color},
    {"buttonSound", "&Sound Off", true, &CPuzzleStoreRoom::ToggleSound},
    {"buttonAbout", "&About", true, &CPuzzleStoreRoom::About},
};

}  // namespace

void CPuzzleStoreRoom::BuildPanels() {
  m_mainPanel = BuildPanel("Main", 5.0f, 15.0f, kPlay, kQuit);
  m_toolsPanel = BuildPanel("Tools", 5.0f, 275.0f, kBackground, kAbout);
  UpdateSoundLabel();
}

CRSControlWindow* CPuzzleStoreRoom::BuildPanel(const char* title, float x, float y, int first, int last) {
  auto* panel = new CRSControlWindow(PointF(), m_root->GetFloor(), std::string("panel") + title,
                                     SizeF(kPanelWidth, 100.0f));
  panel->SetCaption(title);
  // Closing a panel would take its commands away for good.
  panel->SetCloseButton(false);
  panel->SetZOrder(kPanelZOrder);

  CRSCanvasItem* client = panel->GetClientArea();
  const float width = client->GetSize().Width - 2.0f;
  float top = kButtonTop;
  for (int i = first; i <= last; ++i) {
    const PanelButton& row = kButtons[i];
    auto* button = new CRSControlButton(PointF(0.0f, top), client, row.name, SizeF(width, 0.0f), row.label);
    button->SetEnabled(row.enabled);
    button->sigClicked.connect(this, row.action);
    new CBehaviourAlign(button, CBehaviourAlign::kCentreX);
    m_buttons[i] = button;
    top += button->GetFaceSize().Height + kButtonGap;
  }
  panel->SetClientSize(SizeF(client->GetSize().Width, top - kButtonGap + kPanelBottomMargin));

  // Placed once; afterwards only kept inside the view, wherever the player
  // drags it.
  auto* place = new CBehaviourAlign(panel, CBehaviourAlign::kLeft | CBehaviourAlign::kTop);
  place->SetMargins(x, y);
  new CBehaviourAlign(panel, CBehaviourAlign::kKeepInside);
  return panel;
}

CRSControlButton* CPuzzleStoreRoom::GetButton(int button) const {
  return button >= 0 && button < kButtonCount ? m_buttons[button].get() : nullptr;
}

void CPuzzleStoreRoom::UpdateSoundLabel() {
  if (CRSControlButton* sound = GetButton(kSound))
    sound->SetCaption(CRSSoundHandler::Instance().EffectsEnabled() ? "&Sound Off" : "&Sound On");
}
