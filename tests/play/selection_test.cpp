#include "play/selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "canvas/controls.h"
#include "canvas/sound.h"
#include "data/puzzle_image_data.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/play_room.h"
#include "play/table.h"
#include "play/table_arrange.h"
#include "play/tray.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "tests/app/root_scene.h"
#include "tests/data/puzzle_test_support.h"

namespace {

constexpr int kColumns = 5;
constexpr int kRows = 4;

// The real room with a 5 x 4 puzzle of 50-pixel pieces on a table of
// 2000 x 1600 units in a 1000 x 800 window, the pieces laid out far apart.
class SelectionScene : public RootScene {
 protected:
  void SetUp() override {
    RootScene::SetUp();
    AddPuzzleOnTable(kColumns, kRows, SizeF(2000, 1600));
    Open();
  }

  void Open() {
    room.Assign(dynamic_cast<CPuzzlePlayRoom*>(canvas->PlaySelectedPuzzle()));
    Pump(3);
    ASSERT_TRUE(room && room->IsOpen());
    table = room->GetTable();
    for (int i = 0; i < kColumns * kRows; ++i) {
      Piece(i)->SetRotation(0.0f);
      Piece(i)->MoveTopLeftTo(PointF(200.0f + 150.0f * static_cast<float>(i % kColumns),
                                     200.0f + 150.0f * static_cast<float>(i / kColumns)));
    }
  }

  CPuzzlePiece* Piece(int i) { return room->GetPieces()[static_cast<std::size_t>(i)].get(); }
  CRSCanvasItem* Top(int i) { return CTableSelection::TopOf(Piece(i)); }
  // Puts the pieces on their places over the ghost (not joined).
  void Solve(std::initializer_list<int> pieces) {
    for (int i : pieces) {
      room->SetCurrentItem(Piece(i));
      room->Hint();
    }
  }
  PointF FloorOf(const PointF& tablePoint) { return table->GetViewport().ToScreen(tablePoint); }
  PointF GripOf(int i) { return Piece(i)->MapToAncestor(Piece(i)->GetAnchor(), canvas->GetFloor()); }

  void Send(unsigned message, PointF floorPoint, unsigned keys = platform::kKeyStateLButton) {
    const PointF p = canvas->GetFloor()->MapToAncestor(floorPoint, nullptr);
    view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), message, keys,
                                           platform::MakeMousePosition(static_cast<int>(p.X), static_cast<int>(p.Y))});
  }
  void Drag(PointF from, PointF to, unsigned keys = platform::kKeyStateLButton) {
    Send(platform::kMsgLButtonDown, from, keys);
    Send(platform::kMsgMouseMove, PointF((from.X + to.X) / 2, (from.Y + to.Y) / 2), keys);
    Send(platform::kMsgMouseMove, to, keys);
    Send(platform::kMsgLButtonUp, to, keys & ~platform::kKeyStateLButton);
    Pump(2);
  }
  // A key pressed with Shift or Ctrl held (as platform flags), or with Alt.
  void Key(unsigned vk, unsigned modifiers = 0, bool alt = false) {
    platform::SetCurrentModifierFlags(modifiers);
    view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(),
                                           alt ? platform::kMsgSysKeyDown : platform::kMsgKeyDown, vk,
                                           alt ? std::intptr_t{1} << 29 : 0});
    platform::SetCurrentModifierFlags(0);
    Pump(1);
  }
  std::set<CRSCanvasItem*> Selected() {
    const auto items = table->GetSelection().GetItems();
    return {items.begin(), items.end()};
  }

  CRSWeakRef<CPuzzlePlayRoom> room;
  CPuzzleTable* table = nullptr;
};

// The band selects the pieces whose bounds it touches, and only those, at
// every zoom; a click on the empty table clears the selection.
TEST_F(SelectionScene, RubberBandSelectsExactlyWhatItTouchesAtEveryZoom) {
  const RectF band(330, 180, 290, 230);  // table units: touches columns 1 and 2 of rows 0 and 1
  for (float zoom : {0.5f, 2.0f}) {
    table->SetView(zoom, PointF(250, 100));
    Drag(FloorOf(PointF(band.X, band.Y)), FloorOf(PointF(band.GetRight(), band.GetBottom())));
    std::set<CRSCanvasItem*> expected;
    for (int i = 0; i < kColumns * kRows; ++i)
      if (Piece(i)->GetBoundsIn(table->GetSurface()).IntersectsWith(band)) expected.insert(Piece(i));
    EXPECT_EQ(expected.size(), 4u) << zoom;
    EXPECT_EQ(Selected(), expected) << zoom;
    auto* glow = CRSCanvasBehaviour::Find<CSelectionGlow>(Piece(1));
    EXPECT_TRUE(glow && glow->IsOn()) << zoom;
    Drag(FloorOf(PointF(320, 160)), FloorOf(PointF(321, 160)));
    EXPECT_TRUE(Selected().empty()) << "a click on the empty table clears it, at " << zoom;
    EXPECT_FALSE(glow->IsOn());
  }
}

