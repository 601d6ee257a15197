// A puzzle's data: picture, music, size scale, piece records and the piece
// items built from them.

#include "data/puzzle_data.h"

#include <algorithm>
#include <unordered_set>

#include "data/embed.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/piece_scatter.h"
#include "platform/files.h"

CPuzzleData::CPuzzleData(std::string name) : m_name(std::move(name)) {
  SetReceivesOpeningElement(true);
  m_sizeScale = 0.0f;  // so that the setter below takes effect
  SetSizeScale(1.0f);
}

CPuzzleData::~CPuzzleData() = default;

void CPuzzleData::SetPicture(std::shared_ptr<Gdiplus::Bitmap> picture) {
  m_pieces.clear();
  PiecesChanged();
  m_picture = std::move(picture);
  if (!m_picture) return;
  m_cutter.SetImageSize(m_picture->GetWidth(), m_picture->GetHeight());
  m_pictureText = EncodeImageBase64(*m_picture, kMimeJpeg);
}

void CPuzzleData::SetMusicFile(const std::string& path) {
  if (path == m_musicFileName && !m_musicData.empty()) return;
  m_musicFileName = path;
  m_musicData.clear();
  std::string bytes;
  // A file of the limit or longer is refused while reading, so a huge file
  // is never read whole just to be thrown away.
  if (!platform::ReadWholeFile(path, kMaxEmbeddedMusicBytes - 1, bytes)) return;
  m_musicData.assign(bytes.begin(), bytes.end());
}

void CPuzzleData::SetSizeScale(float scale) {
  if (Gdiplus::NearlyEqual(scale, m_sizeScale)) return;
  m_sizeScale = scale;
  m_cutter.SetScale(scale, scale);
}

void CPuzzleData::RebuildPieceIndex(Size grid) const {
  m_pieceIndex.assign(static_cast<std::size_t>(grid.Width) * static_cast<std::size_t>(grid.Height), nullptr);
  for (const auto& record : m_pieces) {
    const int c = record->GetColumn(), r = record->GetRow();
    if (c < 0 || r < 0 || c >= grid.Width || r >= grid.Height) continue;
    CPuzzlePieceData*& slot = m_pieceIndex[static_cast<std::size_t>(r) * grid.Width + c];
    if (!slot) slot = record.get();
  }
  m_pieceIndexGrid = grid;
  m_pieceIndexValid = true;
}

CPuzzlePieceData* CPuzzleData::GetPieceData(int column, int row) const {
  // The grid can change under the list (a new piece size), so the index is
  // checked against the cutter's grid as well.
  const Size grid = m_cutter.GetGridSize();
  if (column >= 0 && row >= 0 && column < grid.Width && row < grid.Height) {
    if (!m_pieceIndexValid || !(m_pieceIndexGrid == grid)) RebuildPieceIndex(grid);
    return m_pieceIndex[static_cast<std::size_t>(row) * grid.Width + column];
  }
  // A cell outside the grid has no place in the index.
  for (const auto& record : m_pieces) {
    if (record->GetColumn() == column && record->GetRow() == row) return record.get();
  }
  return nullptr;
}

CRSCanvasItem* CPuzzleData::GetPieceItem(int column, int row) const {
  CPuzzlePieceData* record = GetPieceData(column, row);
  return record ? record->GetItem() : nullptr;
}

CPuzzlePiece* CPuzzleData::CreatePieceItem(CRSCanvasItem* parent, int column, int row,
                                           const Gdiplus::Bitmap& cutImage) {
  return CreatePieceItem(parent, column, row, m_cutter.GetPieceImage(cutImage, column, row));
}

CPuzzlePiece* CPuzzleData::CreatePieceItem(CRSCanvasItem* parent, int column, int row,
                                           CPuzzleCutter::PieceImage image) {
  if (!image.bitmap) return nullptr;

  CPuzzlePieceData* record = GetPieceData(column, row);
  const bool isNew = record == nullptr;
  if (isNew) {
    record = m_pieces.emplace_back(std::make_unique<CPuzzlePieceData>(column, row)).get();
    // The cell had no record, so the index only needs this one.
    const Size grid = m_cutter.GetGridSize();
    if (m_pieceIndexValid && m_pieceIndexGrid == grid) {
      m_pieceIndex[static_cast<std::size_t>(row) * grid.Width + column] = record;
    } else {
      PiecesChanged();
    }
  }

  const float distance = static_cast<float>(m_cutter.GetPieceSize()) * m_sizeScale;
  auto* piece = new CPuzzlePiece(CPuzzlePiece::kItemName, nullptr, distance);
  const PointF centre((static_cast<float>(column) + 0.5f) * distance, (static_cast<float>(row) + 0.5f) * distance);
  piece->SetCellCentre(centre);
  piece->SetImage(std::shared_ptr<Gdiplus::Bitmap>(std::move(image.bitmap)), true);
  piece->SetAnchor(centre - image.position);
  piece->SetParent(parent);
  record->BindItem(piece);
  if (isNew) ScatterItem(piece, m_rotatePieces);
  return piece;
}

int CPuzzleData::GetPercentCompleted() const {
  std::vector<CPuzzlePiece*> pieces;
  for (const auto& record : m_pieces) {
    if (auto* piece = dynamic_cast<CPuzzlePiece*>(record->GetItem())) pieces.push_back(piece);
  }
  return ComputeProgress(pieces);
}

void CPuzzleData::ResetProgress() {
  m_completed = false;
  m_timePlayed = 0;
  // The trays are emptied onto the table before a scatter: none is kept.
  m_trays.clear();
  std::erase_if(m_pieces, [](const std::unique_ptr<CPuzzlePieceData>& record) { return !record->GetItem(); });
  PiecesChanged();
  // Each group is remembered once however many pieces leave it; a set keeps
  // that from searching all groups for every piece of a large puzzle.
  std::vector<CPuzzleGroup*> groups;
  std::unordered_set<CPuzzleGroup*> seen;
  for (const auto& record : m_pieces) {
    CRSCanvasItem* item = record->GetItem();
    if (auto* piece = dynamic_cast<CPuzzlePiece*>(item)) {
      // A loose piece that still believed itself joined would never connect
      // again and would count as progress.
      piece->DisconnectAll();
      if (auto* group = dynamic_cast<CPuzzleGroup*>(piece->GetParent())) {
        piece->SetParent(group->GetParent());
        if (seen.insert(group).second) groups.push_back(group);
      }
    }
    ScatterItem(item, m_rotatePieces);
  }
  for (CPuzzleGroup* group : groups) {
    const auto& children = group->GetChildItems();
    const bool empty = std::none_of(children.begin(), children.end(),
                                    [](CRSCanvasItem* c) { return dynamic_cast<CPuzzlePiece*>(c) != nullptr; });
    if (empty) group->DeleteLater();
  }
}
