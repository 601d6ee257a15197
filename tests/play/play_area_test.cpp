#include "play/play_area.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas/auto_ptr.h"
#include "platform/random.h"

namespace {

std::vector<std::string> Order(const CRSCanvasItem& parent) {
  std::vector<std::string> names;
  for (const auto& child : parent.GetChildren()) names.push_back(child->GetName());
  return names;
}

// The area finds places by halving; a plain item walks its list. Both must
// give the same order for any sequence of insertions and z-order changes,
// ties, the top z-order and children re-sorted in place included.
TEST(PlayArea, PlacesChildrenAsAPlainItemDoes) {
  platform::SeedRand(99);
  CRSAutoPtrPolymorphic<CRSCanvasItem> area = new CPuzzlePlayArea(nullptr);
  CRSAutoPtrPolymorphic<CRSCanvasItem> reference = new CRSCanvasItem(PointF(), nullptr, "reference");
  const int zs[] = {0, 5, CRSCanvasItem::kZOrderDefault - 1, CRSCanvasItem::kZOrderDefault, 0x40000063,
                    CRSCanvasItem::kZOrderTop};
  std::vector<CRSCanvasItem*> inArea, inReference;
  for (int i = 0; i < 400; ++i) {
    const int z = zs[platform::Rand() % 6];
    if (i > 20 && platform::Rand() % 3 == 0) {
      const std::size_t k = static_cast<std::size_t>(platform::Rand()) % inArea.size();
      inArea[k]->SetZOrder(z);
      inReference[k]->SetZOrder(z);
      continue;
    }
    const std::string name = std::to_string(i);
    auto* a = new CRSCanvasItem(PointF(), nullptr, name);
    auto* b = new CRSCanvasItem(PointF(), nullptr, name);
    a->SetZOrder(z);
    b->SetZOrder(z);
    a->SetParent(area);
    b->SetParent(reference);
    inArea.push_back(a);
    inReference.push_back(b);
  }
  EXPECT_EQ(Order(*area), Order(*reference));

  // Dropping the listeners leaves the children where they are.
  static_cast<CPuzzlePlayArea*>(area.get())->DropListeners();
  EXPECT_EQ(area->GetChildren().size(), inArea.size());
  EXPECT_TRUE(area->sigGeometryChanged.empty());
}

}  // namespace
