#pragma once
// Static text and the one-line text field built on it.

#include <string>

#include "canvas/items.h"
#include "canvas/styles.h"

// A line or block of text in the static text font and colour. The style
// lays out its parts: the text itself and, under it, a soft shadow copy that
// keeps the text readable over a busy picture. By default the control takes
// the size of its text; with automatic sizing off it keeps the size it is
// given and the style places the text inside it.
class CRSStatic : public CRSCanvasItem, public CRSControlStyleBase {
 public:
  CRSStatic(const PointF& position, CRSObject* parent, const std::string& name, const std::string& text = {});
  ~CRSStatic() override;

  void SetText(const std::string& text);
  const std::string& GetText() const { return m_text; }
  void SetAutoSize(bool on);
  bool GetAutoSize() const { return m_autoSize; }

  // The parts the style lays out; owned by the control as its first children.
  CRSCanvasText* GetTextItem() const { return m_textItem; }
  CRSCanvasText* GetShadowItem() const { return m_shadowItem; }

  void DoSetSize(const SizeF& size) override;

 protected:
  // Stores the text without laying out; for controls that change it in steps.
  void StoreText(const std::string& text) { m_text = text; }
  // Has the style lay the parts out again (guarded against re-entry, since
  // laying out may resize the control).
  void Relayout();

 private:
  std::string m_text;
  bool m_autoSize = true;
  bool m_layingOut = false;
  CRSCanvasText* m_shadowItem = nullptr;
  CRSCanvasText* m_textItem = nullptr;
};
