#include "app/help_window.h"

#include <algorithm>

#include "canvas/behaviours.h"
#include "canvas/event_dispatcher.h"
#include "platform/brush.h"
#include "platform/files.h"

namespace {

constexpr unsigned kMsgKeyDown = 256;
constexpr float kPadding = 12.0f;

}  // namespace

CHelpWindow* CHelpWindow::Open(CRSCanvasItem* root, const std::string& path) {
  std::string text;
  if (!platform::ReadWholeFile(path, kMaxHelpBytes, text) || text.empty()) return nullptr;
  return new CHelpWindow(root, text);
}

CHelpWindow::CHelpWindow(CRSCanvasItem* root, const std::string& text)
    : CRSControlWindow(PointF(), root, "helpWindow", SizeF(640, 520)) {
  SetCaption("Tandrill Help");
  SetFrameMode(2);
  SetZOrder(kZOrderTop - 16);
  SetMinSize(SizeF(320, 240));

  CRSCanvasItem* client = GetClientArea();
  auto* page = new CRSScrollView(PointF(), client, "helpPage", client->GetSize());
  (new CBehaviourSize(page, PointF(1, 1), CBehaviourSize::kWidth | CBehaviourSize::kHeight))->Update();

  auto* body = new CRSCanvasText(PointF(kPadding, kPadding), page->GetClientArea(), "helpText");
  body->SetFont("DejaVu Sans Mono", 10.0f, 0);
  body->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(Style().GetStaticTextColor())));
  body->SetText(text);
  const SizeF textSize = body->GetSize();
  page->SetClientMinSize(SizeF(textSize.Width + 2 * kPadding, textSize.Height + 2 * kPadding));

  // Centred on the root, and no larger than most of it.
  const SizeF rootSize = root ? root->GetSize() : SizeF(800, 600);
  SetSize(SizeF(std::min(textSize.Width + 2 * kPadding + 40, rootSize.Width * 0.8f),
                std::min(GetSize().Height, rootSize.Height * 0.85f)));
  auto* align = new CBehaviourAlign(this, CBehaviourAlign::kCentre | CBehaviourAlign::kKeepInside);
  align->Align();

  AddFilter(CBehaviourMessageHandler::GetOrCreate(this), this, CRSEvents::kEventKey);
}

CHelpWindow::~CHelpWindow() = default;

int CHelpWindow::FilterEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  if (event.GetType() == CRSEvents::kEventKey) {
    auto& key = static_cast<CRSCanvasEvents::Key&>(event);
    if (key.GetMessage() == kMsgKeyDown && key.m_virtualKey == kEscapeKey) {
      Close();
      return kVerdictStop;
    }
  }
  return CRSControlWindow::FilterEvent(target, event);
}
