// The four bars of a frame over the table.

#include "play/table_frame.h"

#include <algorithm>
#include <memory>

#include "canvas/items.h"
#include "platform/brush.h"
#include "platform/graphics_path.h"
#include "platform/pen.h"

CTableFrame::~CTableFrame() { Delete(); }

void CTableFrame::Create(CRSCanvasItem* floor, const std::string& name, int zOrder, ARGB fill, ARGB edge,
                         float width) {
  Delete();
  if (!floor) return;
  m_width = width;
  auto* frame = new CRSCanvasItem(PointF(), floor, name);
  frame->SetZOrder(zOrder);
  for (int side = 0; side < 4; ++side) {
    auto* bar = new CRSCanvasShape(PointF(), frame, name + "Side");
    auto unit = std::make_unique<Gdiplus::GraphicsPath>();
    unit->AddRectangle(RectF(0, 0, 1, 1));
    bar->SetPath(std::move(unit));
    bar->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(fill)));
    if (edge != 0) bar->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(edge), 1.0f));
    bar->SetVisible(false);
  }
  m_item.Assign(frame);
}

void CTableFrame::Place(const RectF& r) {
  CRSCanvasItem* frame = m_item.get();
  if (!frame) return;
  const float w = m_width;
  const float width = std::max(w, r.Width), height = std::max(w, r.Height);
  frame->SetSize(SizeF(r.X + width, r.Y + height));
  const RectF sides[4] = {RectF(r.X, r.Y, width, w), RectF(r.X, r.Y + height - w, width, w),
                          RectF(r.X, r.Y, w, height), RectF(r.X + width - w, r.Y, w, height)};
  const auto& bars = frame->GetChildItems();
  for (std::size_t i = 0; i < bars.size() && i < 4; ++i) {
    CRSCanvasItem* bar = bars[i];
    bar->Invalidate();
    bar->SetUpdatesEnabled(false);
    bar->SetPosition(PointF(sides[i].X, sides[i].Y));
    bar->SetSize(SizeF(sides[i].Width, sides[i].Height));
    bar->SetVisible(true);
    bar->SetUpdatesEnabled(true);
    bar->Invalidate();
  }
  m_place = r;
  m_shown = true;
}

void CTableFrame::Hide() {
  if (CRSCanvasItem* frame = m_item.get())
    for (CRSCanvasItem* bar : frame->GetChildItems()) bar->SetVisible(false);
  m_shown = false;
}

void CTableFrame::Delete() {
  if (CRSCanvasItem* frame = m_item.get()) frame->Delete();
  m_item.Release();
  m_shown = false;
}

RectF CTableFrame::GetPlace() const { return m_shown && m_item.get() ? m_place : RectF(); }
