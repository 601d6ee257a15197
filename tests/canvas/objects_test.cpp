#include "canvas/object.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "canvas/event_dispatcher.h"
#include "platform/message_loop.h"

namespace {

std::vector<std::string> g_log;

// An object that reports its own destruction, with the hooks a subclass may
// override.
class Node : public CRSObject {
 public:
  Node(CRSObject* parent, std::string name) : CRSObject(parent, std::move(name)) {}
  ~Node() override { g_log.push_back("~" + GetName()); }

  void OnAddChild(CRSObject* child) override { g_log.push_back(GetName() + ".add(" + child->GetName() + ")"); }
  void OnRemoveChild(CRSObject* child) override {
    g_log.push_back(GetName() + ".remove(" + child->GetName() + ")");
  }
  CRSObject* FindInsertPosition(CRSObject* child) override {
    // Names starting with '!' go to the front.
    if (!child->GetName().empty() && child->GetName()[0] == '!' && !GetChildren().empty())
      return GetChildren().front().get();
    return nullptr;
  }
};

struct Watcher : sigslot::has_slots {
  std::vector<std::tuple<CRSObject*, CRSObject*, CRSObject*>> moves;
  void OnParentChanged(CRSObject* o, CRSObject* n, CRSObject* old) { moves.emplace_back(o, n, old); }
  void OnDestroying() { g_log.push_back("destroying"); }
  void OnDestroyed(CRSObject* o) { g_log.push_back("destroyed:" + o->GetName()); }
};

std::vector<std::string> Names(const CRSObject& parent) {
  std::vector<std::string> out;
  for (const auto& c : parent.GetChildren()) out.push_back(c ? c->GetName() : "<null>");
  return out;
}

class ObjectsTest : public ::testing::Test {
 protected:
  void SetUp() override { g_log.clear(); }
  void TearDown() override { DiscardEvents(); }
  platform::MessageLoop loop;
};

TEST_F(ObjectsTest, SmartPointerReadsNullOnceItsObjectIsGoneAndLastOwnerDeletes) {
  auto* a = new Node(nullptr, "a");
  CRSAutoPtrPolymorphic<CRSObject> weak(a);
  CRSAutoPtrPolymorphic<CRSObject> copy = weak;
  EXPECT_EQ(a->GetAutoPtrBlock()->refCount, 2);
  a->Delete();
  EXPECT_EQ(weak.get(), nullptr);
  EXPECT_EQ(copy.get(), nullptr);
  EXPECT_EQ(g_log, (std::vector<std::string>{"~a"}));
  g_log.clear();

  {
    CRSAutoPtrPolymorphic<Node> only(new Node(nullptr, "b"));
    CRSAutoPtrPolymorphic<Node> second = only;
    second.Release();
    EXPECT_TRUE(g_log.empty()) << "one owner is left";
  }
  EXPECT_EQ(g_log, (std::vector<std::string>{"~b"})) << "the last owner deletes";
}

TEST_F(ObjectsTest, DeletingAParentDeletesChildrenFirstInOrderThenDetaches) {
  Node root(nullptr, "root");
  auto* parent = new Node(&root, "parent");
  new Node(parent, "c1");
  auto* c2 = new Node(parent, "c2");
  new Node(c2, "grandchild");
  new Node(parent, "c3");
  Watcher w;
  parent->sigDestroying.connect(&w, &Watcher::OnDestroying);
  parent->sigDestroyed.connect(&w, &Watcher::OnDestroyed);
  g_log.clear();

  parent->Delete();
  EXPECT_EQ(g_log, (std::vector<std::string>{"~parent", "destroying", "destroyed:parent", "~c1", "~c2",
                                             "~grandchild", "~c3", "root.remove(parent)"}));
  EXPECT_TRUE(root.GetChildren().empty());
  EXPECT_EQ(w.connected_signal_count(), 0u);
}

TEST_F(ObjectsTest, SetParentMovesOnceAndSignalsOnlyRealMoves) {
  Node a(nullptr, "A"), b(nullptr, "B");
  auto* child = new Node(&a, "child");
  Watcher w;
  child->sigParentChanged.connect(&w, &Watcher::OnParentChanged);
  g_log.clear();

  child->SetParent(&a);
  EXPECT_TRUE(w.moves.empty());
  EXPECT_TRUE(g_log.empty());

  child->SetParent(&b);
  EXPECT_EQ(g_log, (std::vector<std::string>{"B.add(child)", "A.remove(child)"}));
  ASSERT_EQ(w.moves.size(), 1u);
  EXPECT_EQ(w.moves[0], std::make_tuple(static_cast<CRSObject*>(child), static_cast<CRSObject*>(&b),
                                        static_cast<CRSObject*>(&a)));
  EXPECT_TRUE(a.GetChildren().empty());
  EXPECT_EQ(Names(b), (std::vector<std::string>{"child"}));
  EXPECT_EQ(child->GetParent(), &b);
  EXPECT_EQ(child->GetAutoPtrBlock()->refCount, 1) << "owned by exactly one list";
}

TEST_F(ObjectsTest, DetachedChildSurvivesWithoutOwnerUntilDeleted) {
  Node a(nullptr, "A");
  auto* child = new Node(&a, "child");
  CRSAutoPtrPolymorphic<Node> watch;  // no owner yet
  child->SetParent(nullptr);
  EXPECT_EQ(child->GetAutoPtrBlock()->refCount, 0);
  EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "~child"), 0);
  EXPECT_EQ(child->GetParent(), nullptr);
  child->Delete();
  EXPECT_EQ(g_log.back(), "~child");
}

