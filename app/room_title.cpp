#include "app/room_title.h"

#include <memory>

#include "canvas/behaviours.h"
#include "canvas/items.h"
#include "platform/brush.h"
#include "platform/pen.h"

namespace app {
namespace {

constexpr int kTitleZOrder = 2147483636;
constexpr int kNoticeZOrder = 0;
constexpr int kBold = 1;

}  // namespace

void CreateRoomTitle(CRSCanvasItem* floor, const std::string& text) {
  if (!floor) return;

  auto* title = new CRSCanvasShapeText(PointF(), floor, "roomTitle");
  title->SetFont("Times New Roman", 45.0f, kBold);
  title->SetText(text);
  title->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0x66EEEEEEu)));
  title->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(0x55FFA500u), 1.0f));
  title->SetZOrder(kTitleZOrder);
  auto* titleAlign = new CBehaviourAlign(title, CBehaviourAlign::kLeft | CBehaviourAlign::kBottom);
  titleAlign->SetMargins(10, 10);
  CBehaviourShadow::SetShadow(title, PointF(3, 4));
  titleAlign->Align();

  auto* notice = new CRSCanvasShapeText(PointF(), floor, "roomNotice");
  notice->SetFont("Microsoft Sans Serif", 12.0f, 0);
  notice->SetText(kMakerNotice);
  notice->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(0xFF000000u), 0.1f));
  notice->SetZOrder(kNoticeZOrder);
  auto* noticeAlign = new CBehaviourAlign(notice, CBehaviourAlign::kRight | CBehaviourAlign::kBottom);
  noticeAlign->SetMargins(4, 2);
  noticeAlign->Align();
}

}  // namespace app
