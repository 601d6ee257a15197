// The pictures of the solved puzzle: the ghost, a faint copy under the
// pieces, and the preview, a small window of its own.

#include "play/play_preview.h"

#include <algorithm>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
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

CPlayPreview::CPlayPreview(CRSCanvasItem* floor, std::shared_ptr<Gdiplus::Bitmap> picture)
    : CRSObject(nullptr, "playPreview"), m_floor(floor), m_picture(std::move(picture)) {}

CPlayPreview::~CPlayPreview() {
  if (CRSControlWindow* window = GetPreview()) window->sigClosed.disconnect(this);
}

void CPlayPreview::MakeGhostMatrix(float (&m)[5][5]) {
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c) m[r][c] = r == c ? 1.0f : 0.0f;
  m[3][3] = kGhostAlpha;
  m[4][0] = m[4][1] = m[4][2] = kGhostLighten;
}

CRSCanvasImage* CPlayPreview::CreateGhost(CRSCanvasItem* surface) {
  if (!surface || !m_picture) return nullptr;
  auto* ghost = new CRSCanvasImage(PointF(), surface, "ghostPicture", m_picture);
  Gdiplus::ColorMatrix matrix{};
  MakeGhostMatrix(matrix.m);
  ghost->SetColorMatrix(matrix);
  ghost->SetZOrder(0);
  ghost->SetVisible(false);
  (new CBehaviourAlign(ghost, CBehaviourAlign::kCentre))->Align();
  m_ghost.Assign(ghost);
  return ghost;
}

void CPlayPreview::AttachButtons(CRSControlButton* picture, CRSControlButton* ghost) {
  m_pictureButton.Assign(picture);
  m_ghostButton.Assign(ghost);
  if (picture) picture->sigToggled.connect(this, &CPlayPreview::OnPictureToggled);
  if (ghost) ghost->sigToggled.connect(this, &CPlayPreview::OnGhostToggled);
}

CRSControlWindow* CPlayPreview::GetPreview() const {
  return dynamic_cast<CRSControlWindow*>(m_preview.get());
}

PointF CPlayPreview::GetGhostCornerFor(const CRSCanvasItem& item) const {
  CRSCanvasImage* ghost = m_ghost.get();
  CRSCanvasItem* parent = item.GetParentItem();
  if (!ghost || !parent) return PointF();
  return ghost->GetTopLeft() - parent->MapToAncestor(PointF(), ghost->GetParentItem());
}

void CPlayPreview::SetGhostShown(bool shown) {
  CRSCanvasImage* ghost = m_ghost.get();
  if (!ghost) return;
  ghost->SetVisible(shown);
  platform::ReportLine(shown ? "play ghost on" : "play ghost off");
}

void CPlayPreview::SetPictureShown(bool shown) {
  if (shown) {
    OpenPreview();
  } else {
    ClosePreview();
  }
  // The button follows however the preview was opened or closed.
  if (CRSControlButton* button = m_pictureButton.get(); button && button->IsChecked() != shown)
    button->SetChecked(shown);
}

void CPlayPreview::OpenPreview() {
  CRSCanvasItem* floor = m_floor.get();
  if (m_preview || !m_picture || !floor) return;
  const float width = static_cast<float>(m_picture->GetWidth());
  const float height = static_cast<float>(m_picture->GetHeight());
  const float scale = std::min(kPreviewWidth / width, kPreviewHeight / height);
  auto* window = new CRSControlWindow(PointF(), floor, "previewWindow", SizeF(kPreviewMinWidth, kPreviewMinHeight));
  window->SetCaption("Puzzle picture");
  window->SetFrameMode(CRSFrameMode::kResizable);
  window->SetZOrder(kPreviewZOrder);
  window->SetMinSize(SizeF(kPreviewMinWidth, kPreviewMinHeight));
  window->SetClientSize(SizeF(width * scale, height * scale));
  auto* picture = new CRSCanvasImage(PointF(), window->GetClientArea(), "previewPicture", m_picture);
  new CBehaviourAlign(picture, CBehaviourAlign::kCentre);
  (new CBehaviourSize(picture, PointF(1, 1), kFillBoth))->Update();
  // Top right, under the clock, where it covers the least of the board.
  window->MoveTopLeftTo(PointF(floor->GetSize().Width - window->GetSize().Width - kPreviewMargin, kPreviewTop));
  (new CBehaviourAlign(window, CBehaviourAlign::kKeepInside))->Align();
  window->sigClosed.connect(this, &CPlayPreview::OnPreviewClosed);
  m_preview.Assign(static_cast<CRSCanvasItem*>(window));
  platform::ReportLine("play preview open");
}

void CPlayPreview::ClosePreview() {
  CRSControlWindow* window = GetPreview();
  m_preview.Release();
  if (!window) return;
  window->sigClosed.disconnect(this);
  window->Close();
  platform::ReportLine("play preview closed");
}

void CPlayPreview::OnPreviewClosed() {
  // Closed by its own close button.
  m_preview.Release();
  SetPictureShown(false);
}
