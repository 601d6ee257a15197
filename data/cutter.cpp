#include "data/cutter.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <system_error>
#include <thread>

#include "platform/piece_renderer.h"
#include "platform/random.h"

namespace {

// How far a flattened edge may stray from its curve, in cut pixels.
constexpr float kFlatness = 0.1f;

bool Differs(float a, float b) { return !Gdiplus::NearlyEqual(a, b); }

}  // namespace

void CPuzzleCutter::TopLeftCuts::SetTopShape(int shape) {
  topShape = shape;
  topBase = cutter_shapes::GetUnitShape(shape);
}

void CPuzzleCutter::TopLeftCuts::SetLeftShape(int shape) {
  leftShape = shape;
  leftBase = cutter_shapes::GetUnitShape(shape);
}

CPuzzleCutter::CPuzzleCutter() { Reset(); }

CPuzzleCutter::~CPuzzleCutter() = default;

void CPuzzleCutter::Reset() {
  m_grid.clear();
  m_imageSize = Size(0, 0);
  m_pieceSize = 0;
  m_deviation = kDefaultDeviation;
  m_shapeType = cutter_shapes::kClassic;
  m_scaleX = 1.0f;
  m_scaleY = 1.0f;
  DropCaches();
}

Size CPuzzleCutter::GetGridSize() const {
  const int w = m_imageSize.Width, h = m_imageSize.Height, p = m_pieceSize;
  if (w <= 0 || h <= 0 || p <= 0 || w > Bitmap::kMaxSide || h > Bitmap::kMaxSide) return {0, 0};
  const int columns = w / p, rows = h / p;
  if (columns > kMaxGridCells || rows > kMaxGridCells) return {0, 0};
  return {columns, rows};
}

int CPuzzleCutter::GetMaxPieceSize() const {
  if (m_imageSize.Width <= 0 || m_imageSize.Height <= 0) return 0;
  return std::min(m_imageSize.Width / 2, m_imageSize.Height / 2);
}

bool CPuzzleCutter::IsValid() const {
  const Size grid = GetGridSize();
  if (grid.Width < 1 || grid.Height < 1) return false;
  if (m_grid.size() != static_cast<size_t>(grid.Height) + 1) return false;
  for (const auto& row : m_grid) {
    if (row.size() != static_cast<size_t>(grid.Width) + 1) return false;
  }
  return true;
}

void CPuzzleCutter::DropCaches() {
  for (const auto& row : m_grid) {
    for (const TopLeftCuts& point : row) point.DropCaches();
  }
  m_cutEdges.clear();
  m_cutEdgesValid = false;
  m_cutsPath.Reset();
  m_cutsPathValid = false;
}

void CPuzzleCutter::SetImageSize(int width, int height) {
  if (m_imageSize == Size(width, height)) return;
  m_imageSize = Size(width, height);
  const int maxPiece = GetMaxPieceSize();
  // A fresh cutter starts half way between the smallest and the largest
  // piece; a chosen size is kept as far as the new picture allows, but
  // never below the smallest piece even on a tiny picture.
  if (m_pieceSize != 0) {
    m_pieceSize = std::max(kMinPieceSize, std::min(m_pieceSize, maxPiece));
  } else {
    m_pieceSize = (maxPiece + kMinPieceSize) / 2;
  }
  DropCaches();
  RebuildGrid();
  sigGridSize(GetGridSize());
  sigCutsPath(GetCutsPath());
}

void CPuzzleCutter::SetPieceSize(int pieceSize) {
  if (pieceSize == m_pieceSize) return;
  int clamped = 0;
  if (m_imageSize.Width > 0 && m_imageSize.Height > 0) {
    clamped = std::min(std::max(pieceSize, kMinPieceSize), GetMaxPieceSize());
  }
  if (clamped == m_pieceSize) return;
  m_pieceSize = clamped;
  DropCaches();
  RebuildGrid();
  sigGridSize(GetGridSize());
}

void CPuzzleCutter::SetDeviation(float deviation) {
  if (!Differs(deviation, m_deviation)) return;
  // The jitter stays, so the cuts move smoothly while the slider moves.
  m_deviation = deviation;
  DropCaches();
  sigCutsPath(GetCutsPath());
}

void CPuzzleCutter::SetShapeType(int shapeType) {
  if (shapeType == m_shapeType) return;
  m_shapeType = shapeType;
  ApplyShapeType();
}

void CPuzzleCutter::SetScale(float scaleX, float scaleY) {
  if (!Differs(scaleX, m_scaleX) && !Differs(scaleY, m_scaleY)) return;
  m_scaleX = scaleX;
  m_scaleY = scaleY;
  // The edges are flattened finely enough for the scale they are cut at.
  DropCaches();
}

