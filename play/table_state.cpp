// Taking the table's state, and giving pieces and trays a state they had.

#include "play/table_state.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "canvas/behaviours.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/table.h"
#include "play/tray.h"

namespace {

constexpr float kSamePlace = 0.01f;
// Restoring more pieces than this repaints the table whole.
constexpr std::size_t kManyPieces = 300;

// Where the item's local (0, 0) lies in its container: the place the player
// sees, whatever origin the item was last turned or grabbed about.
PointF CornerOf(const TablePieceState& s) {
  const double radians = static_cast<double>(s.rotation) * M_PI / 180.0;
  const double c = std::cos(radians), n = std::sin(radians);
  return PointF(s.position.X - static_cast<float>(c * s.origin.X - n * s.origin.Y),
                s.position.Y - static_cast<float>(n * s.origin.X + c * s.origin.Y));
}

void SetPose(CRSCanvasItem* item, const TablePieceState& s) { item->SetPlacement(s.origin, s.position, s.rotation); }

bool HasPose(const CRSCanvasItem* item, const TablePieceState& s) {
  const PointF& origin = item->GetOrigin();
  const PointF& position = item->GetPosition();
  return origin.X == s.origin.X && origin.Y == s.origin.Y && position.X == s.position.X &&
         position.Y == s.position.Y && item->GetRotation() == s.rotation;
}

bool HoldsPieces(const CRSCanvasItem* group) {
  const auto& children = group->GetChildItems();
  return std::any_of(children.begin(), children.end(),
                     [](const CRSCanvasItem* child) { return dynamic_cast<const CPuzzlePiece*>(child) != nullptr; });
}

// Container numbers to items and back: the table's two layers are one
// container, each tray's content another.
struct Containers {
  explicit Containers(CPuzzleTable& table) {
    byItem[table.GetSurface()] = TablePieceState::kOnTable;
    byItem[table.GetLift()] = TablePieceState::kOnTable;
    surface = table.GetSurface();
    for (CPuzzleTray* tray : table.GetTrays())
      if (CRSCanvasItem* content = tray->GetContent()) {
        byItem[content] = tray->GetSerial();
        bySerial[tray->GetSerial()] = content;
      }
  }
  int NumberOf(const CRSCanvasItem* item) const {
    const auto at = byItem.find(item);
    return at == byItem.end() || !item ? TablePieceState::kNowhere : at->second;
  }
  CRSCanvasItem* ItemOf(int number) const {
    if (number == TablePieceState::kOnTable) return surface;
    const auto at = bySerial.find(number);
    return at == bySerial.end() ? nullptr : at->second;
  }

  std::unordered_map<const CRSCanvasItem*, int> byItem;
  std::unordered_map<int, CRSCanvasItem*> bySerial;
  CRSCanvasItem* surface = nullptr;
};

}  // namespace

bool TablePieceState::LooksLike(const TablePieceState& other) const {
  if (container != other.container || leader != other.leader || joined != other.joined) return false;
  if (*this == other) return true;
  const float turn = std::fmod(std::fabs(rotation - other.rotation), 360.0f);
  if (std::min(turn, 360.0f - turn) > kSamePlace) return false;
  const PointF a = CornerOf(*this), b = CornerOf(other);
  return std::fabs(a.X - b.X) <= kSamePlace && std::fabs(a.Y - b.Y) <= kSamePlace;
}

