// The drawn file dialog: the window, its controls and the painted body.

#include "canvas/dialogs/file_dialog_window.h"

#include <algorithm>
#include <cmath>

#include "canvas/behaviours.h"
#include "canvas/controls/edit.h"
#include "canvas/controls/message_box.h"
#include "canvas/controls/multi_choices.h"
#include "canvas/controls/scroll_bar.h"
#include "canvas/dialogs/dialog_look.h"
#include "canvas/dialogs/folder_paths.h"
#include "canvas/dialogs/thumbnails.h"
#include "canvas/styles/style_parts.h"
#include "platform/bitmap.h"
#include "platform/brush.h"
#include "platform/clock.h"
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

CRSDialogMetrics FileDialogMetrics() {
  CRSDialogMetrics m;
  m.margin = 10;
  m.gap = 8;
  m.buttonWidth = 96;
  m.buttonHeight = CRSControlStyleBase::Style().GetButtonHeight();
  // The edits get a little more height than buttons: their text is the
  // style's caption font, which fills a button's height to the brim.
  m.editHeight = m.buttonHeight + 4;
  m.rowHeight = 48;
  m.placesWidth = 150;
  m.messageHeight = 18;
  return m;
}

// The client size: roomy, but never larger than the parent leaves.
SizeF ClientSizeIn(CRSCanvasItem* parent) {
  SizeF size(760, 500);
  if (parent) {
    const SizeF room = parent->GetSize();
    if (room.Width > 0) size.Width = std::clamp(room.Width - 60, 480.0f, size.Width);
    if (room.Height > 0) size.Height = std::clamp(room.Height - 80, 320.0f, size.Height);
  }
  return size;
}

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

std::string CRSFileDialogWindow::PathEditText(const std::string& folder) {
  const std::string shown = platform::DisplayName(folder);
  return shown.empty() || shown.back() == '/' ? shown : shown + "/";
}

// --- the painted body ------------------------------------------------------------

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

// --- the window --------------------------------------------------------------------

CRSFileDialogWindow::CRSFileDialogWindow(CRSCanvasItem* parent, const CRSOpenFileRequest& request,
                                         CRSThumbnailService* thumbnails, CRSFolderReader::Lister lister)
    : CRSControlWindow(PointF(), parent, "fileDialog", SizeF(400, 300)),
      m_reader(std::make_unique<CRSFolderReader>(std::move(lister))),
      m_thumbnails(thumbnails ? thumbnails : &CRSThumbnailService::Shared()) {
  m_browser = std::make_unique<CRSFileBrowser>(request, m_thumbnails, m_reader.get());
  Build();
}

CRSFileDialogWindow::CRSFileDialogWindow(CRSCanvasItem* parent, const CRSSaveFileRequest& request,
                                         CRSThumbnailService* thumbnails, CRSFolderReader::Lister lister)
    : CRSControlWindow(PointF(), parent, "fileDialog", SizeF(400, 300)),
      m_reader(std::make_unique<CRSFolderReader>(std::move(lister))),
      m_thumbnails(thumbnails ? thumbnails : &CRSThumbnailService::Shared()) {
  m_browser = std::make_unique<CRSFileBrowser>(request, m_thumbnails, m_reader.get());
  Build();
}

CRSFileDialogWindow::~CRSFileDialogWindow() {
  // The controls go with the window's children; the browser first lets go
  // of the thumbnails it asked for.
  m_browser.reset();
}

