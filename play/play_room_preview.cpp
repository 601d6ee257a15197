// The pictures of the solved puzzle: the ghost, a faint copy under the
// pieces, and the preview, a small window of its own.

#include <algorithm>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "data/room_host.h"
#include "play/play_room.h"
#include "play/table.h"
#include "platform/image_attributes.h"
#include "platform/report.h"

namespace {

constexpr float kGhostAlpha = 0.3f;
constexpr float kGhostLighten = 0.1f;
constexpr float kPreviewWidth = 225.0f;
constexpr float kPreviewHeight = 150.0f;
constexpr float kPreviewMinWidth = 200.0f;
constexpr float kPreviewMinHeight = 150.0f;
constexpr float kPreviewMargin = 5.0f;
constexpr float kPreviewTop = 50.0f;
constexpr int kFillBoth = CBehaviourSize::kWidth | CBehaviourSize::kHeight;

}  // namespace

void CPuzzlePlayRoom::MakeGhostMatrix(float (&m)[5][5]) {
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c) m[r][c] = r == c ? 1.0f : 0.0f;
  m[3][3] = kGhostAlpha;
  m[4][0] = m[4][1] = m[4][2] = kGhostLighten;
}

void CPuzzlePlayRoom::CreateGhost() {
  auto* ghost = new CRSCanvasImage(PointF(), m_table->GetSurface(), "ghostPicture", m_cutImage);
  Gdiplus::ColorMatrix matrix{};
  MakeGhostMatrix(matrix.m);
  ghost->SetColorMatrix(matrix);
  ghost->SetZOrder(0);
  ghost->SetVisible(false);
  (new CBehaviourAlign(ghost, CBehaviourAlign::kCentre))->Align();
  m_ghost.Assign(ghost);
}

void CPuzzlePlayRoom::SetPictureShown(bool shown) {
  if (shown) {
    OpenPreview();
  } else {
    ClosePreview();
  }
  // The button follows however the preview was opened or closed.
  if (CRSControlButton* button = m_pictureButton.get(); button && button->IsChecked() != shown)
    button->SetChecked(shown);
}

void CPuzzlePlayRoom::OpenPreview() {
  if (m_preview || !m_cutImage || m_puzzle == nullptr) return;
  const float width = static_cast<float>(m_cutImage->GetWidth());
  const float height = static_cast<float>(m_cutImage->GetHeight());
  const float scale = std::min(kPreviewWidth / width, kPreviewHeight / height);
  auto* window = new CRSControlWindow(PointF(), m_host->GetFloor(), "previewWindow", SizeF(kPreviewMinWidth, kPreviewMinHeight));
  window->SetCaption("Puzzle picture");
  window->SetFrameMode(CRSFrameMode::kResizable);
  window->SetZOrder(kPreviewZOrder);
  window->SetMinSize(SizeF(kPreviewMinWidth, kPreviewMinHeight));
  window->SetClientSize(SizeF(width * scale, height * scale));
  auto* picture = new CRSCanvasImage(PointF(), window->GetClientArea(), "previewPicture", m_cutImage);
  new CBehaviourAlign(picture, CBehaviourAlign::kCentre);
  (new CBehaviourSize(picture, PointF(1, 1), kFillBoth))->Update();
  // Top right, under the clock, where it covers the least of the board.
  if (CRSCanvasItem* floor = window->GetParentItem())
    window->MoveTopLeftTo(PointF(floor->GetSize().Width - window->GetSize().Width - kPreviewMargin, kPreviewTop));
  (new CBehaviourAlign(window, CBehaviourAlign::kKeepInside))->Align();
  window->sigClosed.connect(this, &CPuzzlePlayRoom::OnPreviewClosed);
  m_preview.Assign(static_cast<CRSCanvasItem*>(window));
  platform::ReportLine("play preview open");
}

void CPuzzlePlayRoom::ClosePreview() {
  CRSControlWindow* window = GetPreview();
  m_preview.Release();
  if (!window) return;
  window->sigClosed.disconnect(this);
  window->Close();
  platform::ReportLine("play preview closed");
}

void CPuzzlePlayRoom::OnPreviewClosed() {
  // Closed by its own close button.
  m_preview.Release();
  SetPictureShown(false);
}
