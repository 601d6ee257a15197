// The gallery's floating windows: the "Completed puzzle" window of a solved
// entry and the category windows that hold the frames of a category.

#include <algorithm>
#include <cstdio>
#include <memory>

#include "canvas/controls.h"
#include "canvas/items.h"
#include "data/library.h"
#include "data/puzzle_data.h"
#include "data/room_host.h"
#include "platform/brush.h"
#include "platform/graphics_path.h"
#include "platform/pen.h"
#include "platform/report.h"
#include "rooms/category_window.h"
#include "rooms/gallery_room.h"

namespace {

const SizeF kPictureMinSize(200.0f, 150.0f);
constexpr float kPictureMargin = 14.0f;
// The window never covers more than this share of the view.
constexpr float kMaxViewShare = 0.9f;
constexpr int kBold = 1;

}  // namespace

std::string CPuzzleGalleryRoom::TimeToCompleteText(std::int32_t ms) {
  // A negative time can only come from a damaged file; it reads as none.
  const std::int64_t t = std::max<std::int64_t>(0, ms);
  const std::int64_t minutes = t / 60000;
  const std::int64_t seconds = (t / 1000) % 60;
  char text[64];
  std::snprintf(text, sizeof text, "Time to complete %lld%lld:%lld%lld", static_cast<long long>(minutes / 10),
                static_cast<long long>(minutes % 10), static_cast<long long>(seconds / 10),
                static_cast<long long>(seconds % 10));
  return text;
}

// --- the "Completed puzzle" window -------------------------------------------

void CPuzzleGalleryRoom::OnPictureToggled(bool pressed) { ShowPicture(pressed); }

void CPuzzleGalleryRoom::ShowPicture(bool show) {
  if (!show) {
    ClosePictureWindow();
    return;
  }
  CPuzzleImageData* entry = SelectedPuzzle();
  if (!entry) return;
  if (!BuildPictureWindow(*entry)) {
    CRSMessageBox::Show("Could not read the puzzle file", "ERROR", m_root->GetRootWindow());
    // A pressed button with no window behind it would need two clicks to
    // show the next picture; it is released with the failed attempt.
    ClosePictureWindow();
    if (m_picture && m_picture->IsChecked()) m_picture->SetChecked(false);
  }
}

void CPuzzleGalleryRoom::ClosePictureWindow() {
  CRSControlWindow* window = m_pictureWindow.get();
  m_pictureWindow.Release();
  if (!window) return;
  window->sigClosed.disconnect(this);
  window->Close();
}

void CPuzzleGalleryRoom::OnPictureWindowClosed() {
  m_pictureWindow.Release();
  if (m_picture && m_picture->IsChecked()) m_picture->SetChecked(false);
}

