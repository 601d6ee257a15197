// Animated quarter turns with the right button.

#include "canvas/behaviours.h"

#include <cmath>

#include "canvas/events.h"
#include "canvas/sound.h"
#include "platform/clock.h"
#include "platform/messages.h"

namespace {

// Some item is turning; the next right click anywhere waits for it.
bool s_rotationRunning = false;

}  // namespace

CBehaviourRotate90::CBehaviourRotate90(CRSCanvasItem* item, const std::string& name)
    : CRSCanvasBehaviour(item, name) {
  ReplaceOthers<CBehaviourRotate90>();
  FilterItemMouse();
}

CBehaviourRotate90::~CBehaviourRotate90() { Stop(); }

CBehaviourRotate90* CBehaviourRotate90::GetOrCreate(CRSCanvasItem* item) {
  if (!item) return nullptr;
  if (auto* existing = Find<CBehaviourRotate90>(item)) return existing;
  return new CBehaviourRotate90(item);
}

bool CBehaviourRotate90::IsAnyRotationRunning() { return s_rotationRunning; }

float CBehaviourRotate90::Snap(float x) {
  // Whole quarters below x, counted from the rounded angle with the integer
  // division truncating toward zero; x goes up to the next quarter from
  // half-way on.
  const float a = static_cast<float>(std::lround(x) / 90 * 90);
  return x - a >= 45.0f ? a + 90.0f : a;
}

int CBehaviourRotate90::FilterEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  if (!GetItem() || event.GetType() != CRSEvents::kEventMouse) return kVerdictContinue;
  auto& mouse = static_cast<CRSCanvasEvents::Mouse&>(event);
  mouse.m_handled = true;
  const PointF local = LocalPoint(target, mouse);
  switch (static_cast<unsigned>(event.GetMessage())) {
    case platform::kMsgLButtonDown:
      m_leftHeld = true;
      GetItem()->SetOrigin(local);
      break;
    case platform::kMsgLButtonUp:
      m_leftHeld = false;
      break;
    case platform::kMsgRButtonDown:
    case platform::kMsgRButtonDblClk: {
      const int direction = (mouse.m_keyState & platform::kKeyStateControl) ? -1 : 1;
      // While the left button holds the item, the turn is about the grabbed
      // point, which is already the origin.
      StartRotation(direction, local, !m_leftHeld);
      break;
    }
    default:
      break;
  }
  return kVerdictContinue;
}

bool CBehaviourRotate90::StartRotation(int direction, const PointF& pivot, bool movePivot) {
  CRSCanvasItem* item = GetItem();
  if (!item || s_rotationRunning || IsAnimating()) return false;
  s_rotationRunning = true;
  if (!m_sound.empty()) CRSSoundHandler::Instance().PlayResourceSound(m_sound, false);
  m_direction = direction < 0 ? -1 : 1;
  if (movePivot) item->SetOrigin(pivot);
  const unsigned interval = static_cast<unsigned>(m_step * m_durationMs / 90);
  SetTimer(kTimerId, interval);
  // 0 means idle, so a tick count that happens to be 0 is nudged.
  m_animationStart = (platform::GetTickCount() - interval) | 1u;
  m_start = item->GetRotation();
  m_target = CRSCanvasItem::NormalizeAngle(Snap(m_start + static_cast<float>(m_direction) * 90.0f));
  Tick(interval);
  return true;
}

void CBehaviourRotate90::OnTimer(int id, unsigned elapsedMs) {
  if (id == kTimerId && IsAnimating()) Tick(elapsedMs);
}

void CBehaviourRotate90::Tick(unsigned elapsedMs) {
  CRSCanvasItem* item = GetItem();
  if (!item) {
    Stop();
    return;
  }
  const long long c = static_cast<long long>(elapsedMs) * 90 / m_durationMs;
  const float advanced = static_cast<float>(c - c % m_step);
  const float sweep = CRSCanvasItem::NormalizeAngle(m_direction > 0 ? m_target - m_start : m_start - m_target);
  if (sweep <= advanced) {
    Stop();
    item->SetRotation(m_target);
  } else {
    item->SetRotation(m_start + static_cast<float>(m_direction) * advanced);
  }
}

void CBehaviourRotate90::Stop() {
  if (!IsAnimating()) return;
  s_rotationRunning = false;
  KillTimer(kTimerId);
  m_animationStart = 0;
}
