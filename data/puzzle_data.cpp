// A puzzle's data: picture, music, size scale, piece records and the piece
// items built from them.

#include "data/puzzle_data.h"

#include <algorithm>

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

CPuzzlePieceData* CPuzzleData::GetPieceData(int column, int row) const {
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
  CPuzzleCutter::PieceImage image = m_cutter.GetPieceImage(cutImage, column, row);
  if (!image.bitmap) return nullptr;

  CPuzzlePieceData* record = GetPieceData(column, row);
  const bool isNew = record == nullptr;
  if (isNew) record = m_pieces.emplace_back(std::make_unique<CPuzzlePieceData>(column, row)).get();

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
  std::vector<CPuzzleGroup*> groups;
  for (auto it = m_pieces.begin(); it != m_pieces.end();) {
    CRSCanvasItem* item = (*it)->GetItem();
    if (!item) {
      it = m_pieces.erase(it);
      continue;
    }
    if (auto* piece = dynamic_cast<CPuzzlePiece*>(item)) {
      // A loose piece that still believed itself joined would never connect
      // again and would count as progress.
      piece->DisconnectAll();
      if (auto* group = dynamic_cast<CPuzzleGroup*>(piece->GetParent())) {
        piece->SetParent(group->GetParent());
        if (std::find(groups.begin(), groups.end(), group) == groups.end()) groups.push_back(group);
      }
    }
    ScatterItem(item, m_rotatePieces);
    ++it;
  }
  for (CPuzzleGroup* group : groups) {
    const auto& children = group->GetChildItems();
    const bool empty = std::none_of(children.begin(), children.end(),
                                    [](CRSCanvasItem* c) { return dynamic_cast<CPuzzlePiece*>(c) != nullptr; });
    if (empty) group->DeleteLater();
  }
}
