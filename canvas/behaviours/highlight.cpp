// The glow behind a highlighted item.

#include "canvas/behaviours.h"

CBehaviourHighlight::CBehaviourHighlight(CRSCanvasItem* item, const std::string& name, bool buildNow)
    : CBehaviourSoftImage(item, name, CRSCanvasGroup::kHighlightName, kMargin) {
  ReplaceOthers<CBehaviourHighlight>();
  if (buildNow) Rebuild();
}

CBehaviourHighlight::~CBehaviourHighlight() = default;

CBehaviourHighlight* CBehaviourHighlight::SetHighlight(CRSCanvasItem* item, bool on) {
  if (!item || item->GetName() == CRSCanvasGroup::kHighlightName) return nullptr;
  if (auto* existing = Find<CBehaviourHighlight>(item)) {
    existing->SetOn(on);
    return existing;
  }
  if (!on) return nullptr;
  auto* highlight = new CBehaviourHighlight(item, {}, true);
  highlight->SetOn(true);
  return highlight;
}

void CBehaviourHighlight::SetOn(bool on) {
  if (on == m_on) return;
  m_on = on;
  ApplyVisibility();
}

void CBehaviourHighlight::Allow() {
  m_allowed = true;
  ApplyVisibility();
}

void CBehaviourHighlight::Disallow() {
  m_allowed = false;
  ApplyVisibility();
}

bool CBehaviourHighlight::ShouldShow() const { return m_on && m_allowed && GetItem() && GetItem()->IsVisible(); }

void CBehaviourHighlight::PlaceImage(CRSCanvasImage& image, CRSCanvasItem& item) { PlaceJustUnder(image, item); }