// Ctrl+click picks two pieces; dragging one moves both, and the drop joins
// both to the pieces they fit, with one connect sound and one put-down.
TEST_F(SelectionScene, ADroppedSelectionJoinsEverythingThatFitsWithOneSound) {
  table->SetView(1.0f, PointF(500, 400));
  Solve({0, 1, 2});
  for (int i : {1, 2}) Piece(i)->MoveBy(PointF(300, 200));
  for (int i : {1, 2}) {
    Send(platform::kMsgLButtonDown, GripOf(i), platform::kKeyStateLButton | platform::kKeyStateControl);
    Send(platform::kMsgLButtonUp, GripOf(i), platform::kKeyStateControl);
  }
  ASSERT_EQ(Selected(), (std::set<CRSCanvasItem*>{Piece(1), Piece(2)}));
  CRSSoundHandler& sound = CRSSoundHandler::Instance();
  const int connects = sound.GetEffectRequests(CPuzzlePiece::kConnectSound);
  const int downs = sound.GetEffectRequests(CPuzzlePiece::kLowerSound);
  Drag(GripOf(1), GripOf(1) - PointF(300, 200));
  EXPECT_NE(Top(0), Piece(0));
  EXPECT_EQ(Top(1), Top(0));
  EXPECT_EQ(Top(2), Top(0));
  EXPECT_EQ(sound.GetEffectRequests(CPuzzlePiece::kConnectSound), connects + 1);
  EXPECT_EQ(sound.GetEffectRequests(CPuzzlePiece::kLowerSound), downs + 1);
  EXPECT_EQ(Selected(), (std::set<CRSCanvasItem*>{Top(0)})) << "the group is selected as a whole";
  EXPECT_EQ(Top(0)->GetParentItem(), table->GetSurface());
}

// The right button over a selected item turns every selected piece and
// group a quarter turn about its own centre; with Ctrl back again.
TEST_F(SelectionScene, TurningASelectionOfPiecesAndGroups) {
  table->SetView(1.0f, PointF(0, 0));
  Solve({5, 6});
  ASSERT_TRUE(Piece(6)->TryConnect());
  Top(6)->MoveBy(PointF(-400, -300));
  table->GetSelection().Add(Top(5));
  table->GetSelection().Add(Piece(12));
  const auto centre = [&](CRSCanvasItem* item) {
    const RectF box = item->GetBoundsIn(table->GetSurface());
    return PointF(box.X + box.Width / 2, box.Y + box.Height / 2);
  };
  CRSCanvasItem* group = Top(5);
  const PointF groupCentre = centre(group), pieceCentre = centre(Piece(12));
  for (const auto& [keys, angle] : {std::pair{0u, 90.0f}, std::pair{platform::kKeyStateControl, 0.0f}}) {
    Send(platform::kMsgRButtonDown, GripOf(12), keys | platform::kKeyStateRButton);
    Send(platform::kMsgRButtonUp, GripOf(12), keys);
    Pump(2);
    for (CRSCanvasItem* item : {group, static_cast<CRSCanvasItem*>(Piece(12))}) {
      EXPECT_FLOAT_EQ(CRSCanvasItem::NormalizeAngle(item->GetRotation()), angle) << item->GetName();
      const PointF now = centre(item), was = item == group ? groupCentre : pieceCentre;
      EXPECT_NEAR(now.X, was.X, 1.0f);
      EXPECT_NEAR(now.Y, was.Y, 1.0f);
    }
  }
}

