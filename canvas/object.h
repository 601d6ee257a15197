#pragma once
// CRSObject: the base of every framework object. It adds to a receiver a
// place in a parent/child tree, a name, owned user data, timers, and signals
// that announce its destruction and its moves between parents.
//
// A parent owns its children through smart pointers and deletes them, first
// to last, when it is destroyed. A child detached from its parent lives on
// until it is deleted or handed to a new owner. An object that may be
// deleted while its own code runs uses DeleteLater, which takes effect only
// when no event dispatch is running.

#include <memory>
#include <string>
#include <vector>

#include "canvas/auto_ptr.h"
#include "canvas/event_receiver.h"
#include "canvas/sigslot.h"
#include "canvas/timer.h"

class CRSObject : public CRSEventReceiver, public CRSTimer {
 public:
  // Data a user of the framework hangs on an object; owned by the object.
  class UserData {
   public:
    virtual ~UserData() = default;
  };

  using ChildList = std::vector<CRSAutoPtrPolymorphic<CRSObject>>;

  // The parent may be null. Note that the constructor can only run
  // CRSObject's own SetParent: a subclass that adds steps to SetParent
  // must repeat them in its own constructor.
  explicit CRSObject(CRSObject* parent = nullptr, std::string name = {});
  ~CRSObject() override;

  // Detaches the object from its parent first, then queues its deletion.
  void DeleteLater() override;

  // Moves the object under `parent` (null detaches). Does nothing when the
  // parent does not change; emits sigParentChanged after a move to a
  // non-null parent. An object being deleted, or a parent being deleted, is
  // only detached.
  virtual void SetParent(CRSObject* parent);
  // Moves every child under `newParent`, in list order, each exactly as its
  // own SetParent(newParent) would (the same hooks, placement and
  // sigParentChanged), but in one pass over both lists instead of two
  // searches per child: handing thousands of children over costs as much as
  // listing them. A null parent, or one being deleted, detaches them one by
  // one; moving children to their own parent or to one of them does nothing.
  void MoveChildrenTo(CRSObject* newParent);
  // Deletes the children in list order.
  virtual void DeleteChildren();
  // The child before which `child` is inserted; null appends.
  virtual CRSObject* FindInsertPosition(CRSObject* child);
  // The same answer as an index into the list (its size appends), looked
  // for from `from` onward first. A subclass that finds the place by its
  // index answers here without searching the list for it.
  virtual std::size_t FindInsertIndex(CRSObject* child, std::size_t from = 0);
  // Called on the new parent before the child is linked; it may redirect the
  // child elsewhere, which ends the move.
  virtual void OnAddChild(CRSObject* child);
  // Called on the old parent after the child is unlinked.
  virtual void OnRemoveChild(CRSObject* child);

  CRSObject* GetParent() const { return m_parent; }
  const std::string& GetName() const { return m_name; }
  // The children in insertion order. The list changes under handlers that
  // add, remove or delete children: code that calls out while walking it
  // should walk a copy.
  const ChildList& GetChildren() const { return m_children; }
  // The first direct child of that name, or null.
  CRSObject* FindChild(const std::string& name) const;

  // Deletes what was there before.
  void SetUserData(std::unique_ptr<UserData> data);
  UserData* GetUserData() const { return m_userData.get(); }

  sigslot::signal0 sigDestroying;
  sigslot::signal1<CRSObject*> sigDestroyed;
  // (object, new parent, old parent)
  sigslot::signal3<CRSObject*, CRSObject*, CRSObject*> sigParentChanged;

 protected:
  // Steps a subclass adds around a child's move by MoveChildrenTo, as its
  // SetParent does around the base's: called on the child just before and
  // just after it changes parent.
  virtual void OnMoveStarting() {}
  virtual void OnMoveDone(CRSObject* /*oldParent*/) {}
  // Told right after `child` came into this object's list at `index`, and
  // right after it left the list from `index` (kNoIndex: from no one place,
  // as when the list closes up later; a null child with kNoIndex: every
  // child is about to go), so that a subclass keeping a view of the list
  // follows each change instead of reading the whole list again.
  static constexpr std::size_t kNoIndex = static_cast<std::size_t>(-1);
  virtual void OnChildLinked(CRSObject* /*child*/, std::size_t /*index*/) {}
  virtual void OnChildUnlinked(CRSObject* /*child*/, std::size_t /*index*/) {}

 private:

  CRSObject* m_parent = nullptr;
  ChildList m_children;
  std::string m_name;
  std::unique_ptr<UserData> m_userData;
};

// A list of objects that forgets each object as it is destroyed.
class CRSObjectSmartList : public sigslot::has_slots {
 public:
  using List = std::vector<CRSAutoPtrPolymorphic<CRSObject>>;

  CRSObjectSmartList() = default;
  ~CRSObjectSmartList() override;

  // Appends `object` unless it is already there.
  void Add(CRSObject* object);
  void Remove(CRSObject* object);
  bool Contains(const CRSObject* object) const;
  void Clear();

  const List& Items() const { return m_items; }
  std::size_t size() const { return m_items.size(); }
  bool empty() const { return m_items.empty(); }

 private:
  void OnObjectDestroyed(CRSObject* object);

  List m_items;
};
