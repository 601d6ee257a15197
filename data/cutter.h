#pragma once
// CPuzzleCutter decides how a picture is cut into pieces. It keeps a grid of
// cut points, each with its own random displacement and edge orientation,
// turns the grid into edge curves, and produces the cut picture and every
// piece's bitmap with the piece's place in the solved picture. Its state is
// saved in the puzzle file as the `puzzle-cuts` element.
//
// Pieces are cut pixel-exactly: every pixel of the cut picture whose centre
// lies inside a piece's outline belongs to that piece, and neighbouring
// pieces are cut along the very same polyline, so a solved puzzle shows no
// seam and no pixel twice (unless, at high irregularity, two tabs cross).

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "canvas/sigslot.h"
#include "data/cutter_shapes.h"
#include "data/xml.h"
#include "platform/bitmap.h"
#include "platform/graphics_path.h"
#include "platform/types.h"

class CPuzzleCutter : public sigslot::has_slots, public CRSXMLParser::XHandler {
 public:
  // One grid point and the two edges that start there: the top edge of the
  // cell to its lower right (running right to the next point) and that
  // cell's left edge (running down to the next point). Copies share their
  // curves.
  struct TopLeftCuts {
    // The point's displacement, each coordinate in [-1, 1] piece units
    // scaled by the irregularity.
    PointF jitter;
    // True: the top edge's tab bulges downwards.
    bool topDirection = true;
    int topShape = cutter_shapes::kStraightLine;
    CutterCurvePtr topBase;
    // True: the left edge's tab bulges to the left.
    bool leftDirection = true;
    int leftShape = cutter_shapes::kStraightLine;
    CutterCurvePtr leftBase;

    // The edges placed between their grid points; dropped with every
    // change and placed again on first use.
    mutable CutterEdgePtr topEdge;
    mutable CutterEdgePtr leftEdge;

    void SetTopShape(int shape);
    void SetLeftShape(int shape);
    void DropCaches() const {
      topEdge.reset();
      leftEdge.reset();
    }
  };

  // A piece's bitmap and the top-left corner of that bitmap in the (scaled)
  // cut picture, which is where the piece lies when the puzzle is solved.
  // The corner is on a whole pixel (the bounding box widened outwards to
  // whole pixels), so that pieces laid at their places meet without
  // resampling and the solved picture shows no seam.
  struct PieceImage {
    std::unique_ptr<Bitmap> bitmap;
    PointF position;
  };

  static constexpr int kMinPieceSize = 40;
  static constexpr float kDefaultDeviation = 0.5f;
  // A point moves at most this share of a piece size along each axis.
  static constexpr float kMaxShift = 0.35f;
  // No grid grows beyond this many cells a side: the largest picture the
  // drawing library takes, cut at the smallest piece size the settings offer.
  static constexpr int kMaxGridCells = Bitmap::kMaxSide / kMinPieceSize + 1;

  // Emitted with (columns, rows) whenever the grid is rebuilt.
  sigslot::signal1<Size> sigGridSize;
  // Emitted with the combined outline of all cuts whenever it may have
  // changed. The path belongs to the cutter and lives until its next change.
  sigslot::signal1<const GraphicsPath&> sigCutsPath;

  CPuzzleCutter();
  ~CPuzzleCutter() override;

  CPuzzleCutter(const CPuzzleCutter&) = delete;
  CPuzzleCutter& operator=(const CPuzzleCutter&) = delete;

  // Empties the grid and restores every setting to its default.
  void Reset();

  void SetImageSize(int width, int height);
  void SetPieceSize(int pieceSize);
  void SetDeviation(float deviation);
  void SetShapeType(int shapeType);
  void SetScale(float scaleX, float scaleY);

  Size GetImageSize() const { return m_imageSize; }
  int GetPieceSize() const { return m_pieceSize; }
  float GetDeviation() const { return m_deviation; }
  int GetShapeType() const { return m_shapeType; }
  PointF GetScale() const { return {m_scaleX, m_scaleY}; }

  // (columns, rows); (0, 0) when the size and piece size make no grid a
  // picture could have.
  Size GetGridSize() const;
  int GetMinPieceSize() const { return kMinPieceSize; }
  int GetMaxPieceSize() const;

