#include "app/help_window.h"

#include <algorithm>

#include "canvas/behaviours.h"
#include "canvas/event_dispatcher.h"
#include "platform/brush.h"
#include "platform/files.h"

namespace {

constexpr unsigned kMsgKeyDown = 256;
constexpr float kPadding = 14.0f;
constexpr float kBlankLine = 8.0f;

}  // namespace

CHelpWindow* CHelpWindow::Open(CRSCanvasItem* root, const std::string& path) {
  std::string text;
  if (!platform::ReadWholeFile(path, kMaxHelpBytes, text) || text.empty()) return nullptr;
  return new CHelpWindow(root, text);
}

CHelpWindow::CHelpWindow(CRSCanvasItem* root, const std::string& text)
    : CRSControlWindow(PointF(), root, "helpWindow", SizeF(640, 520)) {
  SetCaption("Tandrill Help");
  SetFrameMode(CRSFrameMode::kResizable);
  SetZOrder(kZOrderTop - 16);
  SetMinSize(SizeF(320, 240));

  CRSCanvasItem* client = GetClientArea();
  auto* page = new CRSScrollView(PointF(), client, "helpPage", client->GetSize());
  (new CBehaviourSize(page, PointF(1, 1), CBehaviourSize::kWidth | CBehaviourSize::kHeight))->Update();

  // One text item a line, so the page reads left-aligned; "== Title =="
  // lines become headings, and the rest keeps its columns in a fixed-width
  // face.
  const auto colour = std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(Style().GetStaticTextColor()));
  const auto heading = std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0xFFFFE08Au));
  float y = kPadding, width = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) {
      y += kBlankLine;
      continue;
    }
    auto* item = new CRSCanvasText(PointF(kPadding, y), page->GetClientArea(), "helpLine");
    const bool isHeading = line.size() > 6 && line.rfind("== ", 0) == 0 && line.compare(line.size() - 3, 3, " ==") == 0;
    if (isHeading) {
      line = line.substr(3, line.size() - 6);
      y += kBlankLine / 2;
      item->SetFont("DejaVu Sans", 13.0f, 1);
      item->AddBrush(heading);
    } else {
      item->SetFont("DejaVu Sans Mono", 10.0f, 0);
      item->AddBrush(colour);
    }
    item->SetText(line);
    item->SetPosition(PointF(kPadding, y));
    y += item->GetSize().Height + (isHeading ? 4.0f : 0.0f);
    width = std::max(width, item->GetSize().Width);
  }
  const SizeF textSize(width, y);
  page->SetClientMinSize(SizeF(width + 2 * kPadding, y + kPadding));

  // Centred on the root, and no larger than most of it.
  const SizeF rootSize = root ? root->GetSize() : SizeF(800, 600);
  SetSize(SizeF(std::min(textSize.Width + 2 * kPadding + 40, rootSize.Width * 0.8f),
                std::min(560.0f, rootSize.Height * 0.85f)));
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
