// The place of a child among its siblings, found by halving over the kept
// z-order, against a plain reference: a stable sort by z-order in the order
// the children arrived, with top-most items last in the order they went top.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "canvas/behaviours.h"
#include "canvas/items.h"

namespace {

std::vector<CRSCanvasItem*> Order(const CRSCanvasItem& parent) {
  std::vector<CRSCanvasItem*> items;
  for (const auto& child : parent.GetChildren())
    if (auto* item = dynamic_cast<CRSCanvasItem*>(child.get())) items.push_back(item);
  return items;
}

TEST(ItemOrderTest, HalvingPlacesChildrenAsAWalkWouldAmongOtherObjects) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  // Objects that are not items live among the children too (a room on its
  // floor); they must neither break the search nor be mistaken for items.
  new CRSObject(&root, "roomA");
  std::vector<CRSCanvasItem*> expected;
  std::srand(11);
  const int zOrders[] = {0, 2, CRSCanvasItem::kZOrderDefault - 1, CRSCanvasItem::kZOrderDefault,
                         CRSCanvasItem::kZOrderDefault, 1073742823, 2147483546};
  for (int i = 0; i < 400; ++i) {
    auto* item = new CRSCanvasItem(PointF(), nullptr, "item");
    item->SetZOrder(zOrders[std::rand() % 7]);
    item->SetParent(&root);
    expected.push_back(item);
    if (i == 200) new CRSObject(&root, "roomB");
    // Now and then an item already in the list changes its z-order: it goes
    // after the others of its new z-order.
    if (i % 9 == 0) {
      CRSCanvasItem* moved = expected[static_cast<size_t>(std::rand()) % expected.size()];
      const int z = zOrders[std::rand() % 7];
      if (z != moved->GetZOrder()) {
        moved->SetZOrder(z);
        expected.erase(std::find(expected.begin(), expected.end(), moved));
        expected.push_back(moved);
      }
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](CRSCanvasItem* a, CRSCanvasItem* b) { return a->GetZOrder() < b->GetZOrder(); });
  }
  EXPECT_EQ(Order(root), expected);
}

// Handing a container's children to a floor at once gives each the place,
// the parent and the notice that moving it alone would, and empties the
// container; a floor's own children, items or not, keep their places.
struct MoveNotices : sigslot::has_slots {
  int count = 0;
  void OnMoved(CRSObject*, CRSObject* to, CRSObject*) { count += to != nullptr; }
};

TEST(ItemOrderTest, MovingAllChildrenAtOnceMatchesMovingThemOneByOne) {
  auto scene = [](bool atOnce, MoveNotices* notices) {
    auto floor = std::make_unique<CRSCanvasItem>(PointF(), nullptr, "floor");
    for (int z : {5, CRSCanvasItem::kZOrderTop, 1}) (new CRSCanvasItem(PointF(), floor.get(), "panel"))->SetZOrder(z);
    new CRSObject(floor.get(), "room");
    CRSCanvasItem container(PointF(), nullptr, "container");
    std::srand(5);
    for (int i = 0; i < 300; ++i) {
      auto* piece = new CRSCanvasItem(PointF(static_cast<float>(i), 0.0f), &container, std::to_string(i));
      piece->SetZOrder(std::rand() % 8);
      piece->sigParentChanged.connect(notices, &MoveNotices::OnMoved);
    }
    if (atOnce) {
      container.MoveChildrenTo(floor.get());
    } else {
      while (!container.GetChildren().empty()) container.GetChildren().front()->SetParent(floor.get());
    }
    EXPECT_TRUE(container.GetChildItems().empty());
    std::vector<std::string> order;
    for (const auto& child : floor->GetChildren()) {
      EXPECT_EQ(child->GetParent(), floor.get());
      order.push_back(child->GetName());
    }
    EXPECT_EQ(floor->GetChildItems().size(), 303u);
    return order;
  };
  MoveNotices oneByOne, atOnce;
  EXPECT_EQ(scene(true, &atOnce), scene(false, &oneByOne));
  EXPECT_EQ(atOnce.count, 300);
  EXPECT_EQ(oneByOne.count, 300);
}

TEST(ExclusiveTest, EachItemHasOneEntryForAsLongAsTheSelectionLives) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  CBehaviourExclusive selection;
  std::vector<CRSCanvasItem*> items;
  for (int i = 0; i < 50; ++i) items.push_back(new CRSCanvasItem(PointF(), &root, "item"));
  std::vector<CBehaviourExclusive::Entry*> entries;
  for (CRSCanvasItem* item : items) entries.push_back(&selection.GetEntry(item));
  for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(&selection.GetEntry(items[i]), entries[i]);

  // Selecting tells every entry whether it is the one.
  int on = 0, off = 0;
  struct Listener : sigslot::has_slots {
    int* on;
    int* off;
    void Heard(bool selected) { ++*(selected ? on : off); }
  } listener;
  listener.on = &on;
  listener.off = &off;
  for (CBehaviourExclusive::Entry* entry : entries) entry->sigSelected.connect(&listener, &Listener::Heard);
  selection.Select(items[7]);
  EXPECT_EQ(on, 1);
  EXPECT_EQ(off, 49);
  EXPECT_EQ(selection.GetSelection(), items[7]);

  // A gone item keeps its entry (now empty); an item made afterwards, even
  // at the same address, gets a new one.
  items[3]->Delete();
  auto* fresh = new CRSCanvasItem(PointF(), &root, "fresh");
  EXPECT_NE(&selection.GetEntry(fresh), entries[3]);
  EXPECT_EQ(entries[3]->item.get(), nullptr);
  // Null items are never merged into one entry.
  EXPECT_NE(&selection.GetEntry(nullptr), &selection.GetEntry(nullptr));
}

}  // namespace