  // True when the grid holds exactly the points its size and piece size
  // call for, so that every piece can be cut. A puzzle file whose cutter is
  // not valid cannot be played.
  bool IsValid() const;

  // Read access to the grid, [y][x].
  const std::vector<std::vector<TopLeftCuts>>& GetGrid() const { return m_grid; }

  // Where grid point (x, y) lies in cut coordinates.
  PointF GetPointPosition(int x, int y) const;

  // The placed top edge of point (x, y) (x < columns) and its left edge
  // (y < rows); null outside the grid.
  CutterEdgePtr GetTopEdge(int x, int y) const;
  CutterEdgePtr GetLeftEdge(int x, int y) const;

  // The name shown to the user and the unit path of a shape type.
  static std::pair<std::string, GraphicsPath> GetShape(int shapeType);

  // Every edge of the cut: row by row, left to right, the top edge and then
  // the left edge of each point, borders included. Built on demand and kept
  // until the next change.
  const std::vector<CutterEdgePtr>& GetCutEdges() const;
  // The same edges as one path, each edge a figure of its own.
  const GraphicsPath& GetCutsPath() const;

  // The closed outline of piece (column, row) as a polygon in cut
  // coordinates; empty outside the grid or when the cutter is not valid.
  std::vector<PointF> GetPieceOutline(int column, int row) const;
  // Its bounding box in cut coordinates.
  RectF GetPieceBounds(int column, int row) const;

  // The part of the picture that the grid covers, taken from its centre, at
  // the cutter's scale; null when there is no grid.
  std::unique_ptr<Bitmap> GetCutImage(const Bitmap& picture) const;
  // Piece (column, row) cut out of a picture made by GetCutImage; a null
  // bitmap when the piece does not exist.
  PieceImage GetPieceImage(const Bitmap& cutImage, int column, int row) const;
  // Every piece of the grid, row by row, cut on up to `threads` threads at
  // once; the same pictures as GetPieceImage gives one by one.
  std::vector<PieceImage> GetPieceImages(const Bitmap& cutImage, int threads) const;

  // Writes the `puzzle-cuts` element.
  void Write(CRSXMLWriter& out) override;
  void Write(CRSXMLWriter& out) const;

  // Reads the children of the `puzzle-cuts` element; the owner pushes the
  // cutter when it meets that element, after calling Reset. Points outside
  // the grid that the size and piece size call for (or, before those are
  // known, beyond the largest grid there can be) are skipped, so a hostile
  // file cannot make the grid grow without bound.
  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override;
  void OnDone() override;

 private:
  // Reads the children of one `topleft-cuts` element into its grid point,
  // or swallows them when the point was refused. One reader serves every
  // point, so no handler ever points into the grid while the grid may grow.
  class PointReader : public CRSXMLParser::XHandler {
   public:
    void Begin(TopLeftCuts* target) { m_target = target; }
    void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                   const std::string& text) override;
    void OnDone() override { m_target = nullptr; }

   private:
    TopLeftCuts* m_target = nullptr;
  };


  void DropCaches();
  void RebuildGrid();
  void InitPoint(int x, int y, Size grid);
  void DrawJitterX(TopLeftCuts& point);
  void DrawJitterY(TopLeftCuts& point);
  void ApplyShapeType();
  CutterEdgePtr PlaceEdge(PointF from, PointF to, bool forward,
                                                           const CutterCurvePtr& base) const;
  bool HasGridPoint(int x, int y) const;

  Size m_imageSize;
  int m_pieceSize = 0;
  float m_deviation = kDefaultDeviation;
  int m_shapeType = cutter_shapes::kClassic;
  float m_scaleX = 1.0f;
  float m_scaleY = 1.0f;
  std::vector<std::vector<TopLeftCuts>> m_grid;

  mutable std::vector<CutterEdgePtr> m_cutEdges;
  mutable bool m_cutEdgesValid = false;
  mutable GraphicsPath m_cutsPath;
  mutable bool m_cutsPathValid = false;

  PointReader m_pointReader;
};