namespace table_state {

TableState Capture(CPuzzleTable& table) {
  TableState state;
  const Containers containers(table);
  for (CPuzzleTray* tray : table.GetTrays())
    state.trays.push_back({tray->GetSerial(), true, tray->GetTitle(), tray->GetScale(), tray->GetPlace()});
  const auto* pieces = table.GetPieces();
  if (!pieces) return state;
  state.pieces.resize(pieces->size());
  // A group's leader is its first piece in grid order: the same group gets
  // the same name however often it is made again.
  std::unordered_map<const CRSCanvasItem*, int> leaders;
  for (std::size_t i = 0; i < pieces->size(); ++i) {
    CPuzzlePiece* piece = (*pieces)[i].get();
    if (!piece) continue;
    TablePieceState& s = state.pieces[i];
    CRSCanvasItem* top = piece;
    s.leader = static_cast<int>(i);
    if (auto* group = dynamic_cast<CPuzzleGroup*>(piece->GetParentItem())) {
      top = group;
      s.leader = leaders.emplace(group, static_cast<int>(i)).first->second;
    }
    s.container = containers.NumberOf(top->GetParentItem());
    s.origin = top->GetOrigin();
    s.position = top->GetPosition();
    s.rotation = top->GetRotation();
    s.joined = piece->GetJoinedMask();
  }
  return state;
}

std::vector<CRSCanvasItem*> Restore(CPuzzleTable& table, const TableState& current,
                                    const std::vector<std::pair<int, TablePieceState>>& targets,
                                    const std::vector<TableTrayState>& trays) {
  // Exactly the places recorded, never pushed inside by the alignment.
  const CBehaviourAlign::Hold hold;
  // Many pieces (a Scatter taken back) ask for no repaint one by one: the
  // table is frozen meanwhile and painted again whole once.
  struct Freeze {
    CRSCanvasItem* surface;
    bool enabled;
    ~Freeze() {
      if (!surface) return;
      surface->SetUpdatesEnabled(enabled);
      surface->Invalidate();
    }
  } freeze{targets.size() > kManyPieces ? table.GetSurface() : nullptr, true};
  if (freeze.surface) {
    freeze.enabled = freeze.surface->GetUpdatesEnabled();
    freeze.surface->SetUpdatesEnabled(false);
  }
  // Trays open again first: pieces may go back into them.
  for (const TableTrayState& tray : trays)
    if (tray.open && !table.FindTrayBySerial(tray.serial)) table.AddTray(tray.title, tray.place, tray.scale, tray.serial);
  const Containers containers(table);
  std::vector<CRSCanvasItem*> tops;
  const auto* pieces = table.GetPieces();
  const std::size_t n = pieces ? std::min(pieces->size(), current.pieces.size()) : 0;

  std::vector<const TablePieceState*> wanted(n, nullptr);
  // The groups touched: those the restored pieces lie in now, and those
  // their leaders lie in now. Their other pieces keep the state they have.
  std::unordered_set<int> touched;
  for (const auto& [index, state] : targets) {
    if (index < 0 || static_cast<std::size_t>(index) >= n) continue;
    wanted[static_cast<std::size_t>(index)] = &state;
    touched.insert(current.pieces[static_cast<std::size_t>(index)].leader);
    if (state.leader >= 0 && static_cast<std::size_t>(state.leader) < n)
      touched.insert(current.pieces[static_cast<std::size_t>(state.leader)].leader);
  }
  std::map<int, std::vector<std::size_t>> groups;  // by leader, in grid order
  std::vector<CRSWeakRef<CRSCanvasItem>> oldGroups;
  for (std::size_t j = 0; j < n; ++j) {
    CPuzzlePiece* piece = (*pieces)[j].get();
    if (!piece || (!wanted[j] && !touched.count(current.pieces[j].leader))) continue;
    if (!wanted[j]) wanted[j] = &current.pieces[j];
    if (auto* group = dynamic_cast<CPuzzleGroup*>(piece->GetParentItem())) oldGroups.emplace_back(group);
    groups[wanted[j]->leader].push_back(j);
  }

  std::unordered_set<const CRSCanvasItem*> kept;
  for (const auto& [leader, members] : groups) {
    const TablePieceState& state = *wanted[members.front()];
    CRSCanvasItem* container = containers.ItemOf(state.container);
    if (!container || leader < 0 || static_cast<std::size_t>(leader) >= n) continue;
    if (members.size() == 1) {
      CPuzzlePiece* piece = (*pieces)[members.front()].get();
      if (piece->GetParentItem() != container) piece->SetParent(container);
      SetPose(piece, state);
      tops.push_back(piece);
      continue;
    }
    // The group the leader lies in now stays when it lies as recorded (the
    // group that stayed put in a join), so undoing a join into a group of a
    // thousand pieces moves only the pieces that came.
    CPuzzlePiece* first = (*pieces)[static_cast<std::size_t>(leader)].get();
    auto* group = first ? dynamic_cast<CPuzzleGroup*>(first->GetParentItem()) : nullptr;
    if (!group || kept.count(group) || group->GetParentItem() != container || !HasPose(group, state)) {
      group = new CPuzzleGroup();
      SetPose(group, state);
      group->SetParent(container);
    }
    kept.insert(group);
    for (std::size_t m : members)
      if (CPuzzlePiece* piece = (*pieces)[m].get(); piece->GetParentItem() != group) PlaceInGroup(piece, group);
    tops.push_back(group);
  }
  for (std::size_t j = 0; j < n; ++j)
    if (CPuzzlePiece* piece = (*pieces)[j].get(); piece && wanted[j]) piece->SetJoinedMask(wanted[j]->joined);
  // Emptied groups go later: a behaviour of one may be on the stack.
  for (const auto& ref : oldGroups) {
    CRSCanvasItem* group = ref.get();
    if (!group || kept.count(group) || HoldsPieces(group)) continue;
    kept.insert(group);
    group->SetParent(nullptr);
    group->DeleteLater();
  }

  for (const TableTrayState& state : trays) {
    CPuzzleTray* tray = table.FindTrayBySerial(state.serial);
    if (!tray) continue;
    if (!state.open) {
      tray->Dismiss();
      continue;
    }
    if (tray->GetTitle() != state.title) tray->SetTitle(state.title);
    if (tray->GetScale() != state.scale) tray->SetScale(state.scale);
  }
  return tops;
}

bool IsConsistent(CPuzzleTable& table) {
  const Containers containers(table);
  const auto* pieces = table.GetPieces();
  if (!pieces) return true;
  std::unordered_map<const CRSCanvasItem*, CPuzzlePiece::PieceSet> groups;
  for (const auto& ref : *pieces) {
    CPuzzlePiece* piece = ref.get();
    if (!piece) continue;
    CRSCanvasItem* parent = piece->GetParentItem();
    if (auto* group = dynamic_cast<CPuzzleGroup*>(parent)) {
      groups[group].insert(piece);
      parent = group->GetParentItem();
    } else if (piece->GetJoinedMask() != 0) {
      return false;
    }
    if (containers.NumberOf(parent) == TablePieceState::kNowhere) return false;
    // Joins go both ways.
    for (const CPuzzlePiece::NeighbourSlot& slot : piece->GetNeighbourSlots()) {
      CPuzzlePiece* other = slot.piece.get();
      if (!slot.connected) continue;
      if (!other) return false;
      const auto& back = other->GetNeighbourSlots();
      if (std::none_of(back.begin(), back.end(), [&](const auto& b) { return b.piece.get() == piece && b.connected; }))
        return false;
    }
  }
  for (const auto& [group, members] : groups) {
    CPuzzlePiece::PieceSet joined;
    (*members.begin())->CollectConnected(joined);
    if (joined != members) return false;
  }
  return true;
}

}  // namespace table_state
