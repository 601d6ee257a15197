// The store room's logo: a soft silhouette of the game's name that fades
// in and out at a new place and size each cycle, with an echo that drifts,
// jumps and jitters beside it.

#include <algorithm>
#include <cmath>

#include "canvas/behaviours.h"
#include "canvas/fading_image.h"
#include "canvas/items.h"
#include "canvas/shape_shadow.h"
#include "data/room_host.h"
#include "platform/brush.h"
#include "platform/pen.h"
#include "platform/random.h"
#include "rooms/store_room.h"

namespace {

constexpr const char* kLogoText = "tanDrill";
constexpr float kLogoFontSize = 45.0f;
constexpr int kLogoFontStyle = 2;  // italic
constexpr ARGB kLogoFill = 0x88EEEEEE;
constexpr ARGB kLogoOutline = 0x88000000;
constexpr int kSilhouetteBox = 6;
constexpr ARGB kSilhouetteColour = 0x70000000;
constexpr float kSilhouetteStrength = 0.9f;
constexpr int kLogoZOrder = 2;
constexpr int kEchoZOrder = 0;

// The fade: the phase climbs by kPhaseStep a tick; past kPhaseTurn it is
// negated and climbs back to 0, so the alpha rises, holds and falls.
constexpr float kPhaseStep = 0.05f;
constexpr float kPhaseTurn = 1.4f;
constexpr float kMaxAlpha = 1.2f;
constexpr float kEchoHidden = 0.09f;
constexpr float kEchoFadeLimit = 0.6f;
// The echo sits up and left of the logo by this much, before its offset.
constexpr float kEchoBack = 16.0f;

// Puts the item's bounding box at a random place inside its parent.
void PlaceAnywhere(CRSCanvasItem* item) {
  CRSCanvasItem* parent = item->GetParentItem();
  if (!parent) return;
  const RectF bounds = item->GetBoundsIn(parent);
  const int w = std::max(1, static_cast<int>(parent->GetSize().Width - bounds.Width));
  const int h = std::max(1, static_cast<int>(parent->GetSize().Height - bounds.Height));
  const float x = static_cast<float>(platform::Rand() % w);
  const float y = static_cast<float>(platform::Rand() % h);
  item->MoveTopLeftTo(item->GetTopLeft() + PointF(x - bounds.X, y - bounds.Y));
}

float RandomTimes(float factor, float divisor) { return static_cast<float>(platform::Rand()) * factor / divisor; }

}  // namespace

void CPuzzleStoreRoom::BuildLogo() {
  CRSCanvasItem* floor = m_root->GetFloor();
  auto* text = new CRSCanvasShapeText(PointF(), nullptr, "logoText");
  text->SetFont("Times New Roman", kLogoFontSize, kLogoFontStyle);
  text->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(kLogoFill)));
  text->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(kLogoOutline), 1.0f));
  text->SetText(kLogoText);
  // The text itself is never shown: only its silhouette is. Logo and echo
  // fade on every tick, so they are images that keep their picture scaled
  // for the screen and fade a copy of it in place (the alpha factor stands
  // for the colour matrix that is the identity but for its alpha).
  CRSCanvasImage* silhouette =
      CreateShapeShadow(*text, kSilhouetteBox, kSilhouetteColour, kSilhouetteStrength, PointF(), nullptr, "logo");
  text->Delete();
  std::shared_ptr<Gdiplus::Bitmap> picture = silhouette ? silhouette->GetImage() : nullptr;
  if (silhouette) silhouette->Delete();
  if (picture) {
    auto* logo = new CRSCanvasFadingImage(PointF(), nullptr, "logo", picture);
    logo->SetVisible(false);
    logo->SetZOrder(kLogoZOrder);
    logo->SetParent(floor);
    new CBehaviourAlign(logo, CBehaviourAlign::kKeepInside);
    m_logo = logo;
    auto* echo = new CRSCanvasFadingImage(PointF(), nullptr, "logoEcho", picture);
    echo->SetVisible(false);
    echo->SetZOrder(kEchoZOrder);
    echo->SetParent(floor);
    m_echo = echo;
  }
  SetTimer(kTimerFade, kFadePeriodMs);
  SetTimer(kTimerEcho, kEchoPeriodMs);
}

void CPuzzleStoreRoom::OnTimer(int id, unsigned elapsedMs) {
  // The logo goes with the floor; a tick due as the room is replaced finds
  // nothing to move.
  if (!m_logo || !m_echo) return;
  if (id == kTimerFade) OnFadeTick();
  if (id == kTimerEcho) OnEchoTick(elapsedMs);
}

void CPuzzleStoreRoom::OnFadeTick() {
  CRSCanvasFadingImage* logo = m_logo.get();
  CRSCanvasFadingImage* echo = m_echo.get();
  logo->SetAlphaFactor(std::min(std::fabs(m_phase), kMaxAlpha));
  logo->SetVisible(true);
  if (m_phase >= 0.0f && m_phase < kPhaseStep) {
    // A new cycle: a new place and a new size.
    PlaceAnywhere(logo);
    const PointF back = logo->GetPosition() - PointF(kEchoBack, kEchoBack);
    const float dx = RandomTimes(32769.0f, 33554432.0f);  // 0 to about 32
    const float dy = RandomTimes(32769.0f, 33554432.0f);
    echo->SetPosition(back + PointF(dx, dy));
    const float scale = RandomTimes(32769.0f, 536870912.0f) + 0.5f;  // 0.5 to about 2.5
    logo->SetScale(PointF(scale, scale));
    echo->SetScale(PointF(0.8f * scale, 0.8f * scale));
    // A large logo placed near the edge is pulled back into view.
    if (auto* keep = CRSCanvasBehaviour::Find<CBehaviourAlign>(logo)) keep->Align();
  }
  m_phase += kPhaseStep;
  if (m_phase > kPhaseTurn) m_phase = -m_phase;
}

void CPuzzleStoreRoom::OnEchoTick(unsigned elapsedMs) {
  CRSCanvasFadingImage* logo = m_logo.get();
  CRSCanvasFadingImage* echo = m_echo.get();
  const float a = std::fabs(m_phase);
  if (a <= kEchoHidden) {
    echo->SetVisible(false);
    return;
  }
  if (a < kEchoFadeLimit && a * 10.0f - std::floor(a * 10.0f) < 0.01f)
    echo->SetAlphaFactor(a * 2.0f / 3.0f);
  if (elapsedMs % 500 > 99) {
    echo->MoveBy(PointF(2.0f, 0.0f));
    return;
  }
  const int k = platform::Rand() % 7;
  if (k <= 2) {
    const PointF back = logo->GetPosition() - PointF(kEchoBack, kEchoBack);
    const float dx = RandomTimes(98307.0f, 67108864.0f);  // 0 to 48
    const float dy = RandomTimes(98307.0f, 67108864.0f);
    echo->SetPosition(back + PointF(dx, dy));
  } else if (k <= 5) {
    const float dx = RandomTimes(98307.0f, 536870912.0f) - 3.0f;  // -3 to +3
    const float dy = RandomTimes(98307.0f, 536870912.0f) - 3.0f;
    echo->MoveBy(PointF(dx, dy));
  } else {
    echo->SetVisible(false);
    return;
  }
  echo->SetVisible(true);
}
