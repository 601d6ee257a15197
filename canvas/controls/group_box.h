#pragma once
// A framed group with a caption.

#include <string>

#include "canvas/items.h"
#include "canvas/styles.h"

// The controls of the group are added as its children; the frame and the
// caption stay beneath them (lowest z-order), whatever is added later.
class CRSGroupBox : public CRSCanvasItem, public CRSControlStyleBase {
 public:
  CRSGroupBox(const PointF& position, CRSObject* parent, const std::string& name, const std::string& caption = {});
  ~CRSGroupBox() override;

  void SetCaption(const std::string& caption);
  const std::string& GetCaption() const { return m_caption; }

  CRSCanvasShape* GetFrameItem() const { return m_frame; }
  CRSCanvasShape* GetCaptionBackItem() const { return m_captionBack; }
  CRSCanvasText* GetCaptionItem() const { return m_captionItem; }
  CRSCanvasText* GetCaptionShadowItem() const { return m_captionShadow; }

  void DoSetSize(const SizeF& size) override;

 private:
  void Redraw();

  std::string m_caption;
  bool m_drawing = false;
  CRSCanvasShape* m_frame = nullptr;
  CRSCanvasShape* m_captionBack = nullptr;
  CRSCanvasText* m_captionShadow = nullptr;
  CRSCanvasText* m_captionItem = nullptr;
};