void CPuzzleCutter::ApplyShapeType() {
  DropCaches();
  const Size grid = GetGridSize();
  for (int y = 0; y < static_cast<int>(m_grid.size()); ++y) {
    auto& row = m_grid[y];
    for (int x = 0; x < static_cast<int>(row.size()); ++x) {
      row[x].SetLeftShape(x > 0 && x < grid.Width ? m_shapeType : cutter_shapes::kStraightLine);
      row[x].SetTopShape(y > 0 && y < grid.Height ? m_shapeType : cutter_shapes::kStraightLine);
    }
  }
  sigCutsPath(GetCutsPath());
}

// The sign comes first and the size second; both are part of the sequence
// a seed reproduces.
void CPuzzleCutter::DrawJitterX(TopLeftCuts& point) {
  const float sign = platform::Rand() % 2 != 0 ? 1.0f : -1.0f;
  point.jitter.X = static_cast<float>(platform::Rand()) * sign / platform::kRandMax;
}

void CPuzzleCutter::DrawJitterY(TopLeftCuts& point) {
  const float sign = platform::Rand() % 2 != 0 ? 1.0f : -1.0f;
  point.jitter.Y = static_cast<float>(platform::Rand()) * sign / platform::kRandMax;
}

void CPuzzleCutter::InitPoint(int x, int y, Size grid) {
  TopLeftCuts& point = m_grid[y][x];
  // Directions alternate like a chequerboard, so every piece has either
  // knobs left and right and sockets top and bottom, or the reverse.
  if (x == 0 && y == 0) {
    point.topDirection = platform::Rand() % 2 != 0;
  } else {
    const bool origin = m_grid[0][0].topDirection;
    point.topDirection = (x + y) % 2 == 0 ? origin : !origin;
  }
  point.leftDirection = point.topDirection;

  if (x == 0 || x == grid.Width) {
    point.jitter.X = 0.0f;
    point.SetLeftShape(cutter_shapes::kStraightLine);
  } else {
    DrawJitterX(point);
    point.SetLeftShape(m_shapeType);
  }
  if (y == 0 || y == grid.Height) {
    point.jitter.Y = 0.0f;
    point.SetTopShape(cutter_shapes::kStraightLine);
  } else {
    DrawJitterY(point);
    point.SetTopShape(m_shapeType);
  }
  point.DropCaches();
}

void CPuzzleCutter::RebuildGrid() {
  const Size grid = GetGridSize();
  const bool both = grid.Width > 0 && grid.Height > 0;
  const int newRows = both ? grid.Height + 1 : grid.Height;
  const int newColumns = both ? grid.Width + 1 : grid.Width;
  const int oldRows = static_cast<int>(m_grid.size());
  const int oldColumns = oldRows > 0 ? static_cast<int>(m_grid[0].size()) : 0;

  m_grid.resize(newRows);
  for (auto& row : m_grid) row.resize(newColumns);

  for (int y = 0; y < newRows; ++y) {
    for (int x = 0; x < newColumns; ++x) {
      if (y >= oldRows || x >= oldColumns) {
        InitPoint(x, y, grid);
        continue;
      }
      // An old point keeps its random state; only an edge that used to be
      // on the border and now runs inside the picture needs fresh jitter,
      // and an edge that became the border is straightened.
      TopLeftCuts& point = m_grid[y][x];
      if (y == oldRows - 1 && y != newRows - 1) {
        DrawJitterY(point);
        point.SetTopShape(m_shapeType);
      }
      if (x == oldColumns - 1 && x != newColumns - 1) {
        DrawJitterX(point);
        point.SetLeftShape(m_shapeType);
      }
      if (y == newRows - 1 && newRows <= oldRows) {
        point.jitter.Y = 0.0f;
        point.SetTopShape(cutter_shapes::kStraightLine);
      }
      if (x == newColumns - 1 && newColumns <= oldColumns) {
        point.jitter.X = 0.0f;
        point.SetLeftShape(cutter_shapes::kStraightLine);
      }
    }
  }
  ApplyShapeType();
}

bool CPuzzleCutter::HasGridPoint(int x, int y) const {
  return y >= 0 && x >= 0 && y < static_cast<int>(m_grid.size()) &&
         x < static_cast<int>(m_grid[y].size());
}

PointF CPuzzleCutter::GetPointPosition(int x, int y) const {
  if (!HasGridPoint(x, y)) return {};
  const float p = static_cast<float>(m_pieceSize);
  const float d = p * m_deviation * kMaxShift;
  const PointF& j = m_grid[y][x].jitter;
  return {p * x + d * j.X, p * y + d * j.Y};
}