// A selected piece that joins a group stands for the group; a selected
// group emptied by a merge leaves nothing behind but the group it went to.
TEST_F(SelectionScene, JoinedPiecesLeaveTheSelectionForTheirGroup) {
  CTableSelection& selection = table->GetSelection();
  Solve({7, 8, 9});
  ASSERT_TRUE(Piece(9)->TryConnect());  // 8 and 9
  selection.Add(Piece(7));
  ASSERT_TRUE(Piece(7)->TryConnect());
  selection.Refresh();
  EXPECT_EQ(Selected(), (std::set<CRSCanvasItem*>{Top(8)}));
  auto* glow = CRSCanvasBehaviour::Find<CSelectionGlow>(Piece(9));
  EXPECT_TRUE(glow && glow->IsOn()) << "the group's other pieces glow too";

  selection.Clear();
  Solve({10, 11});
  ASSERT_TRUE(Piece(11)->TryConnect());  // group A: 10 and 11
  Top(10)->MoveBy(PointF(0, -300));
  Solve({15, 16});
  ASSERT_TRUE(Piece(16)->TryConnect());  // group B: 15 and 16
  CRSWeakRef<CRSCanvasItem> groupA(Top(10));
  groupA->MoveBy(PointF(0, 300));
  selection.Add(groupA.get());
  ASSERT_TRUE(Piece(10)->TryConnect());  // A joins B, and A goes
  Pump(3);
  EXPECT_FALSE(groupA.get());
  selection.Refresh();
  EXPECT_EQ(Selected(), (std::set<CRSCanvasItem*>{Top(15)}));
  EXPECT_EQ(CTableSelection::PiecesOf(Top(15)).size(), 4u);
}

// Edges takes every loose piece with a side on the border into "Edges",
// corners first; Arrange then lays the rest in rows where nothing overlaps
// and the group stays whole.
TEST_F(SelectionScene, EdgesThenArrangeLeaveNoTwoLooseItemsOverlapping) {
  Solve({6, 7});
  ASSERT_TRUE(Piece(7)->TryConnect());
  table->GatherEdges();
  CPuzzleTray* edges = table->FindTray("Edges");
  ASSERT_NE(edges, nullptr);
  const std::vector<CRSCanvasItem*> inTray = edges->GetItems();
  ASSERT_EQ(inTray.size(), static_cast<std::size_t>(2 * (kColumns + kRows) - 4));
  const std::set<CRSCanvasItem*> corners = {Piece(0), Piece(kColumns - 1), Piece(kColumns * kRows - 1),
                                            Piece(kColumns * (kRows - 1))};
  EXPECT_EQ(std::set<CRSCanvasItem*>(inTray.begin(), inTray.begin() + 4), corners);

  table->Arrange();
  const std::vector<CRSCanvasItem*> loose = table->GetLooseItems();
  EXPECT_EQ(loose.size(), 5u) << "four inner pieces and the group";
  EXPECT_EQ(CTableSelection::PiecesOf(Top(6)).size(), 2u);
  const RectF whole(0, 0, 2000, 1600);
  for (std::size_t i = 0; i < loose.size(); ++i) {
    const RectF a = loose[i]->GetBoundsIn(table->GetSurface());
    EXPECT_TRUE(a.X >= whole.X && a.Y >= whole.Y && a.GetRight() <= whole.GetRight() && a.GetBottom() <= whole.GetBottom());
    EXPECT_FALSE(a.IntersectsWith(table->GetPictureArea())) << "beside the picture";
    for (std::size_t j = i + 1; j < loose.size(); ++j)
      EXPECT_FALSE(a.IntersectsWith(loose[j]->GetBoundsIn(table->GetSurface()))) << i << " " << j;
  }
}

// A tray with its title, scale and pieces comes back when the puzzle is
// reopened; it will not close while it holds pieces, Scatter empties it, and
// then it closes.
TEST_F(SelectionScene, TraysComeBackAndCloseOnlyWhenEmpty) {
  CPuzzleTray* tray = table->NewTray();
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(tray->GetTitle(), "Tray 1");
  EXPECT_EQ(table->NewTray()->GetTitle(), "Tray 2");
  tray->SetTitle("Himmel über 青");
  tray->Take({Piece(3), Piece(4)});
  tray->SetScale(0.3f);
  canvas->ClearFloor();
  Pump(3);
  Open();
  // Open lays every piece on the table again: the tray's come back first.
  tray = table->FindTray("Himmel über 青");
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(table->GetTrays().size(), 2u);
  EXPECT_FLOAT_EQ(tray->GetScale(), 0.3f);
  EXPECT_TRUE(tray->Holds(Piece(3)) && tray->Holds(Piece(4)));
  EXPECT_EQ(tray->GetItems().size(), 2u);

  // Left while renaming the tray and dragging a selection towards it: the
  // file keeps every piece once, on the table or in the tray.
  tray->BeginRename();
  table->GetSelection().Set({Piece(0), Piece(1)});
  Send(platform::kMsgLButtonDown, GripOf(0));
  Send(platform::kMsgMouseMove, GripOf(0) + PointF(40, 30));
  canvas->ClearFloor();
  Pump(3);
  Open();
  tray = table->FindTray("Himmel über 青");
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(tray->GetItems().size(), 2u);
  EXPECT_EQ(table->GetLooseItems().size() + tray->GetItems().size(), static_cast<std::size_t>(kColumns * kRows));

  tray->GetWindow()->Close();
  Pump(3);
  EXPECT_FALSE(tray->IsGone()) << "a tray holding pieces stays";
  room->Scatter();
  EXPECT_TRUE(tray->IsEmpty());
  EXPECT_EQ(Piece(4)->GetParentItem(), table->GetSurface());
  tray->GetWindow()->Close();
  Pump(3);
  EXPECT_EQ(table->GetTrays().size(), 1u);
}

