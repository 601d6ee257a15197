// The play room's table: its size, the view it was left at, the "Tools"
// panel with the overview, and bringing what a command acts on into view.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "canvas/controls.h"
#include "data/puzzle_data.h"
#include "data/puzzle_table_view.h"
#include "data/puzzle_tray_data.h"
#include "play/piece.h"
#include "data/room_host.h"
#include "play/play_room.h"
#include "play/table.h"
#include "play/table_history.h"
#include "play/table_overview.h"
#include "play/tray.h"
#include "play/button_panel.h"
#include "platform/display_scale.h"
#include "platform/report.h"

namespace {

// A table of its own is this many times the picture along each side: about
// three times the picture's area, so that scattered pieces do not heap.
constexpr float kTableSideFactor = 1.75f;
constexpr const char* kOverviewButton = "&Overview";
constexpr const char* kNewTrayButton = "New Tra&y";
constexpr const char* kEdgesButton = "&Edges";
constexpr const char* kArrangeButton = "&Arrange";
constexpr const char* kGatherButton = "Ga&ther";
constexpr const char* kUndoButton = "&Undo";
constexpr const char* kRedoButton = "Re&do";

}  // namespace

SizeF CPuzzlePlayRoom::ChooseTableSize() const {
  const SizeF picture(static_cast<float>(m_cutImage->GetWidth()), static_cast<float>(m_cutImage->GetHeight()));
  // The reader keeps only a table that holds the whole picture.
  const SizeF saved = m_puzzle->GetTableView().tableSize;
  if (saved.Width > 0.0f && saved.Height > 0.0f) return saved;
  // A picture fitted to the screen is played on the window, as ever; a full
  // picture, or one larger than this screen, gets a table around it.
  const Size largest = m_host->GetLargestPictureSize();
  const bool fits = !m_puzzle->IsFullPicture() &&
                    (largest.Width <= 0 || largest.Height <= 0 ||
                     (m_cutImage->GetWidth() <= largest.Width && m_cutImage->GetHeight() <= largest.Height));
  // On a dense screen the largest picture is counted in device pixels: one
  // with more pixels than the window has units lies on a table of its own
  // size, seen at one picture pixel a screen pixel.
  const float scale = platform::GetDisplayScale();
  const bool fitsUnits = m_cutImage->GetWidth() <= largest.Width / scale &&
                         m_cutImage->GetHeight() <= largest.Height / scale;
  if (fits && (scale == 1.0f || fitsUnits)) return SizeF();
  if (fits) return picture;
  return SizeF(std::ceil(picture.Width * kTableSideFactor), std::ceil(picture.Height * kTableSideFactor));
}

void CPuzzlePlayRoom::CreateTable() {
  const SizeF size = ChooseTableSize();
  m_table = std::make_unique<CPuzzleTable>(nullptr, m_host->GetFloor(), size);
  // A table of its own is seen through the window, which then needs no
  // scrolling of its own.
  if (m_table->HasOwnSize()) m_host->SetFloorMinSize(SizeF());
}

void CPuzzlePlayRoom::RestoreView() {
  const CPuzzleTableView& view = m_puzzle->GetTableView();
  // A new puzzle on a table of its own is first seen at the screen's own
  // size, where each unit of the table takes one device pixel.
  const bool fresh = view.IsDefault() && m_table->HasOwnSize();
  m_table->SetView(fresh ? 1.0f / platform::GetDisplayScale() : view.zoom, view.viewOrigin);
  m_table->sigViewChanged.connect(this, &CPuzzlePlayRoom::OnViewChanged);
  OnViewChanged();
}

void CPuzzlePlayRoom::CreateTools() {
  const PointF below = m_menu ? m_menu->GetPlaceBelow() : PointF();
  m_tools = std::make_unique<CPuzzleButtonPanel>(m_host->GetFloor(), "playTools", "Tools", below);
  m_overview = std::make_unique<CPuzzleTableOverview>(m_host->GetFloor(), m_table.get(), m_pieces);
  CRSControlButton* overview = m_tools->AddButton(kOverviewButton, true);
  overview->sigToggled.connect(this, &CPuzzlePlayRoom::SetOverviewShown);
  m_overview->sigClosedByPlayer.connect(this, &CPuzzlePlayRoom::OnOverviewClosed);
  // The tools that work the table belong to it; the room only offers them.
  m_tools->AddButton(kNewTrayButton)->sigClicked.connect(this, &CPuzzlePlayRoom::OnNewTray);
  m_tools->AddButton(kEdgesButton)->sigClicked.connect(m_table.get(), &CPuzzleTable::GatherEdges);
  m_tools->AddButton(kArrangeButton)->sigClicked.connect(m_table.get(), &CPuzzleTable::Arrange);
  m_tools->AddButton(kGatherButton)->sigClicked.connect(m_table.get(), &CPuzzleTable::Gather);
  m_tools->AddButton(kUndoButton)->sigClicked.connect(m_table.get(), &CPuzzleTable::Undo);
  m_tools->AddButton(kRedoButton)->sigClicked.connect(m_table.get(), &CPuzzleTable::Redo);
  m_table->GetHistory().sigChanged.connect(this, &CPuzzlePlayRoom::OnHistoryChanged);
  OnHistoryChanged();
  m_table->sigItemsMoved.connect(this, &CPuzzlePlayRoom::OnTableItemsMoved);
  for (CPuzzleButtonPanel* panel : {m_menu.get(), m_tools.get()})
    if (CRSControlWindow* window = panel ? panel->GetWindow() : nullptr) m_table->KeepClearOf(window);
}

