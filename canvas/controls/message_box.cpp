// Message boxes: the buttons of each kind, the layout and the closing order.

#include "canvas/controls/message_box.h"

#include <algorithm>
#include <cmath>

#include "canvas/behaviours.h"
#include "canvas/styles/style_parts.h"
#include "platform/messages.h"
#include "platform/report.h"

namespace {

// Room around the text, and the smallest box.
constexpr float kTextMargin = 30.0f;
constexpr float kTextTop = 14.0f;
constexpr float kMinClientWidth = 220.0f;
constexpr float kButtonBottomMargin = 5.0f;

}  // namespace

CRSMessageBox* CRSMessageBox::Show(const std::string& text, const std::string& title, CRSCanvasItem* parent,
                                   Kind kind) {
  platform::ReportLine("message " + title + ": " + text);
  return parent ? new CRSMessageBox(text, title, parent, kind) : nullptr;
}

void CRSMessageBox::LabelsOf(Kind kind, std::string (&labels)[kButtonSlots]) {
  static const char* const kLabels[6][kButtonSlots] = {
      {"&Ok", "", ""},
      {"&Ok", "&Cancel", ""},
      {"&Abort", "&Retry", "&Ignore"},
      {"&Yes", "&No", "&Cancel"},
      {"&Yes", "&No", ""},
      {"&Retry", "&Ignore", ""},
  };
  const int value = static_cast<int>(kind);
  const int k = value >= 0 && value <= 5 ? value : 0;
  for (int i = 0; i < kButtonSlots; ++i) labels[i] = kLabels[k][i];
}

CRSMessageBox::CRSMessageBox(const std::string& text, const std::string& title, CRSCanvasItem* parent, Kind kind)
    : CRSControlWindow(PointF(), parent, "messageBox", SizeF(kMinClientWidth, 100.0f)), m_kind(kind) {
  SetCloseButton(false);
  SetCaption(title);
  CRSCanvasItem* area = GetClientArea();

  // The text, in the static text's font and colour, with a shadow so it
  // reads on any background.
  const CRSStyleFont font = Style().GetStaticTextFont();
  CRSCanvasGroup* caption =
      style_parts::MakeCaption(area, "text", text, font, Style().GetStaticTextColor(), false,
                               style_parts::kShadowDrop);
  m_text = dynamic_cast<CRSCanvasText*>(caption->FindChild("text"));
  const SizeF textSize = caption->GetLocalRect().GetSize();

  std::string labels[kButtonSlots];
  LabelsOf(kind, labels);
  int count = 0;
  for (const std::string& l : labels) count += l.empty() ? 0 : 1;
  const float buttonHeight = Style().GetButtonHeight();
  const float buttonsWidth = static_cast<float>(count) * kButtonWidth + static_cast<float>(std::max(0, count - 1)) * kButtonGap;
  const SizeF client(std::ceil(std::max({kMinClientWidth, textSize.Width + 2.0f * kTextMargin, buttonsWidth + 2.0f * kTextMargin})),
                     std::ceil(kTextTop + textSize.Height + 16.0f + buttonHeight + kButtonBottomMargin + 4.0f));
  SetClientSize(client);
  caption->SetPosition(PointF(std::round((client.Width - textSize.Width) * 0.5f), kTextTop));

  float x = std::round((client.Width - buttonsWidth) * 0.5f);
  void (CRSMessageBox::*handlers[kButtonSlots])() = {&CRSMessageBox::OnButton0, &CRSMessageBox::OnButton1,
                                                      &CRSMessageBox::OnButton2};
  for (int i = 0; i < kButtonSlots; ++i) {
    // An empty label leaves its slot without a button.
    if (labels[i].empty()) continue;
    auto* button = new CRSControlButton(PointF(x, 0.0f), area, "button" + std::to_string(i),
                                        SizeF(kButtonWidth, buttonHeight), labels[i]);
    auto* align = new CBehaviourAlign(button, CBehaviourAlign::kBottom);
    align->SetMargins(0.0f, kButtonBottomMargin);
    button->sigClicked.connect(this, handlers[i]);
    m_buttons[i] = button;
    x += kButtonWidth + kButtonGap;
  }
  SetModal(true);
  // Centred in the parent, and kept there when the parent is resized.
  new CBehaviourAlign(this, CBehaviourAlign::kCentre);
}

CRSMessageBox::~CRSMessageBox() = default;

CRSControlButton* CRSMessageBox::GetButton(int slot) const {
  if (slot < 0 || slot >= kButtonSlots) return nullptr;
  return m_buttons[slot].get();
}

CRSSignalEmittedTroughEvent0& CRSMessageBox::ButtonSignal(int slot) {
  switch (slot) {
    case 1: return sigButton1;
    case 2: return sigButton2;
    default: return sigButton0;
  }
}

void CRSMessageBox::CloseWith(int index) {
  if (IsClosing()) return;
  m_result = index;
  Close();
}

void CRSMessageBox::Close() {
  if (IsClosing()) return;
  // Queued in this order, so the button's own signal comes first; both are
  // delivered before the box's deletion, which is queued after them.
  if (m_result >= 0 && m_result < kButtonSlots) ButtonSignal(m_result).EmitLater();
  sigClosed.EmitLater(m_result);
  CRSControlWindow::Close();
}

CRSControlButton* CRSMessageBox::KeyButton(bool last) const {
  CRSControlButton* found = nullptr;
  for (const auto& slot : m_buttons) {
    if (CRSControlButton* button = slot.get()) {
      if (!last) return button;
      found = button;
    }
  }
  return found;
}

int CRSMessageBox::FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  if (event.GetType() != CRSEvents::kEventKey || event.GetMessage() != static_cast<int>(platform::kMsgKeyDown))
    return CRSControlWindow::FilterGlobalEvent(target, event);
  // Only the box on top answers, so a box asked from inside a dialog takes
  // the keys before the dialog does, and the dialog has them back after.
  if (IsClosing() || GetTopModal() != this) return kVerdictContinue;
  const unsigned key = static_cast<const CRSCanvasEvents::Key&>(event).m_virtualKey;
  if (key != platform::kVkReturn && key != platform::kVkEscape) return kVerdictContinue;
  // Pressed as a click is, so the sound plays and the answer is the
  // button's own.
  if (CRSControlButton* button = KeyButton(key == platform::kVkEscape)) button->Click();
  return kVerdictStop;
}
