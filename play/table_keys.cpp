// Keyboard play on the table: the focus frame that Tab moves over the loose
// pieces and groups, and the keys that move, turn, put down and select the
// focused one.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <unordered_set>

#include "canvas/sound.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/table.h"
#include "play/tray.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/report.h"

namespace {

// Bit 29 of a key's data: Alt is held. Bit 30: a repeat (or a release).
constexpr long kKeyDataAlt = 1L << 29;
constexpr long kKeyDataRepeat = 1L << 30;

PointF CentreOf(const RectF& r) { return PointF(r.X + r.Width / 2.0f, r.Y + r.Height / 2.0f); }

CPuzzlePiece* FirstPieceOf(CRSCanvasItem* top) {
  const std::vector<CPuzzlePiece*> pieces = CTableSelection::PiecesOf(top);
  return pieces.empty() ? nullptr : pieces.front();
}

}  // namespace

CRSCanvasItem* CPuzzleTable::GetFocusItem() const {
  CPuzzlePiece* piece = m_focus.get();
  if (!piece || !m_focusFrame.IsShown()) return nullptr;
  CRSCanvasItem* top = CTableSelection::TopOf(piece);
  // A piece that left the table (a scatter of a tray, the room going) is
  // no longer anything the keys may move.
  if (!IsOnTable(top) && !const_cast<CPuzzleTable*>(this)->TrayHolding(top)) return nullptr;
  return top;
}

void CPuzzleTable::SetFocusItem(CRSCanvasItem* item) {
  CPuzzlePiece* piece = FirstPieceOf(item);
  if (CTableSelection::TopOf(m_focus.get()) != CTableSelection::TopOf(piece)) PutDownFocused();
  m_focus.Assign(piece);
  if (!piece) {
    HideFocus();
    return;
  }
  if (!m_focusFrame.Exists())
    m_focusFrame.Create(m_floor.get(), "focusFrame", kLiftZOrder - 1, kFocusFill, kFocusEdge, kFocusWidth);
  BringIntoView(std::vector<CRSCanvasItem*>{CTableSelection::TopOf(piece)});
  PlaceFocusFrame();
  ReportFocus();
}

void CPuzzleTable::FocusNext(bool backwards) {
  CRSCanvasItem* current = CTableSelection::TopOf(m_focus.get());
  if (backwards && m_focusRound.size() > 1) {
    // Back along the round, over what has since joined the focused item.
    m_focusRound.pop_back();
    while (!m_focusRound.empty()) {
      CRSCanvasItem* before = CTableSelection::TopOf(m_focusRound.back().get());
      if (before && before != current && (IsOnTable(before) || TrayHolding(before))) {
        SetFocusItem(before);
        return;
      }
      m_focusRound.pop_back();
    }
  }
  std::vector<CRSCanvasItem*> candidates = GetLooseItems();
  for (CPuzzleTray* tray : GetTrays())
    for (CRSCanvasItem* item : tray->GetItems()) candidates.push_back(item);
  if (candidates.empty()) return;
  CRSCanvasItem* floor = m_floor.get();
  if (!floor) return;
  const bool focusLive = current && std::find(candidates.begin(), candidates.end(), current) != candidates.end();
  const SizeF window = m_viewport.GetWindowSize();
  const PointF from = focusLive ? CentreOf(current->GetBoundsIn(floor)) : PointF(window.Width / 2, window.Height / 2);
  for (int pass = 0; pass < 2; ++pass) {
    std::unordered_set<CRSCanvasItem*> visited;
    for (const auto& ref : m_focusRound)
      if (CPuzzlePiece* piece = ref.get()) visited.insert(CTableSelection::TopOf(piece));
    if (focusLive) visited.insert(current);
    CRSCanvasItem* best = nullptr;
    float bestDistance = std::numeric_limits<float>::max();
    for (CRSCanvasItem* item : candidates) {
      if (visited.count(item)) continue;
      const PointF c = CentreOf(item->GetBoundsIn(floor));
      const float d = (c.X - from.X) * (c.X - from.X) + (c.Y - from.Y) * (c.Y - from.Y);
      if (d < bestDistance) bestDistance = d, best = item;
    }
    if (best) {
      if (m_focusRound.empty() && focusLive) m_focusRound.emplace_back(m_focus.get());
      m_focusRound.emplace_back(FirstPieceOf(best));
      SetFocusItem(best);
      return;
    }
    // Every item has had its turn: a new round starts here.
    m_focusRound.clear();
    if (focusLive) m_focusRound.emplace_back(m_focus.get());
  }
  // The only item there is.
  if (focusLive) SetFocusItem(current);
}

void CPuzzleTable::UpdateFocusFrame() {
  if (m_focusFrame.IsShown()) PlaceFocusFrame();
}

void CPuzzleTable::PlaceFocusFrame() {
  CPuzzlePiece* piece = m_focus.get();
  CRSCanvasItem* top = CTableSelection::TopOf(piece);
  CRSCanvasItem* floor = m_floor.get();
  if (!top || !floor || !m_focusFrame.Exists()) return;
  const RectF box = top->GetBoundsIn(floor);
  const float out = kFocusGap + kFocusWidth;
  m_focusFrame.Place(RectF(box.X - out, box.Y - out, box.Width + 2 * out, box.Height + 2 * out));
}

