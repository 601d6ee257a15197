#include "canvas/controls/multi_choices.h"

#include "canvas/controls/button.h"
#include "platform/messages.h"

namespace {

// The step buttons show arrows pointing the way they step.
constexpr const char* kPreviousCaption = "\xE2\x97\x80";  // U+25C0
constexpr const char* kNextCaption = "\xE2\x96\xB6";      // U+25B6

}  // namespace

CRSMultiChoices::CRSMultiChoices(const PointF& position, CRSObject* parent, const std::string& name)
    : CRSCanvasItem(position, parent, name) {
  SetTabStop(true);
  const float height = Style().GetButtonHeight();
  m_back = new CRSCanvasShape(PointF(), this, "back");
  m_textShadow = new CRSCanvasText(PointF(), this, "textShadow");
  m_text = new CRSCanvasText(PointF(), this, "text");
  m_previous = new CRSControlButton(PointF(), this, "previous", SizeF(height, height), kPreviousCaption);
  m_next = new CRSControlButton(PointF(), this, "next", SizeF(height, height), kNextCaption);
  m_previous->sigClicked.connect(this, &CRSMultiChoices::SelectPrevious);
  m_next->sigClicked.connect(this, &CRSMultiChoices::SelectNext);
  SetSize(SizeF(160.0f, height));
  Redraw();
}

CRSMultiChoices::~CRSMultiChoices() = default;

void CRSMultiChoices::AddChoice(const std::string& text) {
  m_choices.push_back(text);
  if (m_selected == -1) {
    SetSelection(0);
  } else {
    Redraw();
  }
}

void CRSMultiChoices::ClearChoices() {
  m_choices.clear();
  m_selected = -1;
  m_text->SetText(std::string());
  Redraw();
}

void CRSMultiChoices::SetSelection(int index) {
  if (index == m_selected || index < 0 || index >= static_cast<int>(m_choices.size())) return;
  m_selected = index;
  m_text->SetText(m_choices[static_cast<size_t>(index)]);
  Redraw();
  sigSelectionChanged(index);
}

void CRSMultiChoices::SelectText(const std::string& text) {
  if (m_selected >= 0 && m_choices[static_cast<size_t>(m_selected)] == text) return;
  for (size_t i = 0; i < m_choices.size(); ++i) {
    if (m_choices[i] == text) {
      SetSelection(static_cast<int>(i));
      return;
    }
  }
}

void CRSMultiChoices::SelectPrevious() { SetSelection(m_selected - 1); }

void CRSMultiChoices::SelectNext() { SetSelection(m_selected + 1); }

std::string CRSMultiChoices::GetSelectedText() const {
  return m_selected >= 0 ? m_choices[static_cast<size_t>(m_selected)] : std::string();
}

void CRSMultiChoices::DoSetSize(const SizeF& size) {
  CRSCanvasItem::DoSetSize(size);
  Redraw();
}

void CRSMultiChoices::Redraw() {
  if (m_drawing || !m_next) return;
  m_drawing = true;
  const int count = static_cast<int>(m_choices.size());
  m_previous->SetEnabled(m_selected > 0);
  m_next->SetEnabled(m_selected >= 0 && m_selected + 1 < count);
  Style().DrawMultiChoices(*this);
  m_drawing = false;
}

void CRSMultiChoices::OnKey(int message, unsigned vk, long, bool* handled) {
  if (message != static_cast<int>(platform::kMsgKeyDown)) return;
  switch (vk) {
    case platform::kVkLeft:
    case platform::kVkUp:
      SelectPrevious();
      break;
    case platform::kVkRight:
    case platform::kVkDown:
      SelectNext();
      break;
    case platform::kVkHome:
      SetSelection(0);
      break;
    case platform::kVkEnd:
      SetSelection(static_cast<int>(m_choices.size()) - 1);
      break;
    default:
      return;
  }
  *handled = true;
}
