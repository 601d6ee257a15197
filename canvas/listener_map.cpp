#include "canvas/listener_map.h"

#include <algorithm>

#include "canvas/event_receiver.h"

namespace {

bool Holds(const CRSListenerMap::List& list, const CRSEventReceiver* receiver) {
  return std::any_of(list.begin(), list.end(), [receiver](const auto& p) { return p.SameBlock(receiver); });
}

}  // namespace

CRSListenerMap::~CRSListenerMap() { Clear(); }

void CRSListenerMap::Add(CRSEventReceiver* receiver, int type) {
  if (!receiver) return;
  if (auto it = m_lists.find(0); it != m_lists.end() && Holds(it->second, receiver)) return;
  if (type != 0) {
    if (auto it = m_lists.find(type); it != m_lists.end() && Holds(it->second, receiver)) return;
  } else {
    Remove(receiver, 0);
  }
  m_lists[type].emplace_back(receiver);
}

void CRSListenerMap::Remove(CRSEventReceiver* receiver, int type) {
  if (!receiver) return;
  // Entries are emptied in place and erased once no walk runs over them.
  for (auto& [key, list] : m_lists) {
    if (type != 0 && key != type) continue;
    for (auto& entry : list) {
      if (entry.SameBlock(receiver)) {
        entry.Release();
        m_dirty = true;
      }
    }
  }
  if (m_walking == 0) Compact();
}

bool CRSListenerMap::Contains(const CRSEventReceiver* receiver, int type) const {
  auto it = m_lists.find(type);
  return it != m_lists.end() && Holds(it->second, receiver);
}

void CRSListenerMap::Clear() {
  if (m_walking == 0) {
    m_lists.clear();
    return;
  }
  for (auto& [key, list] : m_lists) {
    for (auto& entry : list) entry.Release();
  }
  m_dirty = true;
}

CRSListenerMap::List* CRSListenerMap::Find(int type) {
  auto it = m_lists.find(type);
  return it == m_lists.end() ? nullptr : &it->second;
}

void CRSListenerMap::EndWalk() {
  if (--m_walking == 0 && m_dirty) Compact();
}

int CRSListenerMap::Combine(int verdict, int answer) {
  if (answer == kVerdictRestore) return kVerdictContinue;
  return answer < verdict ? answer : verdict;
}

void CRSListenerMap::Compact() {
  for (auto it = m_lists.begin(); it != m_lists.end();) {
    auto& list = it->second;
    std::erase_if(list, [](const auto& entry) { return !entry; });
    it = list.empty() ? m_lists.erase(it) : std::next(it);
  }
  m_dirty = false;
}