CutterEdgePtr CPuzzleCutter::PlaceEdge(PointF from, PointF to, bool forward, const CutterCurvePtr& base) const {
  // Pieces on both sides read the polyline in grid order, whichever way the
  // tab points; the finer the scale, the finer the flattening.
  const float tolerance = kFlatness / std::max({1.0f, m_scaleX, m_scaleY});
  return forward ? std::make_shared<const CutterEdge>(base, from, to, false, tolerance)
                 : std::make_shared<const CutterEdge>(base, to, from, true, tolerance);
}

CutterEdgePtr CPuzzleCutter::GetTopEdge(int x,
                                                                                        int y) const {
  if (!HasGridPoint(x, y) || !HasGridPoint(x + 1, y)) return nullptr;
  const TopLeftCuts& point = m_grid[y][x];
  if (!point.topEdge) {
    const CutterCurvePtr& base = point.topBase ? point.topBase : cutter_shapes::GetUnitShape(point.topShape);
    point.topEdge = PlaceEdge(GetPointPosition(x, y), GetPointPosition(x + 1, y), point.topDirection, base);
  }
  return point.topEdge;
}

CutterEdgePtr CPuzzleCutter::GetLeftEdge(int x,
                                                                                         int y) const {
  if (!HasGridPoint(x, y) || !HasGridPoint(x, y + 1)) return nullptr;
  const TopLeftCuts& point = m_grid[y][x];
  if (!point.leftEdge) {
    const CutterCurvePtr& base =
        point.leftBase ? point.leftBase : cutter_shapes::GetUnitShape(point.leftShape);
    point.leftEdge = PlaceEdge(GetPointPosition(x, y), GetPointPosition(x, y + 1), point.leftDirection, base);
  }
  return point.leftEdge;
}

const std::vector<CutterEdgePtr>& CPuzzleCutter::GetCutEdges() const {
  if (m_cutEdgesValid) return m_cutEdges;
  m_cutEdges.clear();
  m_cutEdgesValid = true;
  if (!IsValid()) return m_cutEdges;
  const Size grid = GetGridSize();
  m_cutEdges.reserve(static_cast<size_t>(grid.Width + 1) * (grid.Height + 1) * 2);
  for (int y = 0; y <= grid.Height; ++y) {
    for (int x = 0; x <= grid.Width; ++x) {
      if (x < grid.Width) m_cutEdges.push_back(GetTopEdge(x, y));
      if (y < grid.Height) m_cutEdges.push_back(GetLeftEdge(x, y));
    }
  }
  return m_cutEdges;
}

namespace {

// Appends a placed curve to path as it stands (lines and Béziers).
void AppendCurve(GraphicsPath& path, const std::vector<CutterCurve::Segment>& segments,
                 const std::vector<PointF>& pts) {
  size_t i = 1;
  for (CutterCurve::Segment seg : segments) {
    if (seg == CutterCurve::Segment::Line) {
      path.AddLine(pts[i - 1], pts[i]);
      i += 1;
    } else {
      path.AddBezier(pts[i - 1], pts[i], pts[i + 1], pts[i + 2]);
      i += 3;
    }
  }
}

}  // namespace

const GraphicsPath& CPuzzleCutter::GetCutsPath() const {
  if (m_cutsPathValid) return m_cutsPath;
  m_cutsPath.Reset();
  for (const CutterEdgePtr& edge : GetCutEdges()) {
    if (edge->GetPoints().empty()) continue;
    m_cutsPath.StartFigure();
    AppendCurve(m_cutsPath, edge->GetSegments(), edge->GetPoints());
  }
  m_cutsPathValid = true;
  return m_cutsPath;
}

std::pair<std::string, GraphicsPath> CPuzzleCutter::GetShape(int shapeType) {
  const CutterCurve& unit = *cutter_shapes::GetUnitShape(shapeType);
  GraphicsPath path;
  AppendCurve(path, unit.GetSegments(), unit.GetPoints());
  return {cutter_shapes::GetShapeName(shapeType), path};
}

std::vector<PointF> CPuzzleCutter::GetPieceOutline(int column, int row) const {
  std::vector<PointF> outline;
  const Size grid = GetGridSize();
  if (column < 0 || row < 0 || column >= grid.Width || row >= grid.Height || !IsValid()) return outline;
  const auto& top = GetTopEdge(column, row)->GetPolyline();
  const auto& right = GetLeftEdge(column + 1, row)->GetPolyline();
  const auto& bottom = GetTopEdge(column, row + 1)->GetPolyline();
  const auto& left = GetLeftEdge(column, row)->GetPolyline();
  outline.reserve(top.size() + right.size() + bottom.size() + left.size());
  // Clockwise on screen: along the top, down the right side, back along the
  // bottom and up the left side. Each side starts where the last one ended,
  // so its first point is left out.
  outline.insert(outline.end(), top.begin(), top.end());
  outline.insert(outline.end(), right.begin() + 1, right.end());
  outline.insert(outline.end(), bottom.rbegin() + 1, bottom.rend());
  outline.insert(outline.end(), left.rbegin() + 1, left.rend() - 1);
  return outline;
}

