// The table's selection and its glow.

#include "play/selection.h"

#include <algorithm>
#include <unordered_set>

#include "play/group.h"
#include "play/piece.h"

CSelectionGlow::CSelectionGlow(CRSCanvasItem* item)
    : CBehaviourSoftImage(item, "selectionGlow", CRSCanvasGroup::kHighlightName, kMargin) {
  ReplaceOthers<CSelectionGlow>();
  Rebuild();
}

CSelectionGlow::~CSelectionGlow() = default;

void CSelectionGlow::Set(CPuzzlePiece* piece, bool on) {
  if (!piece) return;
  auto* glow = Find<CSelectionGlow>(piece);
  if (!glow) {
    if (!on) return;
    glow = new CSelectionGlow(piece);
  }
  glow->SetOn(on);
}

void CSelectionGlow::SetOn(bool on) {
  if (on == m_on) return;
  m_on = on;
  ApplyVisibility();
}

bool CSelectionGlow::ShouldShow() const { return m_on && GetItem() && GetItem()->IsVisible(); }

void CSelectionGlow::PlaceImage(CRSCanvasImage& image, CRSCanvasItem& item) {
  // Just under the piece, as the highlight lies.
  PlaceJustUnder(image, item);
}

CTableSelection::~CTableSelection() { Clear(); }

CRSCanvasItem* CTableSelection::TopOf(CPuzzlePiece* piece) {
  if (!piece) return nullptr;
  if (auto* group = dynamic_cast<CPuzzleGroup*>(piece->GetParent())) return group;
  return piece;
}

std::vector<CPuzzlePiece*> CTableSelection::PiecesOf(CRSCanvasItem* top) {
  std::vector<CPuzzlePiece*> pieces;
  if (auto* piece = dynamic_cast<CPuzzlePiece*>(top)) {
    pieces.push_back(piece);
  } else if (dynamic_cast<CPuzzleGroup*>(top)) {
    for (CRSCanvasItem* child : top->GetChildItems())
      if (auto* p = dynamic_cast<CPuzzlePiece*>(child)) pieces.push_back(p);
  }
  return pieces;
}

bool CTableSelection::Has(CPuzzlePiece* piece) const {
  const auto found = m_pieces.find(piece);
  return found != m_pieces.end() && found->second.get() == piece;
}

void CTableSelection::AddPiece(CPuzzlePiece* piece) {
  if (!piece || Has(piece)) return;
  if (!m_pieces.count(piece)) m_order.push_back(piece);
  m_pieces[piece].Assign(piece);
  CSelectionGlow::Set(piece, true);
}

void CTableSelection::RemovePiece(CPuzzlePiece* piece) {
  if (!Has(piece)) return;
  m_pieces.erase(piece);
  std::erase(m_order, piece);
  CSelectionGlow::Set(piece, false);
}

bool CTableSelection::IsEmpty() const { return GetItems().empty(); }

bool CTableSelection::Contains(const CRSCanvasItem* top) const {
  const std::vector<CPuzzlePiece*> pieces = PiecesOf(const_cast<CRSCanvasItem*>(top));
  return !pieces.empty() && std::any_of(pieces.begin(), pieces.end(), [&](CPuzzlePiece* p) { return Has(p); });
}

void CTableSelection::Add(CRSCanvasItem* top) {
  for (CPuzzlePiece* piece : PiecesOf(top)) AddPiece(piece);
}

void CTableSelection::Remove(CRSCanvasItem* top) {
  for (CPuzzlePiece* piece : PiecesOf(top)) RemovePiece(piece);
}

void CTableSelection::Toggle(CRSCanvasItem* top) {
  if (Contains(top)) {
    Remove(top);
  } else {
    Add(top);
  }
}

void CTableSelection::Set(const std::vector<CRSCanvasItem*>& tops) {
  std::unordered_set<CPuzzlePiece*> wanted;
  for (CRSCanvasItem* top : tops)
    for (CPuzzlePiece* piece : PiecesOf(top)) wanted.insert(piece);
  // One pass over the old selection: a band that shrinks over thousands of
  // pieces must not search the list once per piece it lets go.
  std::erase_if(m_order, [&](CPuzzlePiece* key) {
    if (wanted.count(key) && Has(key)) return false;
    if (Has(key)) CSelectionGlow::Set(key, false);
    m_pieces.erase(key);
    return true;
  });
  for (CRSCanvasItem* top : tops) Add(top);
}

void CTableSelection::Clear() {
  for (CPuzzlePiece* key : m_order)
    if (Has(key)) CSelectionGlow::Set(key, false);
  m_order.clear();
  m_pieces.clear();
}

std::vector<CRSCanvasItem*> CTableSelection::GetItems() const {
  std::vector<CRSCanvasItem*> items;
  std::unordered_set<CRSCanvasItem*> seen;
  for (CPuzzlePiece* key : m_order) {
    if (!Has(key)) continue;
    CRSCanvasItem* top = TopOf(key);
    if (seen.insert(top).second) items.push_back(top);
  }
  return items;
}

void CTableSelection::Refresh() {
  // Dropped pieces first, so that a key whose piece went is not read again.
  std::erase_if(m_order, [&](CPuzzlePiece* key) {
    if (Has(key)) return false;
    m_pieces.erase(key);
    return true;
  });
  for (CRSCanvasItem* top : GetItems()) Add(top);
}
