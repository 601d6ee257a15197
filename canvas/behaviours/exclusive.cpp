// One selected item among many.

#include "canvas/behaviours.h"

CBehaviourExclusive::CBehaviourExclusive(CRSObject* parent, const std::string& name) : CRSObject(parent, name) {}

CBehaviourExclusive::~CBehaviourExclusive() = default;

CBehaviourExclusive::Entry& CBehaviourExclusive::GetEntry(CRSCanvasItem* item) {
  for (auto& entry : m_entries) {
    if (entry->item.SameBlock(item)) return *entry;
  }
  m_entries.push_back(std::make_shared<Entry>());
  m_entries.back()->item = item;
  return *m_entries.back();
}

void CBehaviourExclusive::Select(CRSAutoPtrPolymorphic<CRSCanvasItem> item) {
  m_current = item;
  CRSCanvasItem* selected = item;
  // Slots may add entries; walk the entries as they were.
  const std::vector<std::shared_ptr<Entry>> entries = m_entries;
  CRSAutoPtrLifeGuard alive(this);
  for (const auto& entry : entries) {
    CRSCanvasItem* own = entry->item;
    entry->sigSelected(own != nullptr && own == selected);
    if (!alive.Alive()) return;
  }
  sigSelected(selected);
}