void CRSFileDialogWindow::Build() {
  CRSFileBrowser& b = *m_browser;
  const bool save = b.GetMode() == CRSFileBrowser::Mode::kSave;
  SetCaption(b.GetTitle());
  SetCloseButton(true);
  const SizeF client = ClientSizeIn(GetParentItem());
  SetClientSize(client);
  m_layout = LayOutFileDialog(client, save, FileDialogMetrics());
  CRSCanvasItem* area = GetClientArea();

  m_body = new CRSFileDialogBody(*this, area);
  m_body->SetSize(client);

  m_pathEdit = new CRSEdit(m_layout.pathEdit.GetLocation(), area, "pathEdit");
  m_pathEdit->SetSize(m_layout.pathEdit.GetSize());
  m_pathEdit->sigTextChanged.connect(this, &CRSFileDialogWindow::OnPathTyped);

  const float bar = Style().GetButtonHeight();
  m_scroll = new CRSScrollBar(PointF(m_layout.list.GetRight() - bar, m_layout.list.Y), area, "scroll",
                              SizeF(bar, m_layout.list.Height));
  m_scroll->sigValueChanged.connect(this, &CRSFileDialogWindow::OnScrolled);

  if (save) {
    m_nameEdit = new CRSEdit(m_layout.nameEdit.GetLocation(), area, "nameEdit", b.GetName());
    m_nameEdit->SetSize(m_layout.nameEdit.GetSize());
    m_nameEdit->sigTextChanged.connect(this, &CRSFileDialogWindow::OnNameTyped);
  }
  m_filter = new CRSMultiChoices(m_layout.filter.GetLocation(), area, "filter");
  for (const CRSFileFilter& f : b.GetFilters()) m_filter->AddChoice(f.label);
  m_filter->SetSelection(b.GetFilterIndex());
  m_filter->SetSize(m_layout.filter.GetSize());
  m_filter->sigSelectionChanged.connect(this, &CRSFileDialogWindow::OnFilterChanged);
  if (b.GetFilters().empty()) m_filter->SetVisible(false);

  m_ok = new CRSControlButton(m_layout.ok.GetLocation(), area, "ok", m_layout.ok.GetSize(), save ? "&Save" : "&Open");
  m_ok->sigClicked.connect(this, &CRSFileDialogWindow::OnOk);
  m_cancel = new CRSControlButton(m_layout.cancel.GetLocation(), area, "cancel", m_layout.cancel.GetSize(), "&Cancel");
  m_cancel->sigClicked.connect(this, &CRSFileDialogWindow::OnCancel);

  b.SetVisibleRowCount(m_layout.visibleRows);
  // The window's own slots come first, so an answer closes it only after
  // every slot connected later (the caller's) has run in the same delivery.
  b.sigChanged.connect(this, &CRSFileDialogWindow::OnChanged);
  b.sigSelectionChanged.connect(this, &CRSFileDialogWindow::OnSelectionChanged);
  b.sigRowThumbnail.connect(this, &CRSFileDialogWindow::OnRowThumbnail);
  b.sigFileChosen.connect(this, &CRSFileDialogWindow::OnFileChosen);
  b.sigCancelled.connect(this, &CRSFileDialogWindow::OnAnswered);
  b.sigAskOverwrite.connect(this, &CRSFileDialogWindow::OnAskOverwrite);

  // A click on any empty part of the dialog gives the keyboard to the
  // window, so Escape and the arrows keep working.
  // It takes text too, so that the characters typed over the list arrive as
  // characters whatever the keyboard layout: a "/" or "~" starts a path.
  SetFocusable(true, true);
  SetModal(true);
  new CBehaviourAlign(this, CBehaviourAlign::kCentre);
  OnChanged();
  FocusItem(save ? static_cast<CRSCanvasItem*>(m_nameEdit) : this);
}

void CRSFileDialogWindow::FocusItem(CRSCanvasItem* item) {
  if (CRSCanvasItem* root = GetRootItem()) root->sigFocusRequest(item);
}

void CRSFileDialogWindow::OnChanged() {
  CRSFileBrowser& b = *m_browser;
  m_syncing = true;
  if (b.GetFolder() != m_shownFolder) {
    // The path edit shows the folder ready for a name to be typed after it.
    m_shownFolder = b.GetFolder();
    m_pathEdit->SetText(PathEditText(m_shownFolder));
  }
  if (m_nameEdit && m_nameEdit->GetText() != b.GetName()) m_nameEdit->SetText(b.GetName());
  if (m_filter && b.GetTypedPattern().empty() && m_filter->GetSelection() != b.GetFilterIndex())
    m_filter->SetSelection(b.GetFilterIndex());
  m_syncing = false;
  SyncScrollBar();
  RequestVisibleThumbnails();
  if (m_body) m_body->Invalidate();
}

