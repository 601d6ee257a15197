#include "rooms/about_dialog.h"

#include <algorithm>

#include "canvas/behaviours.h"
#include "platform/brush.h"

namespace {

constexpr float kWidth = 340.0f;
constexpr float kPadding = 14.0f;

CRSCanvasText* AddLine(CRSCanvasItem* parent, const std::string& text, float y, float size, int style) {
  auto* line = new CRSCanvasText(PointF(0, y), parent, "aboutLine");
  line->SetFont("Times New Roman", size, style);
  line->AddBrush(std::make_shared<Gdiplus::SolidBrush>(
      Gdiplus::Color(CRSControlStyleBase::Style().GetStaticTextColor())));
  line->SetText(text);
  auto* align = new CBehaviourAlign(line, CBehaviourAlign::kCentreX);
  align->Align();
  return line;
}

}  // namespace

CPuzzleAboutDlg::CPuzzleAboutDlg(CRSCanvasItem* root)
    : CRSControlWindow(PointF(), root, "aboutDialog", SizeF(kWidth, 160)) {
  SetCaption("About Tandrill");
  SetCloseButton(true);
  CRSCanvasItem* client = GetClientArea();
  float y = kPadding;
  y += AddLine(client, kVersionLine, y, 17.0f, 1)->GetSize().Height + 8;
  y += AddLine(client, "Any picture becomes a jigsaw puzzle.", y, 13.0f, 0)->GetSize().Height + 2;
  y += AddLine(client, "Made for Linux by the Tandrill developers.", y, 13.0f, 2)->GetSize().Height + kPadding;
  SetClientSize(SizeF(GetClientArea()->GetSize().Width, y));
  auto* align = new CBehaviourAlign(this, CBehaviourAlign::kCentre | CBehaviourAlign::kKeepInside);
  align->Align();
}

CPuzzleAboutDlg::~CPuzzleAboutDlg() = default;
