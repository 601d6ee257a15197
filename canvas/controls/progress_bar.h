#pragma once
// A bar that fills with a value (the build window passes percentages).

#include <string>

#include "canvas/items.h"
#include "canvas/styles.h"

class CRSProgressBar : public CRSCanvasItem, public CRSControlStyleBase {
 public:
  CRSProgressBar(const PointF& position, CRSObject* parent, const std::string& name);
  ~CRSProgressBar() override;

  // Does nothing when v equals the stored value; otherwise stores max(v, 0),
  // shows it as "<value>%" and has the style draw the bar again. The bar is
  // full from 100 on.
  void SetValue(int v);
  int GetValue() const { return m_value; }

  CRSCanvasShape* GetTrackItem() const { return m_track; }
  CRSCanvasShape* GetBarItem() const { return m_bar; }
  CRSCanvasText* GetTextItem() const { return m_text; }
  CRSCanvasText* GetTextShadowItem() const { return m_textShadow; }

  void DoSetSize(const SizeF& size) override;

 private:
  void Redraw();

  int m_value = 0;
  bool m_drawing = false;
  CRSCanvasShape* m_track = nullptr;
  CRSCanvasShape* m_bar = nullptr;
  CRSCanvasText* m_textShadow = nullptr;
  CRSCanvasText* m_text = nullptr;
};