void CPuzzlePlayRoom::OnHistoryChanged() {
  if (!m_tools || !m_table) return;
  const CTableHistory& history = m_table->GetHistory();
  for (const auto& [label, enabled] : {std::pair{kUndoButton, history.CanUndo()}, std::pair{kRedoButton, history.CanRedo()}})
    if (CRSControlButton* button = m_tools->FindButton(label); button && button->IsEnabled() != enabled) {
      button->SetEnabled(enabled);
      platform::ReportLine(std::string("play tools ") + (label == kUndoButton ? "undo " : "redo ") +
                           (enabled ? "on" : "off"));
    }
}

void CPuzzlePlayRoom::OnNewTray() {
  if (m_table) m_table->NewTray();
}

void CPuzzlePlayRoom::OnTableItemsMoved() {
  if (m_overview) m_overview->OnPiecesMoved();
  if (!m_building) ReportPieces();
}

void CPuzzlePlayRoom::RestoreTrays() {
  const int columns = m_puzzle->GetCutter().GetGridSize().Width;
  for (const CPuzzleTrayData& data : m_puzzle->GetTrays()) {
    CPuzzleTray* tray = m_table->AddTray(data.title, data.place, data.scale);
    if (!tray) continue;
    for (const Point& cell : data.cells) {
      const std::size_t index = static_cast<std::size_t>(cell.Y) * static_cast<std::size_t>(columns) +
                                static_cast<std::size_t>(cell.X);
      // The piece's record keeps its place inside the tray.
      if (CPuzzlePiece* piece = index < m_pieces.size() ? m_pieces[index].get() : nullptr)
        piece->SetParent(tray->GetContent());
    }
  }
}

std::vector<CPuzzleTrayData> CPuzzlePlayRoom::MakeTrayData() const {
  std::vector<CPuzzleTrayData> data;
  if (!m_table) return data;
  const std::vector<CPuzzleTray*> trays = m_table->GetTrays();
  for (CPuzzleTray* tray : trays) data.push_back({tray->GetTitle(), tray->GetPlace(), tray->GetScale(), {}});
  const int columns = std::max(1, m_puzzle->GetCutter().GetGridSize().Width);
  for (std::size_t i = 0; i < m_pieces.size(); ++i) {
    CPuzzlePiece* piece = m_pieces[i].get();
    CPuzzleTray* tray = piece ? m_table->TrayHolding(piece) : nullptr;
    if (!tray) continue;
    const auto at = std::find(trays.begin(), trays.end(), tray) - trays.begin();
    data[static_cast<std::size_t>(at)].cells.push_back(
        Point(static_cast<int>(i % static_cast<std::size_t>(columns)), static_cast<int>(i / static_cast<std::size_t>(columns))));
  }
  return data;
}

void CPuzzlePlayRoom::ReportTrays() const {
  if (!platform::IsReporting() || !m_table) return;
  for (CPuzzleTray* tray : m_table->GetTrays()) {
    // In the window's coordinates, as the pieces are reported.
    const RectF place = tray->GetWindow()->GetBoundsIn(nullptr);
    char line[160];
    std::snprintf(line, sizeof line, "tray %zu box %.0f %.0f %.0f %.0f scale %.3f title ", tray->GetItems().size(),
                  static_cast<double>(place.X), static_cast<double>(place.Y), static_cast<double>(place.Width),
                  static_cast<double>(place.Height), static_cast<double>(tray->GetScale()));
    platform::ReportLine(line + tray->GetTitle());
  }
}

void CPuzzlePlayRoom::SetOverviewShown(bool shown) {
  if (!m_overview) return;
  m_overviewOffered = true;
  if (shown) {
    m_overview->Open();
  } else {
    m_overview->Close();
  }
  if (CRSControlButton* button = m_tools ? m_tools->FindButton(kOverviewButton) : nullptr;
      button && button->IsChecked() != shown)
    button->SetChecked(shown);
  platform::ReportLine(shown ? "play overview open" : "play overview closed");
}

void CPuzzlePlayRoom::OnOverviewClosed() { SetOverviewShown(false); }

void CPuzzlePlayRoom::OnViewChanged() {
  CPuzzleTable* table = m_table.get();
  if (!table) return;
  // The overview offers itself once, as soon as the window shows less than
  // the whole table or the player zooms in.
  const CTableViewport& viewport = table->GetViewport();
  const RectF seen = viewport.GetVisibleRect();
  const SizeF whole = viewport.GetTableSize();
  constexpr float kSlack = 0.5f;
  const bool wholeSeen = seen.X <= kSlack && seen.Y <= kSlack && seen.GetRight() >= whole.Width - kSlack &&
                         seen.GetBottom() >= whole.Height - kSlack;
  const bool partial = !wholeSeen || table->GetZoom() > viewport.GetMinZoom() * 1.0001f;
  if (partial && !m_overviewOffered && m_overview) SetOverviewShown(true);
  if (platform::IsReporting() && !m_building) {
    const PointF origin = table->GetViewport().GetOrigin();
    char line[96];
    std::snprintf(line, sizeof line, "play view %.3f %.1f %.1f", static_cast<double>(table->GetZoom()),
                  static_cast<double>(origin.X), static_cast<double>(origin.Y));
    platform::ReportLine(line);
  }
}

CPuzzleTableView CPuzzlePlayRoom::MakeTableView() const {
  CPuzzleTableView view;
  if (!m_table) return m_puzzle->GetTableView();
  view.zoom = m_table->GetZoom();
  view.viewOrigin = m_table->GetViewport().GetOrigin();
  if (m_table->HasOwnSize()) view.tableSize = m_table->GetSize();
  // A view within rounding of the default is the default, so that a file
  // nobody zoomed re-saves as it was.
  if (std::fabs(view.zoom - 1.0f) < 1e-4f) view.zoom = 1.0f;
  return view;
}