RectF CPuzzleCutter::GetPieceBounds(int column, int row) const {
  const Size grid = GetGridSize();
  if (column < 0 || row < 0 || column >= grid.Width || row >= grid.Height || !IsValid()) return {};
  RectF bounds = GetTopEdge(column, row)->GetBounds();
  RectF::Union(bounds, bounds, GetLeftEdge(column + 1, row)->GetBounds());
  RectF::Union(bounds, bounds, GetTopEdge(column, row + 1)->GetBounds());
  RectF::Union(bounds, bounds, GetLeftEdge(column, row)->GetBounds());
  return bounds;
}

std::unique_ptr<Bitmap> CPuzzleCutter::GetCutImage(const Bitmap& picture) const {
  const Size grid = GetGridSize();
  if (grid.Width < 1 || grid.Height < 1 || !picture.IsValid()) return nullptr;
  const int cw = m_pieceSize * grid.Width, ch = m_pieceSize * grid.Height;
  const Rect area((picture.GetWidth() - cw) / 2, (picture.GetHeight() - ch) / 2, cw, ch);
  auto cut = platform::CopyArea(picture, area);
  if (!cut || (!Differs(m_scaleX, 1.0f) && !Differs(m_scaleY, 1.0f))) return cut;
  const long width = std::lround(cw * static_cast<double>(m_scaleX));
  const long height = std::lround(ch * static_cast<double>(m_scaleY));
  if (width < 1 || height < 1 || width > Bitmap::kMaxSide || height > Bitmap::kMaxSide) return nullptr;
  return platform::ScaledCopy(*cut, static_cast<int>(width), static_cast<int>(height));
}

std::vector<CPuzzleCutter::PieceImage> CPuzzleCutter::GetPieceImages(const Bitmap& cutImage, int threads) const {
  const Size grid = GetGridSize();
  if (grid.Width <= 0 || grid.Height <= 0) return {};
  const std::size_t cells = static_cast<std::size_t>(grid.Width) * static_cast<std::size_t>(grid.Height);
  // The edges work out their shapes when first asked: asked here for every
  // cell, the threads below only read them.
  for (int r = 0; r < grid.Height; ++r)
    for (int c = 0; c < grid.Width; ++c) (void)GetPieceBounds(c, r);
  std::vector<PieceImage> images(cells);
  // Rows of pieces are handed out as the threads come for them: pieces at
  // the picture's edges are smaller than those inside.
  std::atomic<int> nextRow{0};
  const auto cut = [&] {
    for (int r; (r = nextRow.fetch_add(1)) < grid.Height;)
      for (int c = 0; c < grid.Width; ++c)
        images[static_cast<std::size_t>(r) * grid.Width + c] = GetPieceImage(cutImage, c, r);
  };
  std::vector<std::thread> workers;
  for (int t = 1; t < std::min(threads, grid.Height); ++t) {
    try {
      workers.emplace_back(cut);
    } catch (const std::system_error&) {
      break;  // the rows left are cut here
    }
  }
  cut();
  for (std::thread& worker : workers) worker.join();
  return images;
}

CPuzzleCutter::PieceImage CPuzzleCutter::GetPieceImage(const Bitmap& cutImage, int column, int row) const {
  PieceImage piece;
  const std::vector<PointF> outline = GetPieceOutline(column, row);
  if (outline.empty() || !(m_scaleX > 0.0f) || !(m_scaleY > 0.0f)) return piece;
  const RectF bounds = GetPieceBounds(column, row);
  // The bitmap starts and ends on whole pixels of the scaled cut picture,
  // so that pieces laid at their positions meet without resampling.
  const double left = std::floor(bounds.GetLeft() * static_cast<double>(m_scaleX));
  const double top = std::floor(bounds.GetTop() * static_cast<double>(m_scaleY));
  const double right = std::ceil(bounds.GetRight() * static_cast<double>(m_scaleX));
  const double bottom = std::ceil(bounds.GetBottom() * static_cast<double>(m_scaleY));
  if (!(right - left <= Bitmap::kMaxSide) || !(bottom - top <= Bitmap::kMaxSide)) return piece;
  const Rect area(static_cast<int>(left), static_cast<int>(top), std::max(1, static_cast<int>(right - left)),
                  std::max(1, static_cast<int>(bottom - top)));
  piece.bitmap = platform::CopyInsideOutline(cutImage, outline, m_scaleX, m_scaleY, area);
  if (piece.bitmap) piece.position = PointF(static_cast<float>(area.X), static_cast<float>(area.Y));
  return piece;
}
