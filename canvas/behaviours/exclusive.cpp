// One selected item among many.

#include "canvas/behaviours.h"

CBehaviourExclusive::CBehaviourExclusive(CRSObject* parent, const std::string& name) : CRSObject(parent, name) {}

CBehaviourExclusive::~CBehaviourExclusive() = default;

CBehaviourExclusive::Entry& CBehaviourExclusive::GetEntry(CRSCanvasItem* item) {
  // A room registers every entry of its floor here: a look-up by block
  // keeps that linear in the number of entries.
  const CRSAutoPtrBlock* block = item ? item->GetAutoPtrBlock() : nullptr;
  if (block) {
    const auto found = m_entryIndex.find(block);
    if (found != m_entryIndex.end()) return *m_entries[found->second];
  }
  m_entries.push_back(std::make_shared<Entry>());
  m_entries.back()->item = item;
  if (block) m_entryIndex.emplace(block, m_entries.size() - 1);
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
