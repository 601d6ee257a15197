#pragma once
// Where the parts of the file and colour dialogs go, and which part a point
// falls on. The drawn windows ask for these rectangles when they are sized
// and when the mouse moves; keeping the arithmetic here lets it be checked
// without drawing, and keeps the windows to wiring controls.
//
// All rectangles are in the dialog's client coordinates. Sizes that depend
// on the control style (row and button heights) come in as metrics, so the
// style keeps its say over how large things are.

#include <vector>

#include "canvas/dialogs/colours.h"
#include "platform/types.h"

struct CRSDialogMetrics {
  float margin = 8;         // around the client area
  float gap = 6;            // between parts
  float buttonWidth = 90;
  float buttonHeight = 24;
  float editHeight = 22;
  float rowHeight = 40;     // a list row, tall enough for its thumbnail
  float placesWidth = 140;  // the places column
  float messageHeight = 18;
};

struct CRSFileDialogLayout {
  RectF places;    // the places column, full height beside the list
  RectF segments;  // the path segments above the list
  RectF pathEdit;  // the typed path, below the segments
  RectF list;      // the rows
  RectF message;   // one line under the list
  RectF nameEdit;  // save dialogs only (empty otherwise)
  RectF filter;    // the filter choice list
  RectF ok;
  RectF cancel;
  float rowHeight = 0;
  int visibleRows = 0;  // whole rows the list shows at once (at least 1)
};

// Lays the file dialog out in a client area of this size. Too small an area
// still gives rectangles of zero or more size, never negative ones.
CRSFileDialogLayout LayOutFileDialog(SizeF client, bool save, const CRSDialogMetrics& metrics = {});

// The row under a point of the client area with the list scrolled to
// topRow, or -1 (outside the list, or past the last of rowCount rows).
int RowAtPoint(const CRSFileDialogLayout& layout, PointF point, int topRow, int rowCount);
// A row's rectangle in the client area (it may lie outside the list when
// the row is scrolled away).
RectF RowRect(const CRSFileDialogLayout& layout, int row, int topRow);

// How many of the last path segments fit into `available` width, given
// each segment's drawn width and the width of the button that stands for
// the hidden ones. The result is the index of the first segment shown; the
// last segment is always shown, so a deep folder keeps its own name.
int FirstFittingSegment(const std::vector<float>& widths, float available, float hiddenMarkWidth);

struct CRSColourDialogLayout {
  RectF palette;  // kPaletteColumns x kPaletteRows cells
  float cell = 0;
  RectF field;    // hue across, saturation down
  RectF slider;   // brightness, full at the top
  RectF hexEdit;
  RectF preview;
  RectF ok;
  RectF cancel;
  SizeF client;   // the size the dialog needs
};

CRSColourDialogLayout LayOutColourDialog(const CRSDialogMetrics& metrics = {}, float cell = 20);

// The palette cell under a point, or -1; and a cell's rectangle.
int PaletteCellAt(const CRSColourDialogLayout& layout, PointF point);
RectF PaletteCellRect(const CRSColourDialogLayout& layout, int index);

// The field's point for a hue and saturation, and the fractions
// CRSColourChooser::PickField takes for a point (clamped to the field).
PointF FieldPointOf(const CRSColourDialogLayout& layout, const CRSHsv& hsv);
void FieldFractionsAt(const CRSColourDialogLayout& layout, PointF point, double& x, double& y);

// The slider's y for a brightness, and the brightness for a y (clamped).
float SliderYOf(const CRSColourDialogLayout& layout, double value);
double SliderValueAt(const CRSColourDialogLayout& layout, float y);
