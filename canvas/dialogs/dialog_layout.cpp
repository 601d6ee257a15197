#include "canvas/dialogs/dialog_layout.h"

#include <algorithm>
#include <cmath>

namespace {

float NonNegative(float v) { return std::max(0.0f, v); }

bool Inside(const RectF& r, PointF p) {
  return p.X >= r.X && p.X < r.X + r.Width && p.Y >= r.Y && p.Y < r.Y + r.Height;
}

}  // namespace

CRSFileDialogLayout LayOutFileDialog(SizeF client, bool save, const CRSDialogMetrics& m) {
  CRSFileDialogLayout l;
  const float left = m.margin, top = m.margin;
  const float right = NonNegative(client.Width - m.margin);
  const float bottom = NonNegative(client.Height - m.margin);

  // Bottom up: the buttons and the filter share the last line; a save
  // dialog puts its name edit on the line above.
  const float buttonsTop = NonNegative(bottom - m.buttonHeight);
  l.cancel = RectF(NonNegative(right - m.buttonWidth), buttonsTop, std::min(m.buttonWidth, right), m.buttonHeight);
  l.ok = RectF(NonNegative(l.cancel.X - m.gap - m.buttonWidth), buttonsTop, m.buttonWidth, m.buttonHeight);
  const float contentLeft = std::min(right, left + m.placesWidth + m.gap);
  l.filter = RectF(contentLeft, buttonsTop, NonNegative(l.ok.X - m.gap - contentLeft), m.editHeight);
  float above = NonNegative(buttonsTop - m.gap);
  if (save) {
    l.nameEdit = RectF(contentLeft, NonNegative(above - m.editHeight), NonNegative(right - contentLeft), m.editHeight);
    above = NonNegative(l.nameEdit.Y - m.gap);
  }
  l.message = RectF(contentLeft, NonNegative(above - m.messageHeight), NonNegative(right - contentLeft), m.messageHeight);

  l.places = RectF(left, top, std::min(m.placesWidth, NonNegative(right - left)), NonNegative(above - top));
  l.segments = RectF(contentLeft, top, NonNegative(right - contentLeft), m.buttonHeight);
  l.pathEdit = RectF(contentLeft, l.segments.GetBottom() + m.gap, l.segments.Width, m.editHeight);
  const float listTop = l.pathEdit.GetBottom() + m.gap;
  l.list = RectF(contentLeft, listTop, l.segments.Width, NonNegative(l.message.Y - m.gap - listTop));
  l.rowHeight = m.rowHeight > 0 ? m.rowHeight : 1;
  l.visibleRows = std::max(1, static_cast<int>(std::floor(l.list.Height / l.rowHeight)));
  return l;
}

int RowAtPoint(const CRSFileDialogLayout& l, PointF p, int topRow, int rowCount) {
  if (!Inside(l.list, p)) return -1;
  const int row = topRow + static_cast<int>(std::floor((p.Y - l.list.Y) / l.rowHeight));
  return row >= 0 && row < rowCount ? row : -1;
}

RectF RowRect(const CRSFileDialogLayout& l, int row, int topRow) {
  return RectF(l.list.X, l.list.Y + (row - topRow) * l.rowHeight, l.list.Width, l.rowHeight);
}

int FirstFittingSegment(const std::vector<float>& widths, float available, float hiddenMarkWidth) {
  if (widths.empty()) return 0;
  float total = 0;
  for (float w : widths) total += w;
  if (total <= available) return 0;
  // Some are hidden, so the mark takes its place first.
  float used = hiddenMarkWidth + widths.back();
  int first = static_cast<int>(widths.size()) - 1;
  while (first > 0 && used + widths[first - 1] <= available) used += widths[--first];
  return first;
}

CRSColourDialogLayout LayOutColourDialog(const CRSDialogMetrics& m, float cell) {
  CRSColourDialogLayout l;
  l.cell = cell;
  l.palette = RectF(m.margin, m.margin, cell * kPaletteColumns, cell * kPaletteRows);
  // The field is as high as the palette and square; the slider stands
  // beside it.
  const float fieldLeft = l.palette.GetRight() + 2 * m.gap;
  l.field = RectF(fieldLeft, m.margin, l.palette.Height, l.palette.Height);
  l.slider = RectF(l.field.GetRight() + m.gap, m.margin, cell, l.palette.Height);
  const float lineTop = l.palette.GetBottom() + m.gap;
  l.hexEdit = RectF(m.margin, lineTop, m.buttonWidth, m.editHeight);
  l.preview = RectF(l.hexEdit.GetRight() + m.gap, lineTop, 2 * cell, m.editHeight);
  // The buttons get a line of their own: beside the hexadecimal field and
  // the preview they would not fit under a palette of small cells.
  const float right = std::max(l.slider.GetRight(), m.margin + 2 * m.buttonWidth + m.gap);
  const float buttonsTop = lineTop + m.editHeight + m.gap;
  l.cancel = RectF(right - m.buttonWidth, buttonsTop, m.buttonWidth, m.buttonHeight);
  l.ok = RectF(l.cancel.X - m.gap - m.buttonWidth, buttonsTop, m.buttonWidth, m.buttonHeight);
  l.client = SizeF(right + m.margin, buttonsTop + m.buttonHeight + m.margin);
  return l;
}

int PaletteCellAt(const CRSColourDialogLayout& l, PointF p) {
  if (l.cell <= 0 || !Inside(l.palette, p)) return -1;
  const int column = std::min(kPaletteColumns - 1, static_cast<int>((p.X - l.palette.X) / l.cell));
  const int row = std::min(kPaletteRows - 1, static_cast<int>((p.Y - l.palette.Y) / l.cell));
  return row * kPaletteColumns + column;
}

RectF PaletteCellRect(const CRSColourDialogLayout& l, int index) {
  if (index < 0 || index >= kPaletteSize) return RectF();
  return RectF(l.palette.X + (index % kPaletteColumns) * l.cell, l.palette.Y + (index / kPaletteColumns) * l.cell,
               l.cell, l.cell);
}

PointF FieldPointOf(const CRSColourDialogLayout& l, const CRSHsv& hsv) {
  return PointF(l.field.X + static_cast<float>(hsv.hue / 360.0) * l.field.Width,
                l.field.Y + static_cast<float>(1 - hsv.saturation) * l.field.Height);
}

void FieldFractionsAt(const CRSColourDialogLayout& l, PointF p, double& x, double& y) {
  x = l.field.Width > 0 ? std::clamp((p.X - l.field.X) / static_cast<double>(l.field.Width), 0.0, 1.0) : 0;
  y = l.field.Height > 0 ? std::clamp((p.Y - l.field.Y) / static_cast<double>(l.field.Height), 0.0, 1.0) : 0;
}

float SliderYOf(const CRSColourDialogLayout& l, double value) {
  return l.slider.Y + static_cast<float>(1 - std::clamp(value, 0.0, 1.0)) * l.slider.Height;
}

double SliderValueAt(const CRSColourDialogLayout& l, float y) {
  if (l.slider.Height <= 0) return 0;
  return std::clamp(1 - (y - l.slider.Y) / static_cast<double>(l.slider.Height), 0.0, 1.0);
}
