#include "canvas/object.h"

#include <algorithm>
#include <utility>

#include "canvas/event_dispatcher.h"

CRSObject::CRSObject(CRSObject* parent, std::string name)
    : CRSEventReceiver(kDeleteNow), m_name(std::move(name)) {
  CRSObject::SetParent(parent);
}

CRSObject::~CRSObject() {
  BeginDestruction();
  sigDestroying();
  sigDestroyed(this);
  DeleteChildren();
  SetParent(nullptr);
  m_userData.reset();
  m_name.clear();
  // The child list is empty by now; letting go of its storage is enough.
  ChildList().swap(m_children);
  sigDestroying.disconnect_all();
  sigDestroyed.disconnect_all();
  sigParentChanged.disconnect_all();
  KillAllTimers();
}

void CRSObject::DeleteLater() {
  if (GetDeletionMode() == kDeletionQueued) return;
  SetParent(nullptr);
  CRSEventReceiver::DeleteLater();
}

void CRSObject::SetParent(CRSObject* newParent) {
  CRSObject* const oldParent = m_parent;
  if (newParent == oldParent) return;

  const bool linkable = newParent && !IsBeingDeleted() && !newParent->IsBeingDeleted();
  if (linkable) {
    newParent->OnAddChild(this);
    // The new parent may have placed the child elsewhere itself.
    if (m_parent != oldParent) return;
  }

  // A count of our own keeps us alive while we leave the old parent's list,
  // which may have been our only owner. Dropping it never deletes us: an
  // object detached from its only owner survives with no count, to be
  // deleted or adopted by its caller.
  CRSAutoPtrLifeGuard self(this);
  CRSAutoPtrLifeGuard adopter(newParent);
  m_parent = nullptr;

  if (oldParent) {
    CRSAutoPtrPolymorphic<CRSObject> leaving;
    auto& siblings = oldParent->m_children;
    auto it = std::find_if(siblings.begin(), siblings.end(), [this](const auto& c) { return c.SameBlock(this); });
    if (it != siblings.end()) {
      const auto index = static_cast<std::size_t>(it - siblings.begin());
      leaving = std::move(*it);
      siblings.erase(it);
      oldParent->OnChildUnlinked(this, index);
    }
    leaving.Release();  // cannot delete us: we hold a count
    oldParent->OnRemoveChild(this);
    // The old parent's handler may have destroyed either of us.
    if (!self.Alive()) return;
  }

  if (linkable && adopter.Alive() && !IsBeingDeleted() && !newParent->IsBeingDeleted()) {
    // Only a handler that moved us meanwhile can have linked us already:
    // an object is in the list of the parent it names, and of no other.
    // Looking through the list every time would make each move cost the
    // size of the parent (a group of thousands of pieces).
    auto& siblings = newParent->m_children;
    const bool present = m_parent && std::any_of(siblings.begin(), siblings.end(),
                                                 [this](const auto& c) { return c.SameBlock(this); });
    m_parent = newParent;
    if (!present) {
      const std::size_t index = std::min(newParent->FindInsertIndex(this), siblings.size());
      siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(index), CRSAutoPtrPolymorphic<CRSObject>(this));
      newParent->OnChildLinked(this, index);
    }
    sigParentChanged(this, newParent, oldParent);
  }
}

std::size_t CRSObject::FindInsertIndex(CRSObject* child, std::size_t from) {
  CRSObject* before = FindInsertPosition(child);
  if (!before) return m_children.size();
  // Children handed over in order land in order, so the search goes on
  // from the last place; only a child placed before it searches it all.
  const auto same = [before](const auto& c) { return c.SameBlock(before); };
  auto it = std::find_if(m_children.begin() + static_cast<std::ptrdiff_t>(std::min(from, m_children.size())),
                         m_children.end(), same);
  if (it == m_children.end()) it = std::find_if(m_children.begin(), m_children.end(), same);
  return static_cast<std::size_t>(it - m_children.begin());
}