void CRSFileDialogWindow::OnSelectionChanged() {
  SyncScrollBar();
  RequestVisibleThumbnails();
  if (m_body) m_body->Invalidate();
}

void CRSFileDialogWindow::OnRowThumbnail(int row) {
  const int top = m_browser->GetTopRow();
  if (m_body && row >= top && row <= top + m_layout.visibleRows) m_body->Invalidate();
}

void CRSFileDialogWindow::SyncScrollBar() {
  if (!m_scroll) return;
  const int rows = m_browser->GetModel().GetRowCount();
  m_syncing = true;
  m_scroll->SetTotal(static_cast<float>(rows));
  m_scroll->SetPage(static_cast<float>(m_layout.visibleRows));
  m_scroll->SetValue(static_cast<float>(m_browser->GetTopRow()));
  m_scroll->SetVisible(rows > m_layout.visibleRows);
  m_syncing = false;
}

void CRSFileDialogWindow::OnScrolled(CRSCanvasItem*, float value) {
  if (m_syncing) return;
  m_browser->Scroll(static_cast<int>(std::lround(value)) - m_browser->GetTopRow());
}

void CRSFileDialogWindow::RequestVisibleThumbnails() {
  m_browser->RequestThumbnails(m_browser->GetTopRow(), m_layout.visibleRows + 1);
}

void CRSFileDialogWindow::OnFilterChanged(int index) {
  if (!m_syncing) m_browser->SetFilterIndex(index);
}

void CRSFileDialogWindow::OnPathTyped(CRSEdit* edit, const std::string& text) {
  if (m_syncing) return;
  // The edit only grows at its end, so a path that starts afresh (a slash
  // or a tilde typed right after the folder shown) replaces the folder
  // instead of being glued to it.
  const std::string shown = PathEditText(m_shownFolder);
  if (text.size() == shown.size() + 1 && text.compare(0, shown.size(), shown) == 0 &&
      (text.back() == '~' || (text.back() == '/' && shown != "/"))) {
    m_syncing = true;
    edit->SetText(std::string(1, text.back()));
    m_syncing = false;
  }
}

void CRSFileDialogWindow::OnNameTyped(CRSEdit*, const std::string& text) {
  if (m_syncing) return;
  m_nameTyped = true;
  m_browser->SetName(text);
}

bool CRSFileDialogWindow::StartsTypedPath(const CRSEventReceiver* focus, unsigned character) const {
  if (character != '/' && character != '~') return false;
  if (focus == m_pathEdit) return false;
  if (m_nameEdit && focus == m_nameEdit) {
    // No name holds a slash. A tilde may be part of a name the player is
    // typing, but not the first thing typed over the proposed name.
    return character == '/' || !m_nameTyped || m_nameEdit->GetText().empty();
  }
  return true;
}

int CRSFileDialogWindow::FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  if (event.GetType() != CRSEvents::kEventKey || event.GetMessage() != static_cast<int>(platform::kMsgChar))
    return CRSControlWindow::FilterGlobalEvent(target, event);
  // Keys meant for a box asked over the dialog, or for whatever lies
  // behind a dialog that is not on top, are not the dialog's.
  if (m_browser->IsFinished() || IsClosing() || GetTopModal() != this || !m_pathEdit) return kVerdictContinue;
  const unsigned character = static_cast<const CRSCanvasEvents::Key&>(event).m_virtualKey;
  if (!StartsTypedPath(target, character)) return kVerdictContinue;
  FocusItem(m_pathEdit);
  // The character replaces what the edit showed: the path starts afresh.
  m_syncing = true;
  m_pathEdit->SetText(std::string(1, static_cast<char>(character)));
  m_syncing = false;
  return kVerdictStop;
}

void CRSFileDialogWindow::OnOk() {
  CRSFileBrowser& b = *m_browser;
  if (b.IsFinished() || b.IsAskingOverwrite()) return;
  // A path typed beyond the folder shown is what OK means; otherwise the
  // selection (open) or the name (save).
  const std::string typed = m_pathEdit->GetText();
  if (!typed.empty() && typed != PathEditText(m_shownFolder)) {
    b.EnterTypedPath(typed);
  } else if (b.GetMode() == CRSFileBrowser::Mode::kSave) {
    b.Accept();
  } else {
    b.Activate();
  }
}

