// The overview of the table: a map of the pieces and of the view.

#include "play/table_overview.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/table.h"
#include "platform/brush.h"
#include "platform/messages.h"
#include "platform/pen.h"
#include "platform/report.h"

namespace {

constexpr std::uint32_t kTableColour = 0xFF2E3A2Eu;
constexpr std::uint32_t kFrameColour = 0xFFFFD54Au;
constexpr int kOverviewZOrder = 0x40000064;

// The mean colour of a piece's opaque pixels, from a coarse grid of samples.
std::uint32_t MeanColour(const Gdiplus::Bitmap& picture) {
  constexpr int kSamples = 6;
  std::uint64_t r = 0, g = 0, b = 0, n = 0;
  for (int sy = 0; sy < kSamples; ++sy)
    for (int sx = 0; sx < kSamples; ++sx) {
      const int x = (2 * sx + 1) * picture.GetWidth() / (2 * kSamples);
      const int y = (2 * sy + 1) * picture.GetHeight() / (2 * kSamples);
      const std::uint32_t p = picture.GetPixel(x, y);
      if ((p >> 24) < 0x80) continue;
      r += (p >> 16) & 0xFF, g += (p >> 8) & 0xFF, b += p & 0xFF, ++n;
    }
  if (n == 0) return 0xFF808080u;
  return 0xFF000000u | static_cast<std::uint32_t>(r / n) << 16 | static_cast<std::uint32_t>(g / n) << 8 |
         static_cast<std::uint32_t>(b / n);
}

}  // namespace

// The map: the table scaled into the window, with the view's frame.
class CPuzzleTableOverview::Map : public CRSCanvasItem {
 public:
  Map(CRSCanvasItem* parent, CPuzzleTable* table, const std::vector<CRSWeakRef<CPuzzlePiece>>& pieces,
      const SizeF& size)
      : CRSCanvasItem(PointF(), parent, "tableMap"), m_table(table), m_pieces(pieces) {
    SetDrawsItself(true);
    SetSize(size);
  }

  void MarkDirty() {
    m_dirty = true;
    Invalidate();
  }

  void PaintContent(Gdiplus::Graphics& g, bool) override {
    if (m_dirty || !m_picture) Redraw();
    if (m_picture) g.DrawImage(m_picture.get(), 0.0f, 0.0f);
    const float scale = Scale();
    const RectF view = m_table->GetViewport().GetVisibleRect();
    RectF frame(view.X * scale, view.Y * scale, view.Width * scale, view.Height * scale);
    RectF::Intersect(frame, frame, RectF(0.5f, 0.5f, GetSize().Width - 1.0f, GetSize().Height - 1.0f));
    Gdiplus::Pen pen(Gdiplus::Color(kFrameColour), 1.0f);
    g.DrawRectangle(&pen, frame);
  }

  void OnMouse(int message, PointF local, int keyFlags, bool* handled) override {
    const bool press = message == static_cast<int>(platform::kMsgLButtonDown);
    const bool drag = message == static_cast<int>(platform::kMsgMouseMove) && (keyFlags & platform::kKeyStateLButton);
    if (!press && !drag) return;
    const float scale = Scale();
    if (scale > 0.0f) m_table->CentreOn(PointF(local.X / scale, local.Y / scale));
    if (handled) *handled = true;
  }

 private:
  float Scale() const {
    const SizeF table = m_table->GetSize();
    return table.Width > 0.0f ? GetSize().Width / table.Width : 0.0f;
  }