void CRSObject::MoveChildrenTo(CRSObject* newParent) {
  if (newParent == this || m_children.empty()) return;
  for (CRSObject* up = newParent; up; up = up->m_parent)
    if (up->m_parent == this) return;  // a child cannot hold its own parent
  if (!newParent || IsBeingDeleted() || newParent->IsBeingDeleted()) {
    // Only detaching: each child leaves the front of the list.
    while (!m_children.empty()) {
      CRSObject* child = m_children.front().get();
      const std::size_t before = m_children.size();
      if (child) child->SetParent(newParent);
      if (m_children.size() == before) m_children.erase(m_children.begin());
    }
    return;
  }
  CRSAutoPtrLifeGuard self(this);
  CRSAutoPtrLifeGuard adopter(newParent);
  // A moved child leaves an empty entry behind, and the empty entries go
  // together at the end, instead of the list closing up after each child.
  std::size_t place = 0;
  for (std::size_t i = 0; i < m_children.size() && self.Alive(); ++i) {
    CRSObject* child = m_children[i].get();
    if (!child || child->m_parent != this) continue;
    CRSAutoPtrLifeGuard alive(child);
    child->OnMoveStarting();
    const bool linkable = adopter.Alive() && !child->IsBeingDeleted() && !newParent->IsBeingDeleted();
    if (linkable) {
      newParent->OnAddChild(child);
      // The new parent placed the child elsewhere itself.
      if (!alive.Alive() || child->m_parent != this) continue;
    }
    // A handler may have changed the list: the child is looked up again.
    if (i >= m_children.size() || !m_children[i].SameBlock(child)) {
      const auto it = std::find_if(m_children.begin(), m_children.end(),
                                   [child](const auto& c) { return c.SameBlock(child); });
      if (it == m_children.end()) continue;
      i = static_cast<std::size_t>(it - m_children.begin());
    }
    CRSAutoPtrPolymorphic<CRSObject> moving = std::move(m_children[i]);
    child->m_parent = nullptr;
    // The list closes up only at the end.
    OnChildUnlinked(child, kNoIndex);
    OnRemoveChild(child);
    if (!alive.Alive() || !self.Alive()) continue;
    if (!linkable || !adopter.Alive() || child->IsBeingDeleted() || newParent->IsBeingDeleted()) {
      moving.Release();  // detached, as SetParent leaves it
      continue;
    }
    child->m_parent = newParent;
    place = std::min(newParent->FindInsertIndex(child, place), newParent->m_children.size());
    newParent->m_children.insert(newParent->m_children.begin() + static_cast<std::ptrdiff_t>(place), std::move(moving));
    newParent->OnChildLinked(child, place);
    ++place;
    child->sigParentChanged(child, newParent, this);
    if (alive.Alive()) child->OnMoveDone(this);
  }
  if (self.Alive()) std::erase_if(m_children, [](const auto& c) { return !c.block(); });
}

void CRSObject::DeleteChildren() {
  // Every child goes: a view of the list is read anew afterwards rather
  // than closed up after each child (a table of thousands of pieces).
  if (!m_children.empty()) OnChildUnlinked(nullptr, kNoIndex);
  while (!m_children.empty()) {
    CRSObject* child = m_children.front().get();
    const CRSAutoPtrBlock* block = m_children.front().block();
    // Holding the block keeps its address from being reused while we check
    // below whether the child left the list.
    CRSAutoPtrLifeGuard guard(child);
    if (child && !child->IsBeingDeleted()) child->Delete();
    // A child normally leaves the list as it goes. One that did not (its
    // deletion is already queued, or it was gone) is dropped here, so this
    // loop always ends.
    if (!m_children.empty() && m_children.front().block() == block) {
      CRSAutoPtrPolymorphic<CRSObject> dropped = std::move(m_children.front());
      m_children.erase(m_children.begin());
      CRSObject* orphan = dropped.get();
      if (orphan) orphan->m_parent = nullptr;
      OnChildUnlinked(orphan, kNoIndex);
    }
  }
}

CRSObject* CRSObject::FindInsertPosition(CRSObject*) { return nullptr; }

void CRSObject::OnAddChild(CRSObject*) {}

void CRSObject::OnRemoveChild(CRSObject*) {}

CRSObject* CRSObject::FindChild(const std::string& name) const {
  for (const auto& child : m_children) {
    if (child && child->GetName() == name) return child.get();
  }
  return nullptr;
}

void CRSObject::SetUserData(std::unique_ptr<UserData> data) {
  if (data == m_userData) return;
  // The old data is deleted on the way out, once the new one is in place.
  m_userData.swap(data);
}

// ---- CRSObjectSmartList ----

CRSObjectSmartList::~CRSObjectSmartList() { Clear(); }

void CRSObjectSmartList::Add(CRSObject* object) {
  if (!object || Contains(object)) return;
  object->sigDestroyed.connect(this, &CRSObjectSmartList::OnObjectDestroyed);
  m_items.emplace_back(object);
}

void CRSObjectSmartList::Remove(CRSObject* object) {
  if (!object) return;
  auto it = std::find_if(m_items.begin(), m_items.end(), [object](const auto& p) { return p.SameBlock(object); });
  if (it == m_items.end()) return;
  if (!object->IsBeingDeleted()) object->sigDestroyed.disconnect(this);
  // Erase before letting go: the release may delete the object, whose
  // destruction must find the list already without it.
  CRSAutoPtrPolymorphic<CRSObject> released = std::move(*it);
  m_items.erase(it);
}

bool CRSObjectSmartList::Contains(const CRSObject* object) const {
  return std::any_of(m_items.begin(), m_items.end(), [object](const auto& p) { return p.SameBlock(object); });
}

void CRSObjectSmartList::Clear() {
  List items;
  items.swap(m_items);
  for (auto& item : items) {
    if (CRSObject* object = item.get()) object->sigDestroyed.disconnect(this);
  }
}

void CRSObjectSmartList::OnObjectDestroyed(CRSObject* object) { Remove(object); }