void CRSFileDialogWindow::OnCancel() { m_browser->Cancel(); }

void CRSFileDialogWindow::OnAnswered() {
  if (!IsClosing()) CRSControlWindow::Close();
}

void CRSFileDialogWindow::Close() {
  if (IsClosing()) return;
  // The title bar's close button is a cancel: the caller still hears an
  // answer, queued before the window's deletion.
  if (!m_browser->IsFinished()) m_browser->Cancel();
  if (m_overwriteBox) m_overwriteBox->Close();
  CRSControlWindow::Close();
}

void CRSFileDialogWindow::OnAskOverwrite(std::string question) {
  if (m_overwriteBox) return;
  auto* box = new CRSMessageBox(question, GetCaption(), GetClientArea(), CRSMessageBox::Kind::kYesNo);
  box->sigClosed.connect(this, &CRSFileDialogWindow::OnOverwriteAnswered);
  m_overwriteBox = box;
}

void CRSFileDialogWindow::OnOverwriteAnswered(int result) {
  m_overwriteBox = nullptr;
  // "&Yes" is the first button; "&No" or a box closed any other way keeps
  // the file.
  m_browser->AnswerOverwrite(result == 0);
  if (!m_browser->IsFinished() && m_nameEdit) FocusItem(m_nameEdit);
}

void CRSFileDialogWindow::OnKey(int message, unsigned vk, long keyData, bool* handled) {
  CRSFileBrowser& b = *m_browser;
  if (b.IsFinished() || IsClosing()) return;
  const auto msg = static_cast<unsigned>(message);
  if (msg == platform::kMsgKeyUp || msg == platform::kMsgChar) {
    // The press was ours; its release and character are too, so the room
    // behind the dialog never sees half a key.
    *handled = vk == platform::kVkReturn || vk == platform::kVkEscape || vk == platform::kVkBack ||
               (vk >= platform::kVkPrior && vk <= platform::kVkDown) || (vk >= '0' && vk <= 'Z') ||
               (vk >= 'a' && vk <= 'z');
    return;
  }
  if (msg != platform::kMsgKeyDown) return;
  if (b.IsAskingOverwrite()) {
    // The question is on screen: N keeps the file, Y replaces it (Enter
    // and Escape reach the box itself first).
    *handled = true;
    if (vk == 'N') {
      if (m_overwriteBox) m_overwriteBox->Close();
    } else if (vk == 'Y' && m_overwriteBox) {
      if (CRSControlButton* yes = m_overwriteBox->GetButton(0)) yes->Click();
    }
    return;
  }
  const bool inPath = m_pathEdit && m_pathEdit->HasFocus();
  const bool inName = m_nameEdit && m_nameEdit->HasFocus();
  *handled = true;
  switch (vk) {
    case platform::kVkReturn:
      if (inPath) {
        b.EnterTypedPath(m_pathEdit->GetText());
      } else if (inName) {
        b.Accept();
      } else {
        b.OnKey(vk);
      }
      return;
    case platform::kVkTab: {
      // Tab steps through the list, the path edit and the name edit.
      CRSCanvasItem* order[] = {this, m_pathEdit, m_nameEdit};
      const int count = m_nameEdit ? 3 : 2;
      const int now = inPath ? 1 : inName ? 2 : 0;
      FocusItem(order[(now + 1) % count]);
      return;
    }
    default:
      break;
  }
  if (b.OnKey(vk)) return;
  if (!inPath && !inName && ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))) {
    // Without text input the key is its upper-case letter; names are
    // matched without regard to case, so the lower-case letter serves.
    const char c = vk >= 'A' && vk <= 'Z' ? static_cast<char>(vk - 'A' + 'a') : static_cast<char>(vk);
    b.TypeAhead(std::string(1, c), platform::GetTickCount());
    return;
  }
  *handled = false;
  CRSControlWindow::OnKey(message, vk, keyData, handled);
}