// Rows keep clear of every rectangle they are told to, and the border's
// order runs corners, top, right, bottom, left.
TEST(TableArrange, RowsAvoidTheKeptOutAreasAndEdgesRunClockwise) {
  const std::vector<SizeF> sizes(60, SizeF(30, 20));
  const std::vector<RectF> keepOut = {RectF(100, 0, 50, 60), RectF(0, 100, 400, 40)};
  float used = 0.0f;
  const std::vector<PointF> places = table_arrange::LayRows(sizes, RectF(0, 0, 400, 1000), 5, keepOut, &used);
  for (std::size_t i = 0; i < places.size(); ++i) {
    const RectF box(places[i].X, places[i].Y, 30, 20);
    EXPECT_LE(box.GetRight(), 400.0f);
    for (const RectF& k : keepOut) EXPECT_FALSE(box.IntersectsWith(k)) << i;
    for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(box.IntersectsWith(RectF(places[j].X, places[j].Y, 30, 20)));
  }
  EXPECT_GT(used, 140.0f);
  std::vector<std::pair<long, Point>> border;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) {
      const long rank = table_arrange::EdgeRank(c, r, 4, 3);
      EXPECT_EQ(rank < 0, c > 0 && c < 3 && r == 1) << c << "," << r;
      if (rank >= 0) border.emplace_back(rank, Point(c, r));
    }
  std::sort(border.begin(), border.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  const Point order[] = {{0, 0}, {3, 0}, {3, 2}, {0, 2}, {1, 0}, {2, 0}, {3, 1}, {2, 2}, {1, 2}, {0, 1}};
  ASSERT_EQ(border.size(), std::size(order));
  for (std::size_t i = 0; i < border.size(); ++i)
    EXPECT_TRUE(border[i].second.X == order[i].X && border[i].second.Y == order[i].Y) << i;
}

}  // namespace

// Tab walks every loose item once a round, nearest first from the middle of
// the window, across the table and the trays, with the view following and
// Shift+Tab going back; the frame stands around the focused item.
TEST_F(SelectionScene, TabVisitsEveryItemOnceNearestFirst) {
  table->SetView(1.0f, PointF(0, 0));
  table->GatherEdges();
  const std::size_t count = kColumns * kRows;
  std::set<CRSCanvasItem*> visited;
  CRSCanvasItem* before = nullptr;
  for (std::size_t i = 0; i < count; ++i) {
    Key(platform::kVkTab);
    CRSCanvasItem* focus = table->GetFocusItem();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(visited.insert(focus).second) << "visited twice in one round, at Tab " << i;
    const RectF box = focus->GetBoundsIn(canvas->GetFloor());
    const RectF frame = table->GetFocusFramePlace();
    EXPECT_TRUE(frame.Contains(PointF(box.X, box.Y)) && frame.Contains(PointF(box.GetRight(), box.GetBottom())) &&
                frame.Width < box.Width + 30)
        << i;
    if (i == 0) {
      EXPECT_EQ(focus, Piece(7)) << "the one nearest the window's middle";
    }
    if (!table->TrayHolding(focus)) {
      EXPECT_TRUE(box.IntersectsWith(RectF(0, 0, 1000, 800))) << "the view follows the focus, at Tab " << i;
    }
    if (i == 5) before = focus;
    if (i == 6) {
      Key(platform::kVkTab, platform::kKeyStateShift);
      EXPECT_EQ(table->GetFocusItem(), before) << "Shift+Tab goes back";
      Key(platform::kVkTab);
      EXPECT_EQ(table->GetFocusItem(), focus);
    }
  }
  EXPECT_EQ(visited.size(), count) << "the trays' pieces are in the round";
  CRSCanvasItem* last = table->GetFocusItem();
  Key(platform::kVkTab);
  EXPECT_NE(table->GetFocusItem(), last) << "a new round begins";
  EXPECT_NE(table->GetFocusItem(), nullptr);
  // The room saves on leaving; the next scene starts with empty trays.
  table->EmptyTrays();
}