TEST_F(ObjectsTest, InsertPositionAndRedirectionByTheNewParent) {
  Node p(nullptr, "p");
  new Node(&p, "x");
  new Node(&p, "y");
  new Node(&p, "!front");
  EXPECT_EQ(Names(p), (std::vector<std::string>{"!front", "x", "y"}));

  // A parent whose OnAddChild places the child under another object.
  class Redirector : public CRSObject {
   public:
    CRSObject* elsewhere = nullptr;
    void OnAddChild(CRSObject* child) override { child->SetParent(elsewhere); }
  } redirector;
  Node target(nullptr, "target");
  redirector.elsewhere = &target;
  auto* moved = new Node(nullptr, "moved");
  moved->SetParent(&redirector);
  EXPECT_EQ(moved->GetParent(), &target);
  EXPECT_TRUE(redirector.GetChildren().empty());
  EXPECT_EQ(Names(target), (std::vector<std::string>{"moved"}));
}

TEST_F(ObjectsTest, ParentBeingDeletedOnlyDetaches) {
  Node root(nullptr, "root");
  auto* dying = new Node(&root, "dying");
  auto* other = new Node(&root, "other");
  // While `dying` is destroyed, its sigDestroying handler tries to adopt
  // `other`: the move must end with `other` detached, not inside a parent
  // that is going away.
  struct Adopter : sigslot::has_slots {
    CRSObject* parent = nullptr;
    CRSObject* child = nullptr;
    void Go() { child->SetParent(parent); }
  } adopter;
  adopter.parent = dying;
  adopter.child = other;
  dying->sigDestroying.connect(&adopter, &Adopter::Go);
  dying->Delete();
  EXPECT_EQ(other->GetParent(), nullptr);
  EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "~other"), 0);
  other->Delete();
}

TEST_F(ObjectsTest, SmartListForgetsDestroyedObjectsAndKeepsOneEntryEach) {
  CRSObjectSmartList list;
  Node root(nullptr, "root");
  auto* a = new Node(&root, "a");
  auto* b = new Node(&root, "b");
  list.Add(a);
  list.Add(b);
  list.Add(a);
  EXPECT_EQ(list.size(), 2u);
  b->Delete();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list.Items()[0].get(), a);
  list.Remove(a);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(a->GetParent(), &root) << "removing from the list leaves the object to its parent";
  EXPECT_EQ(a->sigDestroyed.connection_count(), 0u);
}

// ---- deletion through the event queue ----

class SelfDeleting : public Node {
 public:
  SelfDeleting(CRSObject* parent, std::string name, bool later) : Node(parent, std::move(name)), m_later(later) {}
  void OnEvent(CRSEvents::BasicEvent&) override {
    if (m_later) {
      DeleteLater();
    } else {
      Delete();
    }
    DeleteLater();  // a second request changes nothing
    g_log.push_back("handler-end");
  }

 private:
  bool m_later;
};

class Poster : public CRSEventReceiver {
 public:
  CRSEventReceiver* target = nullptr;
  void OnEvent(CRSEvents::BasicEvent&) override {
    DispatchEvent(target, std::make_unique<CRSEvents::BasicEvent>(42));
    g_log.push_back("outer-end");
  }
};

TEST_F(ObjectsTest, DeletionRequestedInsideAHandlerWaitsForTheWholeDispatch) {
  for (bool later : {true, false}) {
    g_log.clear();
    Node root(nullptr, "root");
    auto* victim = new SelfDeleting(&root, "victim", later);
    if (!later) victim->SetDeletionMode(CRSEventReceiver::kDeleteThroughQueue);
    Watcher w;
    victim->sigDestroyed.connect(&w, &Watcher::OnDestroyed);
    Poster poster;
    poster.target = victim;
    g_log.clear();
    // The victim's handler runs inside a dispatch nested in another one.
    PostEvent(&poster, std::make_unique<CRSEvents::BasicEvent>(41));
    loop.PumpMessages(0);
    // Detached at once, destroyed only after both dispatches have returned.
    EXPECT_EQ(g_log, (std::vector<std::string>{"root.remove(victim)", "handler-end", "outer-end", "~victim",
                                               "destroyed:victim"}))
        << (later ? "DeleteLater" : "Delete in mode 1");
    EXPECT_TRUE(root.GetChildren().empty());
  }
}

TEST_F(ObjectsTest, QueuedDeletionHappensWhenTheQueueIsDiscarded) {
  auto* n = new Node(nullptr, "n");
  n->DeleteLater();
  EXPECT_EQ(n->GetDeletionMode(), CRSEventReceiver::kDeletionQueued);
  n->Delete();  // already queued: nothing
  EXPECT_TRUE(g_log.empty());
  DiscardEvents();
  EXPECT_EQ(g_log, (std::vector<std::string>{"~n"}));
}

TEST_F(ObjectsTest, ChildWhoseDeletionIsQueuedLeavesTheParentsListAtOnce) {
  Node root(nullptr, "root");
  auto* parent = new Node(&root, "parent");
  auto* child = new Node(parent, "child");
  child->DeleteLater();
  EXPECT_TRUE(parent->GetChildren().empty());
  parent->Delete();  // must not touch the child
  EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "~child"), 0);
  loop.PumpMessages(0);
  EXPECT_EQ(g_log.back(), "~child");
}

}  // namespace
