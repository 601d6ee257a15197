#pragma once
// A scroll view: a client area larger than the view, seen through a clipping
// holder and scrolled by a vertical bar along the right edge and a
// horizontal one along the bottom, each shown exactly when the content needs
// it. The content's size is the client area's minimum size. The mouse wheel
// scrolls the innermost scroll view under the pointer.

#include "canvas/controls/client_area.h"
#include "canvas/controls/scroll_bar.h"

class CRSScrollView : public CRSControlWithClientArea<CRSCanvasItem> {
 public:
  CRSScrollView(const PointF& position, CRSObject* parent, const std::string& name, const SizeF& size);
  ~CRSScrollView() override;

  CRSScrollBar* GetVerticalBar() const { return m_vertical.get(); }
  CRSScrollBar* GetHorizontalBar() const { return m_horizontal.get(); }
  CRSCanvasItem* GetHolder() const { return m_holder.get(); }
  // The scroll offset: how far the content is moved up and left.
  PointF GetScrollOffset() const;
  // Moves the bars (and with them the content); clamped by the bars.
  void ScrollTo(const PointF& offset);

  // Runs the layout rule; done on every resize and content size change.
  void Layout();

  void DoSetSize(const SizeF& size) override;
  int FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;

 private:
  void OnBarChanged(CRSCanvasItem* bar, float value);
  void OnContentSizeChanged(CRSCanvasItem* area, const SizeF& size);
  void PlaceContent();

  CRSAutoPtrPolymorphic<CRSCanvasItem> m_holder;
  CRSAutoPtrPolymorphic<CRSScrollBar> m_vertical;
  CRSAutoPtrPolymorphic<CRSScrollBar> m_horizontal;
  bool m_layingOut = false;
};