  void Redraw() {
    m_dirty = false;
    const int w = std::max(1, static_cast<int>(GetSize().Width));
    const int h = std::max(1, static_cast<int>(GetSize().Height));
    if (!m_picture || m_picture->GetWidth() != w || m_picture->GetHeight() != h)
      m_picture = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat::Format32bppARGB);
    if (!m_picture->IsValid()) return;
    for (int y = 0; y < h; ++y) std::fill_n(m_picture->GetRow(y), w, kTableColour);
    if (m_colours.size() != m_pieces.size()) m_colours.assign(m_pieces.size(), 0);
    const float scale = Scale();
    for (std::size_t i = 0; i < m_pieces.size(); ++i) {
      CPuzzlePiece* piece = m_pieces[i].get();
      if (!piece || !piece->GetImage()) continue;
      if (m_colours[i] == 0) m_colours[i] = MeanColour(*piece->GetImage());
      const RectF box = m_table->GetTableBounds(piece);
      // Each piece is drawn a little smaller than its box, so that pieces
      // side by side still read as pieces.
      const int x0 = std::clamp(static_cast<int>((box.X + box.Width * 0.15f) * scale), 0, w - 1);
      const int y0 = std::clamp(static_cast<int>((box.Y + box.Height * 0.15f) * scale), 0, h - 1);
      const int x1 = std::clamp(static_cast<int>((box.GetRight() - box.Width * 0.15f) * scale), x0 + 1, w);
      const int y1 = std::clamp(static_cast<int>((box.GetBottom() - box.Height * 0.15f) * scale), y0 + 1, h);
      for (int y = y0; y < y1; ++y) std::fill(m_picture->GetRow(y) + x0, m_picture->GetRow(y) + x1, m_colours[i]);
    }
    m_picture->MarkDirty();
  }

  CPuzzleTable* m_table;
  const std::vector<CRSWeakRef<CPuzzlePiece>>& m_pieces;
  std::unique_ptr<Gdiplus::Bitmap> m_picture;
  std::vector<std::uint32_t> m_colours;
  bool m_dirty = true;
};

CPuzzleTableOverview::CPuzzleTableOverview(CRSCanvasItem* floor, CPuzzleTable* table,
                                           const std::vector<CRSWeakRef<CPuzzlePiece>>& pieces)
    : m_floor(floor), m_table(table), m_pieces(pieces) {
  if (m_table) m_table->sigViewChanged.connect(this, &CPuzzleTableOverview::OnViewChanged);
}

CPuzzleTableOverview::~CPuzzleTableOverview() {
  if (m_table) m_table->sigViewChanged.disconnect(this);
  Close();
}

CRSControlWindow* CPuzzleTableOverview::GetWindow() const {
  return dynamic_cast<CRSControlWindow*>(m_window.get());
}

void CPuzzleTableOverview::Open() {
  CRSCanvasItem* floor = m_floor.get();
  if (IsOpen() || !floor || !m_table) return;
  const SizeF table = m_table->GetSize();
  const float scale = kMapSide / std::max({table.Width, table.Height, 1.0f});
  const SizeF mapSize(std::max(1.0f, std::round(table.Width * scale)), std::max(1.0f, std::round(table.Height * scale)));
  auto* window = new CRSControlWindow(PointF(), floor, "tableOverview", mapSize);
  window->SetCaption(kCaption);
  window->SetZOrder(kOverviewZOrder);
  window->SetClientSize(mapSize);
  m_map.Assign(new Map(window->GetClientArea(), m_table, m_pieces, mapSize));
  // Bottom right, where the menu, the clock and the preview are not.
  const SizeF floorSize = floor->GetSize();
  window->MoveTopLeftTo(PointF(floorSize.Width - window->GetSize().Width - kMargin,
                               floorSize.Height - window->GetSize().Height - kMargin));
  (new CBehaviourAlign(window, CBehaviourAlign::kKeepInside))->Align();
  window->sigClosed.connect(this, &CPuzzleTableOverview::OnWindowClosed);
  if (platform::IsReporting()) {
    // Where the map lies in the window, for the tests that click in it.
    const RectF box = window->GetClientArea()->GetBoundsIn(nullptr);
    char line[96];
    std::snprintf(line, sizeof line, "play overview at %.0f %.0f %.0f %.0f", static_cast<double>(box.X),
                  static_cast<double>(box.Y), static_cast<double>(box.Width), static_cast<double>(box.Height));
    platform::ReportLine(line);
  }
  m_window.Assign(static_cast<CRSCanvasItem*>(window));
}

void CPuzzleTableOverview::Close() {
  CRSControlWindow* window = GetWindow();
  m_window.Release();
  m_map.Release();
  if (!window) return;
  window->sigClosed.disconnect(this);
  window->Close();
}

void CPuzzleTableOverview::OnWindowClosed() {
  m_window.Release();
  m_map.Release();
  sigClosedByPlayer();
}

void CPuzzleTableOverview::OnPiecesMoved() {
  if (auto* map = dynamic_cast<Map*>(m_map.get())) map->MarkDirty();
}

void CPuzzleTableOverview::OnViewChanged() {
  if (CRSCanvasItem* map = m_map.get()) map->Invalidate();
}
