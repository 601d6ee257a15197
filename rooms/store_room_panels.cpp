// The store room's two panels of commands, "Main" and "Tools".

#include <memory>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/items.h"
#include "canvas/sound.h"
#include "canvas/styles.h"
#include "data/room_host.h"
#include "platform/brush.h"
#include "rooms/store_room.h"

namespace {

constexpr float kPanelWidth = 104.0f;
// Above every floor item, below the modal boxes.
constexpr int kPanelZOrder = 2147483546;
constexpr float kButtonTop = 2.0f;
constexpr float kButtonGap = 6.0f;
constexpr float kPanelBottomMargin = 2.0f;
constexpr float kPanelLeft = 5.0f;
constexpr float kMainTop = 15.0f;
constexpr float kToolsTop = 275.0f;
// The hint sits this far below the "Tools" panel's place.
constexpr float kHintGap = 8.0f;
// Below every thumbnail and folder (which use the default z-order), so a
// puzzle dropped over the hint hides the hint rather than the other way
// round; above the logo's echo.
constexpr int kHintZOrder = CRSCanvasItem::kZOrderDefault - 1;

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
  m_mainPanel = BuildPanel("Main", kPanelLeft, kMainTop, kPlay, kQuit);
  m_toolsPanel = BuildPanel("Tools", kPanelLeft, kToolsTop, kBackground, kAbout);
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

void CPuzzleStoreRoom::BuildHint() {
  // The buttons' own font and colour, so the line reads as part of the
  // panels above it.
  CRSStyleFont font;
  std::uint32_t colour = 0xFFFFFFFF;
  const std::shared_ptr<CRSControlStyles> style = CRSControlStyles::GetCurrent();
  if (const auto* drawn = dynamic_cast<const CRSControlStylesDrawn*>(style.get())) {
    font = drawn->GetValues().buttonFont;
    colour = drawn->GetValues().buttonText;
  } else {
    font = style->GetStaticTextFont();
    colour = style->GetStaticTextColor();
  }
  auto* hint = new CRSCanvasText(PointF(), m_root->GetFloor(), "hintCreate");
  hint->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(colour)));
  hint->SetFont(font.family, font.size, font.style);
  hint->SetText(kCreateHint);
  hint->SetZOrder(kHintZOrder);
  // Light text on a background the player chooses: a soft shadow keeps it
  // legible on a light picture too.
  CBehaviourShadow::SetShadow(hint, PointF(1, 1));
  // Where the panels were placed, not where the player drags them later:
  // the line stays put, whatever the window's size.
  const float top = kToolsTop + (m_toolsPanel ? m_toolsPanel->GetSize().Height : 0.0f) + kHintGap;
  auto* place = new CBehaviourAlign(hint, CBehaviourAlign::kLeft | CBehaviourAlign::kTop);
  place->SetMargins(kPanelLeft, top);
  place->Align();
  m_hint = hint;
}

CRSControlButton* CPuzzleStoreRoom::GetButton(int button) const {
  return button >= 0 && button < kButtonCount ? m_buttons[button].get() : nullptr;
}

void CPuzzleStoreRoom::UpdateSoundLabel() {
  if (CRSControlButton* sound = GetButton(kSound))
    sound->SetCaption(CRSSoundHandler::Instance().EffectsEnabled() ? "&Sound Off" : "&Sound On");
}
