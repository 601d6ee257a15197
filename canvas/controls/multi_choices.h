#pragma once
// A list of exclusive choices, one shown at a time, stepped through with two
// buttons.

#include <string>
#include <vector>

#include "canvas/items.h"
#include "canvas/sigslot.h"
#include "canvas/styles.h"

class CRSControlButton;

// The selected index is -1 while the list is empty. Stepping goes through
// the same rule as selecting, so a step beyond either end does nothing:
// there is no wrap-around, and the button that would step out is disabled.
// The control is always as tall as the style's buttons; the style draws it
// and places the text and the two buttons.
class CRSMultiChoices : public CRSCanvasItem, public CRSControlStyleBase {
 public:
  CRSMultiChoices(const PointF& position, CRSObject* parent, const std::string& name);
  ~CRSMultiChoices() override;

  // Appends a choice; the first one added is selected.
  void AddChoice(const std::string& text);
  // Removes every choice; nothing is selected afterwards (no signal).
  void ClearChoices();
  // Does nothing when the index is the current one, negative or beyond the
  // list; otherwise selects it, shows it and emits sigSelectionChanged.
  void SetSelection(int index);
  // Selects the first choice equal to `text`; does nothing when none is, or
  // when that text is shown already.
  void SelectText(const std::string& text);
  void SelectPrevious();
  void SelectNext();

  int GetSelection() const { return m_selected; }
  // The selected choice's text, or an empty string.
  std::string GetSelectedText() const;
  const std::vector<std::string>& GetChoices() const { return m_choices; }

  // The parts the style lays out.
  CRSCanvasShape* GetBackItem() const { return m_back; }
  CRSCanvasText* GetTextItem() const { return m_text; }
  CRSCanvasText* GetTextShadowItem() const { return m_textShadow; }
  CRSControlButton* GetPreviousButton() const { return m_previous; }
  CRSControlButton* GetNextButton() const { return m_next; }

  void DoSetSize(const SizeF& size) override;
  // Left and Up the choice before, Right and Down the next, Home the first,
  // End the last.
  void OnKey(int message, unsigned virtualKey, long keyData, bool* handled) override;

  // The new index.
  sigslot::signal1<int> sigSelectionChanged;

 private:
  void Redraw();

  std::vector<std::string> m_choices;
  int m_selected = -1;
  bool m_drawing = false;
  CRSCanvasShape* m_back = nullptr;
  CRSCanvasText* m_textShadow = nullptr;
  CRSCanvasText* m_text = nullptr;
  CRSControlButton* m_previous = nullptr;
  CRSControlButton* m_next = nullptr;
};
