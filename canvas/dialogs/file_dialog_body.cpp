// The file dialog's painted body: the places column, the path bar, the
// list of rows with their icons and thumbnails, and the message line; and
// what lies under the mouse there.

#include "canvas/dialogs/file_dialog_window.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "canvas/dialogs/dialog_look.h"
#include "canvas/dialogs/folder_paths.h"
#include "canvas/dialogs/thumbnails.h"
#include "canvas/styles/style_parts.h"
#include "platform/bitmap.h"
#include "platform/brush.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/pen.h"

namespace {

constexpr float kPlaceHeight = 30.0f;
constexpr float kPlacesTop = 8.0f;
constexpr float kSegmentPadding = 10.0f;
constexpr float kSegmentGap = 4.0f;
constexpr float kHiddenMarkWidth = 28.0f;
constexpr float kRowInset = 4.0f;
constexpr int kWheelRows = 3;

// A folder drawn as a tab and a body, in the box given.
void PaintFolderIcon(Gdiplus::Graphics& g, const RectF& box) {
  const CRSStylePalette& palette = dialog_look::Palette();
  const float w = std::min(box.Width, box.Height * 1.2f), h = w * 0.78f;
  const float x = box.X + (box.Width - w) / 2, y = box.Y + (box.Height - h) / 2;
  Gdiplus::SolidBrush tab(Gdiplus::Color(palette.folderBack));
  std::unique_ptr<Gdiplus::GraphicsPath> tabPath(style_parts::RoundedRect(RectF(x, y, w * 0.45f, h * 0.3f), 2));
  g.FillPath(&tab, tabPath.get());
  Gdiplus::LinearGradientBrush body(PointF(x, y + h * 0.15f), PointF(x, y + h), Gdiplus::Color(palette.folderLight),
                                    Gdiplus::Color(palette.folderFront));
  std::unique_ptr<Gdiplus::GraphicsPath> bodyPath(style_parts::RoundedRect(RectF(x, y + h * 0.15f, w, h * 0.85f), 3));
  g.FillPath(&body, bodyPath.get());
}

// Home as a small house, in the folder's colours.
void PaintHomeIcon(Gdiplus::Graphics& g, const RectF& box) {
  const CRSStylePalette& palette = dialog_look::Palette();
  const float w = std::min(box.Width, box.Height * 1.1f), h = w * 0.85f;
  const float x = box.X + (box.Width - w) / 2, y = box.Y + (box.Height - h) / 2;
  const PointF roof[] = {{x - 1, y + h * 0.45f}, {x + w / 2, y}, {x + w + 1, y + h * 0.45f}};
  Gdiplus::SolidBrush dark(Gdiplus::Color(palette.folderBack));
  g.FillPolygon(&dark, roof, 3);
  Gdiplus::SolidBrush wall(Gdiplus::Color(palette.folderFront));
  g.FillRectangle(&wall, RectF(x + w * 0.12f, y + h * 0.42f, w * 0.76f, h * 0.58f));
  g.FillRectangle(&dark, RectF(x + w * 0.42f, y + h * 0.66f, w * 0.18f, h * 0.34f));
}

// The file system as a drive: a grey box with a light.
void PaintDriveIcon(Gdiplus::Graphics& g, const RectF& box) {
  const CRSStylePalette& palette = dialog_look::Palette();
  const float w = std::min(box.Width, box.Height * 1.3f), h = w * 0.55f;
  const float x = box.X + (box.Width - w) / 2, y = box.Y + (box.Height - h) / 2;
  Gdiplus::LinearGradientBrush body(PointF(x, y), PointF(x, y + h), Gdiplus::Color(palette.driveLight),
                                    Gdiplus::Color(palette.driveDark));
  std::unique_ptr<Gdiplus::GraphicsPath> path(style_parts::RoundedRect(RectF(x, y, w, h), 2.5f));
  g.FillPath(&body, path.get());
  Gdiplus::SolidBrush light(Gdiplus::Color(palette.driveLamp));
  g.FillEllipse(&light, RectF(x + w - h * 0.55f, y + h * 0.35f, h * 0.3f, h * 0.3f));
}

// A page with a folded corner; broken links get a red stroke across.
void PaintPageIcon(Gdiplus::Graphics& g, const RectF& box, bool broken) {
  const CRSStylePalette& palette = dialog_look::Palette();
  const float h = std::min(box.Height, box.Width * 1.25f) * 0.9f, w = h * 0.76f;
  const float x = box.X + (box.Width - w) / 2, y = box.Y + (box.Height - h) / 2;
  const float fold = w * 0.3f;
  const PointF outline[] = {{x, y}, {x + w - fold, y}, {x + w, y + fold}, {x + w, y + h}, {x, y + h}};
  Gdiplus::SolidBrush paper(Gdiplus::Color(palette.paper));
  g.FillPolygon(&paper, outline, 5);
  const PointF corner[] = {{x + w - fold, y}, {x + w - fold, y + fold}, {x + w, y + fold}};
  Gdiplus::SolidBrush shade(Gdiplus::Color(palette.paperFold));
  g.FillPolygon(&shade, corner, 3);
  Gdiplus::Pen lines(Gdiplus::Color(palette.paperLines), 1.0f);
  for (float ly = y + h * 0.45f; ly < y + h - 3; ly += 4) g.DrawLine(&lines, x + 3, ly, x + w - 3, ly);
  if (broken) {
    Gdiplus::Pen red(Gdiplus::Color(palette.brokenLinkMark), 2.0f);
    g.DrawLine(&red, x - 1, y + h, x + w + 1, y);
  }
}

}  // namespace


