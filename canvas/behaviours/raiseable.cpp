// Raising an item while it is held, or on demand until the next input.

#include "canvas/behaviours.h"

#include "canvas/events.h"
#include "canvas/global_events.h"
#include "canvas/sound.h"
#include "platform/messages.h"

namespace {

void PlayEffect(const std::string& name) {
  if (!name.empty()) CRSSoundHandler::Instance().PlayResourceSound(name, false);
}

void CollectDescendants(CRSCanvasItem& item, std::vector<CRSCanvasItem*>& out) {
  for (CRSCanvasItem* child : item.GetChildItems()) {
    out.push_back(child);
    if (dynamic_cast<CRSCanvasGroup*>(child)) CollectDescendants(*child, out);
  }
}

}  // namespace

CBehaviourRaiseable::CBehaviourRaiseable(CRSCanvasItem* item, const std::string& name)
    : CRSCanvasBehaviour(item, name) {
  ReplaceOthers<CBehaviourRaiseable>();
  if (!item) return;
  CBehaviourShadow::SetShadow(item, m_loweredOffset);
  FilterItemMouse();
}

CBehaviourRaiseable::~CBehaviourRaiseable() {
  if (CRSGlobalEvents* global = CRSGlobalEvents::Get()) {
    global->sigNextMouseDown.disconnect(this);
    global->sigNextKeyDown.disconnect(this);
  }
}

CBehaviourRaiseable* CBehaviourRaiseable::GetOrCreate(CRSCanvasItem* item) {
  if (!item) return nullptr;
  if (auto* existing = Find<CBehaviourRaiseable>(item)) return existing;
  return new CBehaviourRaiseable(item);
}

int CBehaviourRaiseable::FilterEvent(CRSEventReceiver*, CRSEvents::BasicEvent& event) {
  if (!GetItem() || event.GetType() != CRSEvents::kEventMouse) return kVerdictContinue;
  static_cast<CRSCanvasEvents::Mouse&>(event).m_handled = true;
  const unsigned message = static_cast<unsigned>(event.GetMessage());
  if (m_raised) {
    if (message == platform::kMsgLButtonUp) Lower();
  } else if (message == platform::kMsgLButtonDown) {
    m_raisedByPress = true;
    Raise();
  }
  return kVerdictContinue;
}

void CBehaviourRaiseable::Raise() {
  CRSCanvasItem* item = GetItem();
  if (m_raised || !item) return;
  m_raised = true;
  // An item already at the top stays where it is; Lower then has nothing to
  // undo either, so repeated raises never make it drift.
  m_liftedByRaise = item->GetZOrder() != CRSCanvasItem::kZOrderTop;
  if (m_liftedByRaise) {
    item->MoveBy(PointF(-kRaiseLift, -kRaiseLift));
    m_savedZOrder = item->GetZOrder();
    item->SetZOrder(CRSCanvasItem::kZOrderTop);
  }
  CBehaviourShadow::SetShadow(item, m_raisedOffset);
  if (!m_raisedByPress) {
    if (CRSGlobalEvents* global = CRSGlobalEvents::Get()) {
      global->sigNextMouseDown.connect(this, &CBehaviourRaiseable::Lower);
      global->sigNextKeyDown.connect(this, &CBehaviourRaiseable::Lower);
    }
  }
  PlayEffect(m_raiseSound);
  Notify(true);
}

void CBehaviourRaiseable::Lower() {
  CRSCanvasItem* item = GetItem();
  if (!m_raised || !item) return;
  m_raised = false;
  m_raisedByPress = false;
  if (CRSGlobalEvents* global = CRSGlobalEvents::Get()) {
    global->sigNextMouseDown.disconnect(this);
    global->sigNextKeyDown.disconnect(this);
  }
  if (m_liftedByRaise) {
    item->MoveBy(PointF(kRaiseLift, kRaiseLift));
    item->SetZOrder(m_savedZOrder);
    m_liftedByRaise = false;
  }
  CBehaviourShadow::SetShadow(item, m_loweredOffset);
  PlayEffect(m_lowerSound);
  Notify(false);
}

void CBehaviourRaiseable::Notify(bool raised) {
  CRSCanvasItem* item = GetItem();
  // A slot may delete the item (and with it this behaviour).
  CRSAutoPtrLifeGuard alive(this);
  (raised ? sigRaised : sigLowered)(item);
  if (!alive.Alive() || !dynamic_cast<CRSCanvasGroup*>(item)) return;
  std::vector<CRSCanvasItem*> descendants;
  CollectDescendants(*item, descendants);
  std::vector<CRSAutoPtrPolymorphic<CBehaviourRaiseable>> targets;
  for (CRSCanvasItem* d : descendants) {
    for (CRSObject* b : d->GetBehaviours()) {
      if (auto* r = dynamic_cast<CBehaviourRaiseable*>(b)) targets.emplace_back(r);
    }
  }
  for (auto& target : targets) {
    if (CBehaviourRaiseable* r = target) (raised ? r->sigRaised : r->sigLowered)(item);
  }
}

void CBehaviourRaiseable::SetLoweredShadowOffset(const PointF& offset) {
  if (offset.Equals(m_loweredOffset)) return;
  m_loweredOffset = offset;
  if (!m_raised) CBehaviourShadow::SetShadow(GetItem(), offset);
}

void CBehaviourRaiseable::SetRaisedShadowOffset(const PointF& offset) {
  if (offset.Equals(m_raisedOffset)) return;
  m_raisedOffset = offset;
  if (m_raised) CBehaviourShadow::SetShadow(GetItem(), offset);
}
