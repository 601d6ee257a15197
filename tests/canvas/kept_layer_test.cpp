// A layer that keeps a picture of its children must show, after every kind
// of change below or of it, what painting the children directly shows: a
// part it fails to repaint would leave a piece where it no longer lies.

#include "canvas/items/kept_layer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "canvas/behaviours.h"
#include "canvas/items/sharp_work_budget.h"
#include "item_test_support.h"

namespace {

using item_test::Differences;
using item_test::Render;
using item_test::SolidPicture;

// Taller than the band a frame sharpens.
constexpr int kW = 160;
constexpr int kH = 640;

// A root with a layer of a few overlapping, half-transparent pictures.
struct Tree {
  CRSCanvasItem root{PointF(), nullptr, "root"};
  CRSKeptLayer* layer;
  std::vector<CRSCanvasImage*> images;

  explicit Tree(bool keeps) {
    root.SetSize(SizeF(kW, kH));
    layer = new CRSKeptLayer(&root, "layer", keeps);
    layer->SetSize(SizeF(400, 900));
    const ARGB colours[] = {0xFFE03030u, 0x8030A0E0u, 0xFF40C040u, 0xC0202020u};
    for (int i = 0; i < 12; ++i) {
      images.push_back(new CRSCanvasImage(PointF(13.0f * i, 9.0f * (i % 5) + 50.0f * i), layer, "",
                                          SolidPicture(20 + i, 16, colours[i % 4])));
      // Screen copies snap to whole pixels; one tree would make them where
      // the other does not.
      images.back()->SetCacheEnabled(false);
    }
  }

  // Moves the layer's view as the table does: frozen, then one repaint.
  void View(float scale, PointF origin) {
    layer->InvalidateTransform();
    layer->SetUpdatesEnabled(false);
    layer->SetScale(PointF(scale, scale));
    layer->SetOrigin(origin);
    layer->SetPosition(PointF());
    layer->SetUpdatesEnabled(true);
    layer->InvalidateTransform();
  }
};

TEST(KeptLayerTest, ShowsWhatTheChildrenPaintAfterEveryChange) {
  struct Step {
    const char* change;
    std::function<void(Tree&)> act;
  };
  const Step steps[] = {
      {"a child moved", [](Tree& t) { t.images[3]->MoveBy(PointF(17, 11)); }},
      {"a child hidden", [](Tree& t) { t.images[5]->SetVisible(false); }},
      {"a child's picture replaced", [](Tree& t) { t.images[1]->SetImage(SolidPicture(30, 30, 0xFF8000FFu), true); }},
      {"a child added", [](Tree& t) { new CRSCanvasImage(PointF(60, 40), t.layer, "", SolidPicture(9, 9, ~0u)); }},
      {"a child deleted", [](Tree& t) { delete t.images[7]; }},
      {"panned by whole pixels", [](Tree& t) { t.View(1.0f, PointF(12, 7)); }},
      {"panned by a part of a pixel", [](Tree& t) { t.View(1.0f, PointF(-7.5f, 3.25f)); }},
      {"zoomed", [](Tree& t) { t.View(0.6f, PointF(-19.5f, -3.25f)); }},
      {"a child moved while the layer is frozen",
       [](Tree& t) {
         t.layer->SetUpdatesEnabled(false);
         t.images[2]->MoveBy(PointF(40, 30));
         t.layer->SetUpdatesEnabled(true);
         t.layer->InvalidateTransform();
       }},
      {"zoomed softly, then sharp",
       [](Tree& t) {
         t.layer->ScaleSoftlyFor(10000);
         t.View(0.8f, PointF(0, 0));
         Render(t.root, kW, kH);
         EXPECT_TRUE(!t.layer->HasPicture() || t.layer->IsSoft());
         t.View(1.3f, PointF(10, 10));
         Render(t.root, kW, kH);
         t.images[4]->MoveBy(PointF(-5, 8));
         t.layer->Sharpen();
         // A band a frame, panned meanwhile.
         Render(t.root, kW, kH);
         t.View(1.3f, PointF(10, 40));
         for (int frame = 0; frame < 8 && t.layer->IsSoft(); ++frame) Render(t.root, kW, kH);
       }},
  };
  Tree kept(true), direct(false);
  Render(kept.root, kW, kH);
  for (const Step& step : steps) {
    step.act(kept);
    step.act(direct);
    const auto a = Render(kept.root, kW, kH);
    const auto b = Render(direct.root, kW, kH);
    EXPECT_TRUE(kept.layer->HasPicture()) << step.change;
    EXPECT_FALSE(kept.layer->IsSoft()) << step.change;
    // Blending over a picture of its own rounds once more than blending
    // straight onto the target.
    EXPECT_EQ(Differences(*a, *b, 2), 0) << step.change;
  }
}

// A zoom out that meets many large pieces and their shadows at a fifth of
// their size at once: the frame while the wheel turns makes only as many
// halved copies as its budget of new work allows, yet shows every piece;
// once the wheel rests, the layer shows what painting directly shows.
TEST(KeptLayerTest, AZoomOutBurstMakesBoundedNewWorkAFrameAndIsWholeAfterTheRest) {
  constexpr int kSide = 256, kCount = 36, kView = 400;
  struct Table {
    CRSCanvasItem root{PointF(), nullptr, "root"};
    CRSKeptLayer* layer;
    std::vector<CRSCanvasImage*> pieces;
    explicit Table(bool keeps) : layer(new CRSKeptLayer(&root, "layer", keeps)) {
      layer->SetSize(SizeF(2000, 2000));
      for (int i = 0; i < kCount; ++i) {
        pieces.push_back(new CRSCanvasImage(PointF(300.0f * (i % 6), 300.0f * (i / 6)), layer, "",
                                            SolidPicture(kSide, kSide, 0xFF000000u | (0x2F1F0Fu * (i + 1u) & 0xFFFFFFu))));
        pieces.back()->SetCacheEnabled(false);
        CBehaviourShadow::SetShadow(pieces.back(), PointF(6, 6));
      }
      Render(root, kView, kView);
    }
    int Halved() const {
      return static_cast<int>(std::count_if(pieces.begin(), pieces.end(), [](auto* p) { return p->GetReducedLevel() == 2; }));
    }
  };
  Table kept(true), direct(false);
  kept.layer->ScaleSoftlyFor(10000);
  for (Table* table : {&kept, &direct}) {
    table->layer->InvalidateTransform();
    table->layer->SetScale(PointF(0.2f, 0.2f));
  }
  const auto burst = Render(kept.root, kView, kView);
  EXPECT_LE(kept.Halved(), CRSSharpWorkBudget::kBurstFramePixels / (kSide * kSide * 4 / 3));
  for (int i = 0; i < kCount; ++i)
    EXPECT_EQ(burst->GetPixel(60 * (i % 6) + 25, 60 * (i / 6) + 25), kept.pieces[i]->GetImage()->GetPixel(0, 0)) << i;
  kept.layer->Sharpen();
  for (int frame = 0; frame < 8 && kept.layer->IsSoft(); ++frame) Render(kept.root, kView, kView);
  EXPECT_FALSE(kept.layer->IsSoft());
  EXPECT_EQ(kept.Halved(), kCount);
  EXPECT_EQ(Differences(*Render(kept.root, kView, kView), *Render(direct.root, kView, kView), 2), 0);
}

}  // namespace