CRSFileDialogBody::CRSFileDialogBody(CRSFileDialogWindow& window, CRSObject* parent)
    : CRSCanvasItem(PointF(), parent, "body"), m_window(window) {
  SetDrawsItself(true);
  SetZOrder(0);
}

RectF CRSFileDialogBody::PlaceRect(int index) const {
  const CRSFileDialogLayout& l = m_window.GetLayout();
  const int count = static_cast<int>(m_window.Browser().GetPlaces().size());
  if (index < 0 || index >= count) return RectF();
  const RectF r(l.places.X + 4, l.places.Y + kPlacesTop + index * kPlaceHeight, l.places.Width - 8, kPlaceHeight - 2);
  return r.GetBottom() <= l.places.GetBottom() ? r : RectF();
}

const CRSFileDialogBody::PathBar& CRSFileDialogBody::GetPathBar() const {
  const std::string& folder = m_window.Browser().GetFolder();
  PathBar& bar = m_pathBar;
  if (bar.laidOut && bar.folder == folder) return bar;
  bar.laidOut = true;
  bar.folder = folder;
  bar.segments = PathSegments(folder);
  const dialog_look::Fonts& fonts = dialog_look::GetFonts();
  std::vector<float> widths;
  for (const CRSPathSegment& s : bar.segments)
    widths.push_back(std::ceil(dialog_look::MeasureWidth(s.label, fonts.segmentBold)) + 2 * kSegmentPadding +
                     kSegmentGap);
  const RectF& area = m_window.GetLayout().segments;
  bar.first = FirstFittingSegment(widths, area.Width, kHiddenMarkWidth + kSegmentGap);
  bar.rects.assign(bar.segments.size(), RectF());
  float x = area.X;
  if (bar.first > 0) {
    // The mark stands for the hidden segments and leads to the last of them.
    bar.rects[bar.first - 1] = RectF(x, area.Y, kHiddenMarkWidth, area.Height);
    x += kHiddenMarkWidth + kSegmentGap;
  }
  for (std::size_t i = static_cast<std::size_t>(bar.first); i < bar.segments.size(); ++i) {
    bar.rects[i] = RectF(x, area.Y, std::max(0.0f, std::min(widths[i] - kSegmentGap, area.GetRight() - x)), area.Height);
    x += widths[i];
  }
  return bar;
}

