#pragma once
// Controls with a client area: an item inside the control's frame that holds
// the control's content. The frame belongs to the control (and its style);
// callers put their items into the client area.

#include <string>

#include "canvas/auto_ptr.h"
#include "canvas/items.h"
#include "canvas/styles.h"

class CRSControlWithClientAreaBase {
 public:
  virtual ~CRSControlWithClientAreaBase() = default;

  // The item that holds the content; null only while the control is being
  // destroyed.
  CRSCanvasItem* GetClientArea() const { return m_clientArea.get(); }
  // The content's size: the client area never shrinks below it.
  void SetClientMinSize(const SizeF& size) {
    if (CRSCanvasItem* area = m_clientArea.get()) area->SetMinSize(size);
  }

 protected:
  CRSAutoPtrPolymorphic<CRSCanvasItem> m_clientArea;
};

// The control itself is an item (`Base` is CRSCanvasItem or CRSCanvasShape)
// whose client area is a child made with it.
template <class Base>
class CRSControlWithClientArea : public Base, public CRSControlWithClientAreaBase, public CRSControlStyleBase {
 public:
  CRSControlWithClientArea(const PointF& position, CRSObject* parent, const std::string& name)
      : Base(position, parent, name) {
    m_clientArea = new CRSCanvasItem(PointF(), this, "clientArea");
  }
  ~CRSControlWithClientArea() override = default;
};