bool CPuzzleGalleryRoom::BuildPictureWindow(CPuzzleImageData& entry) {
  auto puzzle = std::make_unique<CPuzzleData>(entry.GetName());
  if (!puzzle->Load() || !puzzle->GetPicture()) return false;
  const std::shared_ptr<Gdiplus::Bitmap> picture = puzzle->GetPicture();
  const float pw = static_cast<float>(picture->GetWidth()), ph = static_cast<float>(picture->GetHeight());
  CPuzzleCutter& cutter = puzzle->GetCutter();
  cutter.SetImageSize(picture->GetWidth(), picture->GetHeight());

  CRSCanvasItem* view = GetViewArea();
  CRSControlWindow* window = m_pictureWindow.get();
  if (!window) {
    window = new CRSControlWindow(PointF(), view, "pictureWindow", SizeF(kPictureMinSize.Width, kPictureMinSize.Height));
    window->SetCaption("Completed puzzle");
    window->SetZOrder(kPictureZOrder);
    window->GetClientArea()->SetMinSize(SizeF());
    window->sigClosed.connect(this, &CPuzzleGalleryRoom::OnPictureWindowClosed);
    m_pictureWindow = window;
  } else {
    window->GetClientArea()->DeleteChildren();
  }
  window->SetMinSize(kPictureMinSize);

  // The window fits the picture at the puzzle's zoom, but never more than
  // nine tenths of the view, keeping the picture's proportions.
  const SizeF client(pw + kPictureMargin, ph + kPictureMargin);
  SizeF size = CRSControlStyleBase::Style().GetWindowSize(client, window->GetFrameOptions());
  const float zoom = puzzle->GetSizeScale();
  size = SizeF(size.Width * zoom, size.Height * zoom);
  const SizeF viewSize = view ? view->GetSize() : size;
  const float maxW = kMaxViewShare * viewSize.Width, maxH = kMaxViewShare * viewSize.Height;
  if ((size.Width >= maxW || size.Height >= maxH) && size.Width > 0 && size.Height > 0) {
    const float scale = std::min(maxW / size.Width, maxH / size.Height);
    size = SizeF(size.Width * scale, size.Height * scale);
  }
  window->SetSize(size);
  (new CBehaviourAlign(window, CBehaviourAlign::kCentre))->Align();
  (new CBehaviourAlign(window, CBehaviourAlign::kKeepInside))->Align();

  CRSCanvasItem* area = window->GetClientArea();
  auto* image = new CRSCanvasImage(PointF(), area, "imgPicture", picture);
  image->SetZOrder(0);
  auto* fillImage = new CBehaviourSize(image, PointF(1.0f, 1.0f), CBehaviourSize::kWidth | CBehaviourSize::kHeight);
  fillImage->SetKeepAspect(true);
  fillImage->Update();
  (new CBehaviourAlign(image, CBehaviourAlign::kCentre))->Align();

  const Gdiplus::GraphicsPath& cuts = cutter.GetCutsPath();
  RectF bounds;
  cuts.GetBounds(&bounds);
  auto* shape = new CRSCanvasShape(PointF(), area, "shapeCuts", std::unique_ptr<Gdiplus::GraphicsPath>(cuts.Clone()));
  shape->SetSize(SizeF(std::max(1.0f, bounds.Width), std::max(1.0f, bounds.Height)));
  shape->SetZOrder(1);
  shape->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(0x80FFFFFFu), 3.0f));
  shape->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(0x80000000u), 1.0f));
  // The cuts follow the picture: the same share of the client area.
  const PointF ratio(pw > 0 ? shape->GetSize().Width / pw : 1.0f, ph > 0 ? shape->GetSize().Height / ph : 1.0f);
  auto* fillShape = new CBehaviourSize(shape, ratio, CBehaviourSize::kWidth | CBehaviourSize::kHeight);
  fillShape->SetKeepAspect(true);
  fillShape->Update();
  (new CBehaviourAlign(shape, CBehaviourAlign::kCentre))->Align();

  auto* time = new CRSCanvasShapeText(PointF(), area, "textTime");
  time->SetFont("Times New Roman", 26.0f, kBold);
  time->SetText(TimeToCompleteText(puzzle->GetTimePlayed()));
  time->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0xFFFFFFFFu)));
  time->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(0x88000000u), 1.0f));
  time->SetZOrder(2);
  (new CBehaviourAlign(time, CBehaviourAlign::kRight | CBehaviourAlign::kTop))->Align();

  platform::ReportLine("window Completed puzzle: " + time->GetText());
  return true;
}

// --- category windows --------------------------------------------------------

CRSListView* CPuzzleGalleryRoom::CategoryList(CPuzzleCategoryData& category) {
  CRSObject* before = category.GetWindow();
  CRSListView* list = category_rooms::GetListView(category, GetViewArea(), m_root->GetRootWindow());
  // A window built here floats beside the wall, not on it: the room keeps
  // it, to delete it when it goes.
  CRSObject* window = category.GetWindow();
  if (window && window != before) m_categoryWindows.emplace_back(window);
  return list;
}

void CPuzzleGalleryRoom::ShowCategoryWindow(CPuzzleCategoryData& category) {
  CategoryList(category);
  category_rooms::ShowWindow(category, GetViewArea(), m_root->GetRootWindow());
}