RectF CRSFileDialogBody::SegmentRect(int index) const {
  const PathBar& bar = GetPathBar();
  if (index < 0 || index >= static_cast<int>(bar.rects.size())) return RectF();
  return bar.rects[index];
}

CRSFileDialogBody::Part CRSFileDialogBody::PartAt(const PointF& p) const {
  const CRSFileDialogLayout& l = m_window.GetLayout();
  const CRSFileBrowser& b = m_window.Browser();
  if (l.places.Contains(p)) {
    for (int i = 0; i < static_cast<int>(b.GetPlaces().size()); ++i)
      if (PlaceRect(i).Contains(p)) return {PartKind::kPlace, i};
    return {};
  }
  if (l.segments.Contains(p)) {
    const PathBar& bar = GetPathBar();
    for (int i = 0; i < static_cast<int>(bar.rects.size()); ++i)
      if (bar.rects[i].Contains(p)) return {PartKind::kSegment, i};
    return {};
  }
  const int row = RowAtPoint(l, p, b.GetTopRow(), b.GetModel().GetRowCount());
  if (row >= 0) return {PartKind::kRow, row};
  return {};
}

void CRSFileDialogBody::SetHover(const Part& part) {
  if (part == m_hover) return;
  m_hover = part;
  Invalidate();
}

void CRSFileDialogBody::OnMouse(int message, PointF local, int keyFlags, bool* handled) {
  CRSFileBrowser& b = m_window.Browser();
  if (b.IsFinished()) return;
  const Part part = PartAt(local);
  switch (static_cast<unsigned>(message)) {
    case platform::kMsgMouseMove:
      SetHover(part);
      break;
    case platform::kMsgMouseLeave:
      SetHover(Part());
      break;
    case platform::kMsgLButtonDown:
      *handled = true;
      if (part.kind == PartKind::kPlace) b.OpenPlace(part.index);
      if (part.kind == PartKind::kSegment) b.OpenSegment(part.index);
      if (part.kind == PartKind::kRow) b.ClickRow(part.index);
      break;
    case platform::kMsgLButtonDblClk:
      // The press before it already opened a place or segment; only rows
      // have a double-click meaning of their own.
      *handled = true;
      if (part.kind == PartKind::kRow) b.DoubleClickRow(part.index);
      break;
    case platform::kMsgMouseWheel:
      if (m_window.GetLayout().list.Contains(local)) {
        *handled = true;
        b.Scroll(-platform::WheelDelta(static_cast<unsigned>(keyFlags)) * kWheelRows / platform::kWheelDelta);
      }
      break;
    default:
      break;
  }
}

void CRSFileDialogBody::PaintContent(Gdiplus::Graphics& g, bool) {
  const CRSStylePalette& palette = dialog_look::Palette();
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  PaintPlaces(g);
  PaintSegments(g);
  PaintList(g);
  const CRSFileDialogLayout& l = m_window.GetLayout();
  const std::string& message = m_window.Browser().GetMessage();
  if (!message.empty()) {
    const dialog_look::Fonts& fonts = dialog_look::GetFonts();
    Gdiplus::SolidBrush warm(Gdiplus::Color(palette.dialogMessageText));
    dialog_look::DrawLine(g, "\xE2\x9A\xA0 " + message, fonts.name, warm, l.message, Gdiplus::StringAlignmentNear);
  }
}

