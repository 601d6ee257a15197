// Shapes: a path stretched to the item's size, filled with the brushes and
// outlined with the pens.

#include "canvas/items.h"
#include "canvas/items/paint_layer.h"

// The kept picture and the brushes and pens it was painted with. Holding
// them keeps a replaced brush from being freed, so a new brush can never
// take its address and pass for it.
struct CRSCanvasShape::Layer {
  CRSPaintLayer picture;
  std::vector<std::shared_ptr<Gdiplus::Brush>> brushes;
  std::vector<std::shared_ptr<Gdiplus::Pen>> pens;
};

CRSCanvasShape::CRSCanvasShape(const PointF& position, CRSObject* parent, const std::string& name,
                               std::unique_ptr<Gdiplus::GraphicsPath> path)
    : CRSCanvasBrushItem(position, parent, name) {
  if (path) SetPath(std::move(path));
}

CRSCanvasShape::~CRSCanvasShape() = default;

void CRSCanvasShape::PaintContent(Gdiplus::Graphics& g, bool useCache) {
  if (!m_path) return;
  if (!useCache) {
    PaintDirect(g);
    return;
  }
  // A shape that holds still is painted once into a picture at device
  // resolution; later frames copy it. Filling a window-sized background or
  // stroking a text outline again costs many times that copy. Brushes and
  // pens are treated as fixed once given: a new look comes with new ones.
  if (!m_layer) m_layer = std::make_unique<Layer>();
  if (m_layer->brushes != Brushes() || m_layer->pens != m_pens) {
    m_layer->brushes = Brushes();
    m_layer->pens = m_pens;
    ContentChanged();
  }
  // Flags decide the pixels too; they are folded into the revision.
  const unsigned revision = m_revision * 4u + (m_antiAliasFill ? 2u : 0u) + (m_antiAliasOutline ? 1u : 0u);
  if (m_layer->picture.Paint(g, GetLocalRect(), revision, [this](Gdiplus::Graphics& lg) { PaintDirect(lg); })) return;
  PaintDirect(g);
}

void CRSCanvasShape::PaintDirect(Gdiplus::Graphics& g) {
  const Gdiplus::SmoothingMode previous = g.GetSmoothingMode();
  if (m_antiAliasFill) g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  for (const auto& brush : Brushes()) g.FillPath(brush.get(), m_path.get());
  g.SetSmoothingMode(previous);
  if (m_antiAliasOutline) g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  // All pens in one call: a high-speed stroke then walks the path once.
  std::vector<const Gdiplus::Pen*> pens;
  pens.reserve(m_pens.size());
  for (const auto& pen : m_pens) pens.push_back(pen.get());
  if (!pens.empty()) g.DrawPath(pens, m_path.get());
  g.SetSmoothingMode(previous);
}

int CRSCanvasShape::GetLayerBuildCount() const { return m_layer ? m_layer->picture.GetBuildCount() : 0; }

int CRSCanvasShape::GetLayerDrawCount() const { return m_layer ? m_layer->picture.GetDrawCount() : 0; }

float CRSCanvasShape::GetWidestPenWidth() const {
  float widest = 0.0f;
  for (const auto& pen : m_pens) widest = std::max(widest, pen->GetWidth());
  return widest;
}

RectF CRSCanvasShape::GetLocalRect() {
  RectF r = CRSCanvasItem::GetLocalRect();
  const float half = GetWidestPenWidth() / 2.0f;
  r.Inflate(half, half);
  return r;
}

bool CRSCanvasShape::ContainsPoint(const PointF& local) {
  if (!m_path || !GetLocalRect().Contains(local)) return false;
  if (GetBrushCount() > 0 && m_path->IsVisible(local)) return true;
  if (!m_pens.empty()) return m_path->IsOutlineVisible(local, GetWidestPenWidth());
  return false;
}

void CRSCanvasShape::SetPath(std::unique_ptr<Gdiplus::GraphicsPath> path) {
  if (path == m_path) return;
  m_path = std::move(path);
  ContentChanged();
  FitPath(true);
}

void CRSCanvasShape::FitPath(bool adoptPathSize) {
  if (!m_fitPath) return;
  ContentChanged();
  RectF b;
  if (m_path) m_path->GetBounds(&b);
  const bool wasEnabled = GetUpdatesEnabled();
  if (adoptPathSize && !m_fitting) {
    Invalidate();
    SetUpdatesEnabled(false);
    m_fitting = true;
    SetOrigin(PointF());
    if (m_path) {
      Gdiplus::Matrix shift;
      shift.Translate(-b.X, -b.Y);
      m_path->Transform(&shift);
    }
    // The path already fills the size it gives, so the size change must not
    // fit it again: on a path of tens of thousands of points (the cuts of a
    // preview) that would be two more passes over all of them. A size held
    // up by the minimum size still differs and is fitted as before.
    m_fittedSize = SizeF(b.Width, b.Height);
    SetSize(SizeF(b.Width, b.Height));
    m_fitting = false;
  } else if (m_path) {
    const float fx = b.Width != 0.0f ? GetSize().Width / b.Width : 1.0f;
    const float fy = b.Height != 0.0f ? GetSize().Height / b.Height : 1.0f;
    if (fx != 0.0f && fy != 0.0f) {
      Gdiplus::Matrix fit;
      fit.Translate(-b.X, -b.Y);
      fit.Scale(fx, fy);
      m_path->Transform(&fit);
    }
  }
  SetUpdatesEnabled(wasEnabled);
  Invalidate();
  sigContentChanged(this);
}

void CRSCanvasShape::UpdateTransform() {
  if (!GetSize().Equals(m_fittedSize)) {
    m_fittedSize = GetSize();
    FitPath(false);
  }
  CRSCanvasItem::UpdateTransform();
}

int CRSCanvasShape::AddPen(std::shared_ptr<Gdiplus::Pen> pen) {
  // The outline may grow the item's rectangle: invalidate on both sides.
  Invalidate();
  m_pens.push_back(std::move(pen));
  NoteBoundsChanged();
  sigContentChanged(this);
  Invalidate();
  return static_cast<int>(m_pens.size()) - 1;
}

void CRSCanvasShape::SetPen(std::shared_ptr<Gdiplus::Pen> pen, int index) {
  if (!pen) {
    RemovePen(index);
    return;
  }
  if (index >= 0 && index < GetPenCount()) {
    Invalidate();
    m_pens[static_cast<size_t>(index)] = std::move(pen);
    NoteBoundsChanged();
    sigContentChanged(this);
    Invalidate();
    return;
  }
  AddPen(std::move(pen));
}

void CRSCanvasShape::RemovePen(int index) {
  if (m_pens.empty()) return;
  if (index < 0 || index >= GetPenCount()) index = GetPenCount() - 1;
  Invalidate();
  m_pens.erase(m_pens.begin() + index);
  NoteBoundsChanged();
  sigContentChanged(this);
  Invalidate();
}

Gdiplus::Pen* CRSCanvasShape::GetPen(int index) const {
  if (m_pens.empty()) return nullptr;
  if (index < 0 || index >= GetPenCount()) index = GetPenCount() - 1;
  return m_pens[static_cast<size_t>(index)].get();
}

void CRSCanvasShape::SetAntiAliasFill(bool on) {
  if (on == m_antiAliasFill) return;
  m_antiAliasFill = on;
  Invalidate();
}

void CRSCanvasShape::SetAntiAliasOutline(bool on) {
  if (on == m_antiAliasOutline) return;
  m_antiAliasOutline = on;
  Invalidate();
}
