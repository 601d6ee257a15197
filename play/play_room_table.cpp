// The play room's table: its size, the view it was left at, the "Tools"
// panel with the overview, and bringing what a command acts on into view.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "canvas/controls.h"
#include "data/puzzle_data.h"
#include "data/puzzle_table_view.h"
#include "data/room_host.h"
#include "play/play_room.h"
#include "play/table.h"
#include "play/table_overview.h"
#include "play/button_panel.h"
#include "platform/report.h"

namespace {

// A table of its own is this many times the picture along each side: about
// three times the picture's area, so that scattered pieces do not heap.
constexpr float kTableSideFactor = 1.75f;
constexpr const char* kOverviewButton = "&Overview";

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
  if (fits) return SizeF();
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
  m_table->SetView(view.zoom, view.viewOrigin);
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
  // the whole table or the player zooms.
  const bool partial = !table->GetViewport().TableFitsWindow() || table->GetZoom() != 1.0f;
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
