// The clock of time played and the tips that take turns in the corner.

#include <cstdio>
#include <memory>

#include "canvas/behaviours.h"
#include "canvas/items.h"
#include "canvas/styles.h"
#include "data/puzzle_data.h"
#include "play/play_clock.h"
#include "platform/brush.h"
#include "platform/clock.h"
#include "platform/graphics_path.h"
#include "platform/pen.h"
#include "platform/random.h"
#include "platform/report.h"

namespace {

constexpr const char* kTips[CPlayClock::kTipCount] = {
    "Tip: Rotate a piece clockwise by holding down the mouse right button",
    "Tip: To show all the pieces that are partially or completely hidden choose REVEAL from the menu",
    "Tip: To see a preview of the puzzle choose PICTURE from the menu",
    "Tip: You can overlay the pieces on the puzzle picture by choosing GHOST from the menu",
    "Tip: To move a piece to the correct position on the ghost picture choose HINT from the menu",
    "Tip: To show all the pieces that are connected to a piece choose NEIGHBOR from the menu",
    "Tip: Rotate a piece clockwise by holding down the mouse right button",
    "Tip: To play/stop the music choose MUSIC from the menu",
    "Tip: Move a piece by dragging it while holding down the mouse left button",
    "Tip: Rotate a piece anti-clockwise by holding down the mouse right button and the Ctrl key",
    "Tip: You can select a menu item by pressing the Alt+<the underlined letter> for that menu item",
    "Tip: To completely disassemble the puzzle choose SCATTER from the menu",
    "Tip: Press F1 to display the online help",
    "Tip: You can resize the preview picture by dragging the lower right corner",
};

constexpr int kBold = 1;

// The clock's and the tips' colours are the style's.
const CRSStylePalette& Palette() { return CRSControlStyles::GetCurrent()->GetPalette(); }

// The tip's background lies just under the tip, both just under the clock.
constexpr int kTipZOrder = CPlayClock::kClockZOrder - 1;
constexpr int kTipBackgroundZOrder = CPlayClock::kClockZOrder - 2;
constexpr float kTipBackgroundHeight = 14.0f;
constexpr float kTipBackgroundShare = 0.8f;

}  // namespace

std::string CPlayClock::FormatClock(std::int32_t ms) {
  const long t = ms < 0 ? 0 : ms;
  const long s = t / 1000 % 60;
  char text[32];
  std::snprintf(text, sizeof text, "%ld%ld:%ld%ld", t / 600000, t / 60000 % 10, s / 10, s % 10);
  return text;
}

const char* CPlayClock::GetTip(int index) { return index >= 0 && index < kTipCount ? kTips[index] : ""; }

CPlayClock::CPlayClock(CRSObject* owner, CRSCanvasItem* floor, CPuzzleData& puzzle)
    : CRSObject(owner, "playClock"), m_puzzle(puzzle) {
  CreateClock(floor);
  CreateTips(floor);
}

CPlayClock::~CPlayClock() { KillAllTimers(); }

void CPlayClock::OnTimer(int id, unsigned elapsedMs) {
  if (id == kClockTimer) TickClock(elapsedMs);
  if (id == kTipTimer) TickTip();
}

void CPlayClock::Stop() {
  KillTimer(kClockTimer);
  KillTimer(kTipTimer);
}

void CPlayClock::CreateClock(CRSCanvasItem* floor) {
  auto* clock = new CRSCanvasShapeText(PointF(), floor, "playClock");
  clock->SetFont("Arial", 22.0f, kBold);
  clock->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(Palette().clockText)));
  clock->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(Palette().clockOutline), 1.0f));
  clock->SetZOrder(kClockZOrder);
  auto* align = new CBehaviourAlign(clock, CBehaviourAlign::kRight | CBehaviourAlign::kTop);
  align->SetMargins(5, 5);
  m_clockText.Assign(clock);
  Restart();
}

void CPlayClock::Restart() {
  // Restarting ends the tips too: after a scatter only the clock runs on.
  KillTimer(kClockTimer);
  KillTimer(kTipTimer);
  m_clockBase = m_puzzle.GetTimePlayed();
  TickClock(0);
  if (!m_puzzle.IsCompleted()) SetTimer(kClockTimer, kClockPeriodMs);
}

void CPlayClock::TickClock(unsigned elapsedMs) {
  if (elapsedMs > 0) m_puzzle.SetTimePlayed(m_clockBase + static_cast<std::int32_t>(elapsedMs));
  const std::string text = FormatClock(m_puzzle.GetTimePlayed());
  CRSCanvasShapeText* clock = m_clockText.get();
  if (!clock || clock->GetText() == text) return;
  clock->SetText(text);
  if (auto* align = CBehaviourAlign::GetOrCreate(clock)) align->Align();
  platform::ReportLine("clock " + text);
}

void CPlayClock::CreateTips(CRSCanvasItem* floor) {
  platform::SeedRand(platform::GetTickCount());
  m_nextTip = platform::Rand() % kTipCount;

  auto* background = new CRSCanvasShape(PointF(), floor, "tipBackground");
  auto unit = std::make_unique<Gdiplus::GraphicsPath>();
  unit->AddRectangle(RectF(0, 0, 1, 1));
  background->SetPath(std::move(unit));
  background->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(Palette().tipBand)));
  background->SetZOrder(kTipBackgroundZOrder);
  background->SetVisible(false);
  auto* backgroundAlign = new CBehaviourAlign(background, CBehaviourAlign::kLeft | CBehaviourAlign::kTop);
  backgroundAlign->SetMargins(5, 1);

  auto* tip = new CRSCanvasShapeText(PointF(), floor, "playTip");
  tip->SetFont("Arial", 12.0f, kBold);
  tip->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(Palette().tipText)));
  tip->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(Palette().tipOutline), 1.0f));
  tip->SetZOrder(kTipZOrder);
  tip->SetVisible(false);
  auto* tipAlign = new CBehaviourAlign(tip, CBehaviourAlign::kLeft | CBehaviourAlign::kTop);
  tipAlign->SetMargins(5, 1);

  m_tipBackground.Assign(background);
  m_tipText.Assign(tip);
  SetTimer(kTipTimer, kTipPeriodMs);
}

void CPlayClock::TickTip() {
  CRSCanvasShapeText* tip = m_tipText.get();
  CRSCanvasShape* background = m_tipBackground.get();
  if (!tip || !background) return;
  // A tip shows about every third turn; in between the corner stays clear.
  const bool show = platform::Rand() % 3 == 1;
  if (show) {
    tip->SetText(kTips[m_nextTip]);
    background->SetSize(SizeF(kTipBackgroundShare * tip->GetSize().Width, kTipBackgroundHeight));
    m_nextTip = (m_nextTip + 1) % kTipCount;
    if (auto* align = CBehaviourAlign::GetOrCreate(tip)) align->Align();
    if (auto* align = CBehaviourAlign::GetOrCreate(background)) align->Align();
  }
  tip->SetVisible(show);
  background->SetVisible(show);
}