void CPuzzleTable::HideFocus() {
  PutDownFocused();
  m_focusFrame.Hide();
}

std::vector<CRSCanvasItem*> CPuzzleTable::FocusTargets() {
  CRSCanvasItem* focus = GetFocusItem();
  if (!focus) return {};
  if (!m_selection.Contains(focus)) return {focus};
  CPuzzleTray* tray = TrayHolding(focus);
  std::vector<CRSCanvasItem*> items{focus};
  for (CRSCanvasItem* item : m_selection.GetItems())
    if (item != focus && (tray ? tray->Holds(item) : IsOnTable(item))) items.push_back(item);
  return items;
}

void CPuzzleTable::MoveFocused(const PointF& delta) {
  const std::vector<CRSCanvasItem*> items = FocusTargets();
  if (items.empty()) return;
  for (CRSCanvasItem* item : items) {
    // Held, the items lie above everything, as in the hand.
    Lift(item);
    item->MoveBy(delta);
  }
  m_focusHeld = true;
  BringIntoView(std::vector<CRSCanvasItem*>{items.front()});
  UpdateFocusFrame();
  ReportFocus();
}

void CPuzzleTable::PutDownFocused() {
  if (!m_focusHeld) return;
  m_focusHeld = false;
  const std::vector<CRSCanvasItem*> items = FocusTargets();
  if (items.empty()) return;
  PutDown(items, [&] {
    for (CRSCanvasItem* item : items) Settle(item);
  });
}

bool CPuzzleTable::OnPlayKey(unsigned message, unsigned vk, long keyData) {
  const unsigned modifiers = platform::CurrentModifierFlags();
  const bool shift = (modifiers & platform::kKeyStateShift) != 0;
  const bool ctrl = (modifiers & platform::kKeyStateControl) != 0;
  const bool alt = message == platform::kMsgSysKeyDown || (keyData & kKeyDataAlt) != 0;
  if (vk == platform::kVkTab && !ctrl && !alt) {
    FocusNext(shift);
    return true;
  }
  if (ctrl || m_panning || !GetFocusItem()) return false;
  // With Alt, only the arrows belong to the table: Alt and a letter is a
  // button's hot key.
  if (alt && (vk < platform::kVkLeft || vk > platform::kVkDown)) return false;
  const float step = alt ? kKeyStepFine : shift ? kKeyStepLarge : kKeyStep;
  switch (vk) {
    case platform::kVkLeft:
      MoveFocused(PointF(-step, 0.0f));
      return true;
    case platform::kVkRight:
      MoveFocused(PointF(step, 0.0f));
      return true;
    case platform::kVkUp:
      MoveFocused(PointF(0.0f, -step));
      return true;
    case platform::kVkDown:
      MoveFocused(PointF(0.0f, step));
      return true;
    case 'R': {
      const std::vector<CRSCanvasItem*> items = FocusTargets();
      for (CRSCanvasItem* item : items) Lift(item);
      m_focusHeld = true;
      TurnItems(items, shift ? -1 : 1);
      UpdateFocusFrame();
      ReportFocus();
      return true;
    }
    case platform::kVkReturn:
      if (!m_focusHeld) {
        // Put down where it lay: the connect test runs all the same.
        m_focusHeld = true;
      }
      PutDownFocused();
      UpdateFocusFrame();
      ReportFocus();
      return true;
    case platform::kVkSpace: {
      // Space held with the left button pans; a held key repeats.
      if (m_leftHeld || (keyData & kKeyDataRepeat)) return false;
      m_selection.Toggle(GetFocusItem());
      platform::ReportLine("table selected " + std::to_string(m_selection.GetItems().size()));
      return true;
    }
    default:
      return false;
  }
}

void CPuzzleTable::ReportFocus() {
  if (!platform::IsReporting() || !m_pieces) return;
  CPuzzlePiece* piece = m_focus.get();
  const auto found = std::find_if(m_pieces->begin(), m_pieces->end(),
                                  [&](const CRSWeakRef<CPuzzlePiece>& ref) { return ref.get() == piece; });
  if (!piece || found == m_pieces->end()) return;
  const int index = static_cast<int>(found - m_pieces->begin());
  const int columns = std::max(1, m_columns);
  // Window coordinates, as the pieces are reported.
  const PointF centre = piece->MapToAncestor(piece->GetAnchor(), nullptr);
  RectF frame = m_focusFrame.GetPlace();
  if (CRSCanvasItem* floor = m_floor.get()) {
    const PointF corner = floor->MapToAncestor(PointF(frame.X, frame.Y), nullptr);
    frame.X = corner.X;
    frame.Y = corner.Y;
  }
  char line[200];
  std::snprintf(line, sizeof line, "table focus %d %d centre %.1f %.1f angle %.0f held %d frame %.0f %.0f %.0f %.0f",
                index % columns, index / columns, static_cast<double>(centre.X), static_cast<double>(centre.Y),
                static_cast<double>(CRSCanvasItem::NormalizeAngle(CPuzzlePiece::TotalAngle(piece))),
                m_focusHeld ? 1 : 0, static_cast<double>(frame.X), static_cast<double>(frame.Y),
                static_cast<double>(frame.Width), static_cast<double>(frame.Height));
  platform::ReportLine(line);
}