void CRSFileDialogBody::PaintPlaces(Gdiplus::Graphics& g) {
  const CRSStylePalette& palette = dialog_look::Palette();
  const CRSFileDialogLayout& l = m_window.GetLayout();
  const CRSFileBrowser& b = m_window.Browser();
  dialog_look::FillPanel(g, l.places);
  const dialog_look::Fonts& fonts = dialog_look::GetFonts();
  Gdiplus::SolidBrush text(Gdiplus::Color(palette.dialogText));
  // The place the current folder lies in (the deepest one) is marked, so
  // the user sees where they are even a few folders down.
  int within = -1;
  std::size_t withinLength = 0;
  const std::string& folder = b.GetFolder();
  for (int i = 0; i < static_cast<int>(b.GetPlaces().size()); ++i) {
    const std::string& path = b.GetPlaces()[i].path;
    const bool inside = path == folder || path == "/" ||
                        (folder.size() > path.size() && folder.compare(0, path.size(), path) == 0 &&
                         folder[path.size()] == '/');
    if (inside && (within < 0 || path.size() > withinLength)) {
      within = i;
      withinLength = path.size();
    }
  }
  for (int i = 0; i < static_cast<int>(b.GetPlaces().size()); ++i) {
    const RectF r = PlaceRect(i);
    if (r.IsEmptyArea()) break;
    const bool current = b.GetPlaces()[i].path == folder;
    const bool hover = m_hover.kind == PartKind::kPlace && m_hover.index == i;
    if (current) dialog_look::FillHighlight(g, r, palette.dialogSelection);
    else if (hover) dialog_look::FillHighlight(g, r, palette.dialogHover);
    else if (i == within) dialog_look::FillHighlight(g, r, palette.dialogSegment);
    const RectF icon(r.X + 6, r.Y + 5, 22, r.Height - 10);
    switch (b.GetPlaces()[i].id) {
      case platform::SpecialFolder::kHome: PaintHomeIcon(g, icon); break;
      case platform::SpecialFolder::kRoot: PaintDriveIcon(g, icon); break;
      default: PaintFolderIcon(g, icon); break;
    }
    dialog_look::DrawLine(g, b.GetPlaces()[i].label, fonts.name, text, RectF(r.X + 36, r.Y, r.Width - 40, r.Height),
                          Gdiplus::StringAlignmentNear);
  }
}

void CRSFileDialogBody::PaintSegments(Gdiplus::Graphics& g) {
  const CRSStylePalette& palette = dialog_look::Palette();
  const PathBar& bar = GetPathBar();
  const std::vector<CRSPathSegment>& segments = bar.segments;
  const int first = bar.first;
  const dialog_look::Fonts& fonts = dialog_look::GetFonts();
  Gdiplus::SolidBrush text(Gdiplus::Color(palette.dialogText));
  for (int i = 0; i < static_cast<int>(segments.size()); ++i) {
    const RectF& r = bar.rects[i];
    if (r.IsEmptyArea()) continue;
    const bool last = i + 1 == static_cast<int>(segments.size());
    const bool hover = m_hover.kind == PartKind::kSegment && m_hover.index == i;
    dialog_look::FillHighlight(g, r, last ? palette.dialogSelection : hover ? palette.dialogHover : palette.dialogSegment);
    const std::string label = i + 1 == first ? std::string("\xE2\x80\xA6") : segments[i].label;
    dialog_look::DrawLine(g, label, last ? fonts.segmentBold : fonts.segment, text, r, Gdiplus::StringAlignmentCenter);
  }
}

void CRSFileDialogBody::PaintList(Gdiplus::Graphics& g) {
  const CRSStylePalette& palette = dialog_look::Palette();
  const CRSFileDialogLayout& l = m_window.GetLayout();
  const CRSFileBrowser& b = m_window.Browser();
  dialog_look::FillPanel(g, l.list);
  const dialog_look::Fonts& fonts = dialog_look::GetFonts();
  const int count = b.GetModel().GetRowCount();
  if (count == 0) {
    // An empty list says why it is empty, so it never looks broken.
    std::string why = "This folder is empty.";
    if (b.IsReading()) why = "Reading the folder\xE2\x80\xA6";
    // A folder that could not be read says so on the message line.
    else if (!b.GetMessage().empty() || !b.GetModel().GetMessage().empty()) why.clear();
    Gdiplus::SolidBrush dim(Gdiplus::Color(palette.dialogDimText));
    dialog_look::DrawLine(g, why, fonts.name, dim, RectF(l.list.X, l.list.Y + 12, l.list.Width, 24),
                          Gdiplus::StringAlignmentCenter);
    return;
  }
  const Gdiplus::GraphicsState state = g.Save();
  g.IntersectClip(l.list);
  const int top = b.GetTopRow();
  for (int row = top; row < std::min(count, top + l.visibleRows + 1); ++row) PaintRow(g, row, RowRect(l, row, top));
  g.Restore(state);
}