// The arrows move in table units at any zoom (10, Shift 50, Alt 1), R and
// Shift+R turn about the centre, the moved piece is held above the windows
// until Enter puts it down and joins it with one put-down and one connect
// sound. Space selects it; a focused selected item takes the selection
// along. A press of the mouse puts the held item down and hides the frame;
// Alt with a letter stays the buttons'.
TEST_F(SelectionScene, KeysMoveTurnDropAndSelectTheFocusedItem) {
  table->SetView(2.0f, PointF(0, 0));
  Solve({0, 1});
  Piece(1)->MoveBy(PointF(61, 0));
  table->SetFocusItem(Piece(1));
  const auto place = [&] { return table->GetTableBounds(Top(1)); };
  const RectF start = place();
  const struct { unsigned vk, modifiers; bool alt; float dx, dy; } moves[] = {
      {platform::kVkLeft, 0, false, -10, 0},
      {platform::kVkLeft, platform::kKeyStateShift, false, -50, 0},
      {platform::kVkLeft, 0, true, -1, 0},
      {platform::kVkDown, 0, false, 0, 10},
      {platform::kVkUp, 0, false, 0, -10},
  };
  float dx = 0, dy = 0;
  for (const auto& move : moves) {
    Key(move.vk, move.modifiers, move.alt);
    dx += move.dx;
    dy += move.dy;
    EXPECT_NEAR(place().X - start.X, dx, 0.01f) << move.vk << " " << move.modifiers << move.alt;
    EXPECT_NEAR(place().Y - start.Y, dy, 0.01f);
  }
  EXPECT_EQ(Top(1)->GetParentItem(), table->GetLift()) << "held while it moves";
  EXPECT_EQ(Top(1), Piece(1)) << "nothing joins before Enter";
  const PointF centre(place().X + place().Width / 2, place().Y + place().Height / 2);
  Key('R');
  EXPECT_EQ(Piece(1)->GetRotation(), 90.0f);
  EXPECT_NEAR(place().X + place().Width / 2, centre.X, 0.5f);
  Key('R', platform::kKeyStateShift);
  EXPECT_EQ(Piece(1)->GetRotation(), 0.0f);

  CRSSoundHandler& sound = CRSSoundHandler::Instance();
  const int connects = sound.GetEffectRequests(CPuzzlePiece::kConnectSound);
  const int downs = sound.GetEffectRequests(CPuzzlePiece::kLowerSound);
  Key(platform::kVkReturn);
  EXPECT_EQ(Top(1), Top(0)) << "Enter runs the connect test";
  EXPECT_EQ(Top(0)->GetParentItem(), table->GetSurface());
  EXPECT_EQ(sound.GetEffectRequests(CPuzzlePiece::kConnectSound), connects + 1);
  EXPECT_EQ(sound.GetEffectRequests(CPuzzlePiece::kLowerSound), downs + 1);
  EXPECT_EQ(table->GetFocusItem(), Top(0)) << "the focus stays on the grown group";

  Key(platform::kVkSpace);
  table->SetFocusItem(Piece(9));
  Key(platform::kVkSpace);
  EXPECT_EQ(Selected(), (std::set<CRSCanvasItem*>{Top(0), Piece(9)}));
  const RectF group = table->GetTableBounds(Top(0));
  Key(platform::kVkRight);
  EXPECT_NEAR(table->GetTableBounds(Top(0)).X - group.X, 10.0f, 0.01f) << "the selection comes along";
  Key(platform::kVkSpace);
  EXPECT_EQ(Selected(), (std::set<CRSCanvasItem*>{Top(0)}));
  Key('R', 0, true);
  EXPECT_EQ(Piece(9)->GetRotation(), 0.0f) << "Alt+R is Reveal, no turn";

  const PointF beside = GripOf(9) - PointF(80, 0);
  Send(platform::kMsgLButtonDown, beside);
  Send(platform::kMsgLButtonUp, beside, 0);
  EXPECT_EQ(table->GetFocusItem(), nullptr);
  EXPECT_EQ(Top(9)->GetParentItem(), table->GetSurface()) << "the mouse put the held item down";
  Key(platform::kVkRight);
  EXPECT_NEAR(table->GetTableBounds(Top(0)).X - group.X, 10.0f, 0.01f) << "no focus, no move";
}
