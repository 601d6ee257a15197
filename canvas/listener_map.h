#pragma once
// An ordered map from event type to the receivers that listen for it: the
// shape of both the dispatcher's global listeners and a receiver's filters.
// Type 0 means every type.
//
// Lists hold weak references: listening never keeps a receiver alive, so a
// window that filters its own events goes when its last owner lets it go.
// An entry whose receiver has been destroyed reads null; the next walk that
// finds it drops it. Walks may run nested and listeners may add or remove
// listeners while one runs: removal during a walk only empties the entry,
// and emptied entries are erased once no walk is running.

#include <map>
#include <vector>

#include "canvas/weak_ref.h"

class CRSEventReceiver;

class CRSListenerMap {
 public:
  using List = std::vector<CRSWeakRef<CRSEventReceiver>>;

  CRSListenerMap() = default;
  CRSListenerMap(const CRSListenerMap&) = delete;
  CRSListenerMap& operator=(const CRSListenerMap&) = delete;
  ~CRSListenerMap();

  // Appends `receiver` to the list for `type`, unless it already listens for
  // all types, or for this type. Adding for type 0 first removes it from
  // every type's own list.
  void Add(CRSEventReceiver* receiver, int type);

  // Removes `receiver` from the list for `type`; type 0 removes it from every
  // list.
  void Remove(CRSEventReceiver* receiver, int type);

  bool Contains(const CRSEventReceiver* receiver, int type) const;

  // Lets go of every entry.
  void Clear();

  // The list for one key, or null. Only for walking (see BeginWalk).
  List* Find(int type);

  // A walk brackets every pass over a list with these, so that removals made
  // by the listeners it calls do not shift the entries under it.
  void BeginWalk() { ++m_walking; }
  void EndWalk();
  void NoteDeadEntry() { m_dirty = true; }

  // Combines a listener's verdict with the verdict so far: kVerdictRestore
  // puts the default back, otherwise the lowest verdict wins.
  static int Combine(int verdict, int answer);

 private:
  void Compact();

  std::map<int, List> m_lists;
  int m_walking = 0;
  bool m_dirty = false;
};