void CRSFileDialogBody::PaintRow(Gdiplus::Graphics& g, int row, const RectF& full) {
  const CRSStylePalette& palette = dialog_look::Palette();
  const CRSFileBrowser& b = m_window.Browser();
  const CRSFolderModel& model = b.GetModel();
  const platform::FolderEntry& entry = model.EntryOfRow(row);
  const float barWidth = CRSControlStyleBase::Style().GetButtonHeight();
  RectF r(full.X + kRowInset, full.Y + 1, full.Width - 2 * kRowInset - barWidth, full.Height - 2);
  const bool selected = row == b.GetSelection();
  const bool hover = m_hover.kind == PartKind::kRow && m_hover.index == row;
  if (selected || hover) dialog_look::FillHighlight(g, r, selected ? palette.dialogSelection : palette.dialogHover);

  const RectF icon(r.X + 4, r.Y + 2, r.Height - 4, r.Height - 4);
  std::shared_ptr<const Gdiplus::Bitmap> thumbnail;
  if (model.IsFolderRow(row)) {
    PaintFolderIcon(g, RectF(icon.X + 4, icon.Y + 4, icon.Width - 8, icon.Height - 8));
  } else if (b.IsPictureRow(row) && m_window.GetThumbnails() &&
             m_window.GetThumbnails()->Find(model.PathOfRow(row), &thumbnail) == CRSThumbnailService::State::kReady &&
             thumbnail) {
    // The picture fits its box without distortion, on a soft backing that
    // shows where the box is for pictures narrower than it.
    const float tw = static_cast<float>(thumbnail->GetWidth()), th = static_cast<float>(thumbnail->GetHeight());
    const float scale = std::min({icon.Width / tw, icon.Height / th, 1.0f});
    const float w = std::round(tw * scale), h = std::round(th * scale);
    const RectF dest(std::round(icon.X + (icon.Width - w) / 2), std::round(icon.Y + (icon.Height - h) / 2), w, h);
    Gdiplus::SolidBrush backing(Gdiplus::Color(palette.thumbnailBacking));
    g.FillRectangle(&backing, RectF(dest.X - 1, dest.Y - 1, dest.Width + 2, dest.Height + 2));
    g.DrawImage(thumbnail.get(), dest);
  } else {
    PaintPageIcon(g, RectF(icon.X + 6, icon.Y + 4, icon.Width - 12, icon.Height - 8),
                  entry.kind == platform::EntryKind::kBrokenLink);
  }

  const dialog_look::Fonts& fonts = dialog_look::GetFonts();
  Gdiplus::SolidBrush text(Gdiplus::Color(palette.dialogText));
  Gdiplus::SolidBrush dim(Gdiplus::Color(palette.dialogDimText));
  std::string detail;
  if (entry.kind == platform::EntryKind::kBrokenLink) detail = "broken link";
  else if (!model.IsFolderRow(row)) detail = FormatFileSize(entry.size);
  const float detailWidth = detail.empty() ? 0 : 90;
  const float nameLeft = icon.GetRight() + 10;
  dialog_look::DrawLine(g, entry.displayName, fonts.name, text,
                        RectF(nameLeft, r.Y, r.GetRight() - nameLeft - detailWidth - 8, r.Height),
                        Gdiplus::StringAlignmentNear);
  if (!detail.empty())
    dialog_look::DrawLine(g, detail, fonts.detail, dim, RectF(r.GetRight() - detailWidth - 8, r.Y, detailWidth, r.Height),
                          Gdiplus::StringAlignmentFar);
}
