// The store room's two panels of commands, "Main" and "Tools".

#include <cmath>
#include <memory>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/items.h"
#include "canvas/sound.h"
#include "canvas/styles.h"
#include "data/room_host.h"
#include "platform/bitmap.h"
#include "platform/brush.h"
#include "platform/graphics.h"
#include "platform/string_format.h"
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
// The tip line lies along the top of the floor, this far from the top edge
// and this far right of the panels' column, beside the "Main" panel it
// names: a category window opens centred over 60 % of the floor and so never
// reaches the top band, the panels (placed at the left) never reach across
// it, and the room's title and notice keep the bottom band to themselves.
constexpr float kHintTopMargin = 6.0f;
constexpr float kHintGap = 8.0f;
constexpr float kHintLeft = kPanelLeft + kPanelWidth + kHintGap;
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
  // Beside the panels' column as placed, not where the player drags the
  // panels later.
  auto* place = new CBehaviourAlign(hint, CBehaviourAlign::kLeft | CBehaviourAlign::kTop);
  place->SetMargins(kHintLeft, kHintTopMargin);
  m_hint = hint;
  LayOutHint();
  place->Align();
  m_root->GetFloor()->sigResized.connect(this, &CPuzzleStoreRoom::OnFloorResized);
}

void CPuzzleStoreRoom::OnFloorResized(CRSCanvasItem*, const SizeF&) { LayOutHint(); }

void CPuzzleStoreRoom::LayOutHint() {
  CRSCanvasText* hint = m_hint.get();
  CRSCanvasItem* floor = m_root->GetFloor();
  if (!hint || !floor || !hint->GetFont()) return;
  // A room too narrow for the line beside the panels wraps it rather than
  // running it under the panels or past the edge.
  const float room = floor->GetSize().Width - kHintLeft - kHintTopMargin;
  hint->SetSizeToText(true);
  const SizeF line = hint->GetSize();
  if (line.Width <= room || room < 1.0f) return;
  static Gdiplus::Bitmap screen(1, 1, PixelFormat::Format32bppARGB);
  Gdiplus::Graphics g(&screen);
  Gdiplus::StringFormat format;
  format.SetAlignment(Gdiplus::StringAlignmentCenter);
  RectF wrapped;
  g.MeasureString(hint->GetText(), hint->GetFont(), RectF(0.0f, 0.0f, room, 0.0f), &format, &wrapped);
  hint->SetSizeToText(false);
  hint->SetSize(SizeF(room, std::ceil(wrapped.Height)));
  // The soft shadow is made from the text's shape, which has changed.
  hint->sigContentChanged(hint);
}

CRSControlButton* CPuzzleStoreRoom::GetButton(int button) const {
  return button >= 0 && button < kButtonCount ? m_buttons[button].get() : nullptr;
}

void CPuzzleStoreRoom::UpdateSoundLabel() {
  if (CRSControlButton* sound = GetButton(kSound))
    sound->SetCaption(CRSSoundHandler::Instance().EffectsEnabled() ? "&Sound Off" : "&Sound On");
}
