// The play room: opening (reading the puzzle, taking over the floor, the
// fresh start and the caption) and leaving (saving the puzzle and the
// progress).

#include "play/play_room.h"

#include <algorithm>

#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "canvas/controls.h"
#include "data/library.h"
#include "data/puzzle_data.h"
#include "data/puzzle_image_data.h"
#include "data/room_host.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/play_clock.h"
#include "play/play_hints.h"
#include "play/play_preview.h"
#include "play/play_room_music.h"
#include "play/table.h"
#include "play/table_history.h"
#include "play/table_overview.h"
#include "play/button_panel.h"
#include "data/puzzle_table_view.h"
#include "data/puzzle_tray_data.h"
#include "platform/report.h"

namespace {

bool SamePixels(const Gdiplus::Bitmap& a, const Gdiplus::Bitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetPixelFormat() != b.GetPixelFormat() ||
      a.GetStride() != b.GetStride())
    return false;
  const std::size_t rowBytes = static_cast<std::size_t>(a.GetWidth()) * 4;
  for (int y = 0; y < a.GetHeight(); ++y)
    if (std::memcmp(a.GetRow(y), b.GetRow(y), rowBytes) != 0) return false;
  return true;
}

}  // namespace

CPuzzlePlayRoom::CPuzzlePlayRoom(CPuzzleRoomHost* host, const std::string& name)
    : CRSObject(nullptr, kRoomName),
      m_host(host),
      m_name(name.empty() && host && host->IsGift() ? std::string(kGiftName) : name),
      m_gift(host && host->IsGift()) {
  m_puzzle = std::make_unique<CPuzzleData>(m_name);
  if (!m_host) return;
  if (!ReadPuzzle()) {
    ShowReadError();
    return;
  }

  
  // The hand-over: the previous room goes with the floor's children. The
  // play room keeps the background the player chose.
  m_host->ClearFloor();
  m_tookFloor = true;
  m_host->SetFloorMinSize(SizeF(static_cast<float>(m_cutImage->GetWidth() + 2),
                                static_cast<float>(m_cutImage->GetHeight() + 2)));
  m_host->CreateRoomTitle(this, "Play Room");
  SetParent(m_host->GetFloor());
  auto* guard = new CRSCanvasItem(PointF(), nullptr, "playRoomGuard");
  guard->SetZOrder(0);
  guard->SetVisible(false);
  guard->SetParent(m_host->GetFloor());
  guard->sigDestroying.connect(this, &CPuzzlePlayRoom::OnFloorClearing);
  m_floorGuard.Assign(guard);

  // A gift, and a puzzle that was just made or cut anew, start from
  // scattered pieces: before any piece exists this drops every saved place
  // and the time played.
  CPuzzleImageData* record = m_gift ? nullptr : m_host->GetLibrary().FindPuzzleImage(m_name);
  if (m_gift || (record && record->IsScattered())) {
    m_puzzle->ResetProgress();
    if (record) record->SetScattered(false);
  }
  m_open = true;
  UpdateCaption();
  CreateTable();
  m_pictures = std::make_unique<CPlayPreview>(m_host->GetFloor(), m_cutImage);
  m_hints = std::make_unique<CPlayHints>(m_table.get(), m_pictures.get(), m_pieces);

  if (!BuildPieces()) {
    // A cut that gives no piece for a cell of its own grid: nothing of it
    // can be played, and the saved game must not be overwritten by half of it.
    m_open = false;
    m_cutImage.reset();
    ShowReadError();
    return;
  }
  // The music starts before the menu is made, so that the menu offers its
  // button only for music that is really there (a puzzle may name a file
  // that has gone since).
  m_music = std::make_unique<CPuzzlePlayMusic>(*m_puzzle);
  CreateMenu();
  CreateTools();
  m_clock = std::make_unique<CPlayClock>(nullptr, m_host->GetFloor(), *m_puzzle);
  RestoreView();
  // The history starts from the table as the player finds it.
  m_table->GetHistory().Reset();
  if (platform::IsReporting()) {
    const CPuzzlePiece* first = m_pieces.empty() ? nullptr : m_pieces.front().get();
    char line[96];
    std::snprintf(line, sizeof line, "play ready %d distance %.2f", m_pieceCount,
                  first ? static_cast<double>(first->GetNeighbourDistance()) : 0.0);
    platform::ReportLine(line);
  }
  ReportPieces();
}

CPuzzlePlayRoom::~CPuzzlePlayRoom() {
  KillAllTimers();
  m_hints.reset();
  if (m_open) SaveAndRecord();
  m_pictures.reset();
  m_music.reset();
  m_clock.reset();
  m_overview.reset();
  m_tools.reset();
  m_menu.reset();
  m_table.reset();
}

bool CPuzzlePlayRoom::ReadPuzzle() {
  const bool read = m_gift ? m_puzzle->LoadFromText(m_host->GetGiftPuzzleText()) : m_puzzle->Load();
  if (!read || !m_puzzle->GetPicture()) return false;
  m_cutImage = m_puzzle->GetCutter().GetCutImage(*m_puzzle->GetPicture());
  if (!m_cutImage || m_cutImage->GetWidth() <= 0 || m_cutImage->GetHeight() <= 0) {
    m_cutImage.reset();
    return false;
  }
  // A cut that covers the whole picture at its own size gives back the
  // picture itself, which the puzzle keeps anyway: holding both would keep
  // a screen-sized picture twice while the room is open.
  if (SamePixels(*m_cutImage, *m_puzzle->GetPicture())) m_cutImage = m_puzzle->GetPicture();
  const Size grid = m_puzzle->GetCutter().GetGridSize();
  m_pieceCount = grid.Width * grid.Height;
  return m_pieceCount > 0;
}

void CPuzzlePlayRoom::ShowReadError() {
  const std::string text = "Could not read the puzzle file";
  if (CRSMessageBox* box = CRSMessageBox::Show(text, "ERROR", m_host->GetRootWindow()))
    box->sigClosed.connect(this, &CPuzzlePlayRoom::OnErrorClosed);
}

void CPuzzlePlayRoom::OnErrorClosed(int) {
  if (!m_tookFloor) {
    // The room before is still there, untouched: this one just goes.
    DeleteLater();
    return;
  }
  // The previous room went with the floor: the player is taken back to the
  // store room as Back would take them, and a gift, which has no other
  // room, ends. The next room clears the floor, and this room with it.
  if (m_gift) {
    if (CRSControlWindow* root = m_host->GetRootWindow()) root->Close();
    return;
  }
  m_host->GoHome();
}

std::string CPuzzlePlayRoom::MakeCaption() const {
  std::string caption;
  if (m_puzzle->IsSurprise()) {
    caption = "This is a surprise";
  } else {
    caption = m_puzzle->GetTitle().empty() ? m_puzzle->GetName() : m_puzzle->GetTitle();
  }
  if (m_cutImage) {
    char size[48];
    std::snprintf(size, sizeof size, " (%d x %d)", m_cutImage->GetWidth(), m_cutImage->GetHeight());
    caption += size;
  }
  return caption;
}

CRSControlWindow* CPuzzlePlayRoom::GetMenu() const { return m_menu ? m_menu->GetWindow() : nullptr; }

CRSControlWindow* CPuzzlePlayRoom::AsWindow(const CRSWeakRef<CRSCanvasItem>& ref) {
  return dynamic_cast<CRSControlWindow*>(ref.get());
}

void CPuzzlePlayRoom::UpdateCaption() { m_host->SetCaption(MakeCaption()); }

void CPuzzlePlayRoom::SetCurrentItem(CRSCanvasItem* item) { m_current.Assign(item); }

CRSCanvasImage* CPuzzlePlayRoom::GetGhost() const { return m_pictures ? m_pictures->GetGhost() : nullptr; }

CRSControlWindow* CPuzzlePlayRoom::GetPreview() const { return m_pictures ? m_pictures->GetPreview() : nullptr; }

void CPuzzlePlayRoom::OnPieceRaised(CRSCanvasItem* item) {
  // A group reports itself through each of its pieces: the group is what
  // the player holds.
  if (auto* piece = dynamic_cast<CPuzzlePiece*>(item)) {
    if (auto* group = dynamic_cast<CRSCanvasGroup*>(piece->GetParent())) item = group;
  }
  SetCurrentItem(item);
  // Raised, it lies above every window until it is put down.
  if (m_table) {
    m_table->Lift(item);
    m_table->Hold(item);
  }
}

void CPuzzlePlayRoom::OnPieceLowered(CRSCanvasItem* item) {
  if (m_table) {
    m_table->Settle(item);
    m_table->GetHistory().RequestCommit();
  }
  if (m_overview) m_overview->OnPiecesMoved();
  if (platform::IsReporting() && !m_building) ReportPieces();
}

void CPuzzlePlayRoom::OnFloorClearing() {
  KillAllTimers();
  if (m_clock) m_clock->Stop();
  if (m_open) SaveAndRecord();
}

void CPuzzlePlayRoom::StoreTable() {
  // A slide still running shows places the pieces have not reached.
  if (m_table) m_table->GetHistory().FinishSlide();
  m_puzzle->SetTableView(MakeTableView());
  m_puzzle->SetTrays(MakeTrayData());
}

void CPuzzlePlayRoom::SaveAndRecord() {
  if (m_saved || !m_cutImage || m_gift || !m_host) return;
  m_saved = true;
  CPuzzleImageData* record = m_host->GetLibrary().FindPuzzleImage(m_name);
  if (!record) return;
  StoreTable();
  const bool saved = m_puzzle->Save();
  if (!saved) platform::ReportLine("play save failed " + m_puzzle->GetName());
  const int percent = std::clamp(m_puzzle->GetPercentCompleted(), 0, 100);
  record->SetPercentCompleted(percent);
  if (percent == 100) record->SetSurprise(false);
  if (saved) platform::ReportLine("play saved " + std::to_string(percent));
}

CRSCanvasShapeText* CPuzzlePlayRoom::GetClockText() const { return m_clock ? m_clock->GetClockText() : nullptr; }

CRSCanvasShapeText* CPuzzlePlayRoom::GetTipText() const { return m_clock ? m_clock->GetTipText() : nullptr; }

namespace {

// Whether a press at a point (root coordinates) reaches an item: what the
// root's hit test answers, which walks every item above the one it finds.
// The walk is taken only where another item's bounds above this one's
// cover the point; elsewhere the item's own test answers. A report of a
// table of thousands of pieces then costs about their number, not its
// square.
class PressReach {
 public:
  explicit PressReach(CRSCanvasItem* root) : m_root(root) {}

  bool Reaches(CRSCanvasItem* item, const PointF& point) {
    for (CRSCanvasItem* level = item; level != m_root;) {
      CRSCanvasItem* parent = level->GetParentItem();
      if (!parent) break;
      // The walk from the root only goes down through items that hold the
      // point themselves.
      if (!Holds(parent, point)) return false;
      const std::vector<CRSCanvasItem*>& siblings = parent->GetChildItems();
      const std::vector<RectF>& boxes = BoxesOf(parent);
      const auto at = std::find(siblings.begin(), siblings.end(), level);
      for (auto it = at == siblings.end() ? at : at + 1; it != siblings.end(); ++it)
        if ((*it)->IsVisible() && boxes[static_cast<std::size_t>(it - siblings.begin())].Contains(point))
          return m_root->HitTest(point) == item;
      level = parent;
    }
    PointF local;
    if (!ToLocal(item, point, &local)) return m_root->HitTest(point) == item;
    return item->HitTest(local) == item;
  }

 private:
  static bool ToLocal(CRSCanvasItem* item, const PointF& point, PointF* local) {
    Gdiplus::Matrix toItem = item->GetTransformTo(nullptr);
    if (toItem.Invert() != Gdiplus::Ok) return false;
    *local = point;
    toItem.TransformPoints(local);
    return true;
  }

  // As the hit test asks each item on its way down.
  static bool Holds(CRSCanvasItem* item, const PointF& point) {
    PointF local;
    if (!item->IsVisible() || !ToLocal(item, point, &local)) return false;
    return item->GetLocalRect().Contains(local) || item->ContainsPoint(local);
  }

  // The bounds in root coordinates of each child of parent, in its order.
  const std::vector<RectF>& BoxesOf(CRSCanvasItem* parent) {
    auto [it, added] = m_boxes.try_emplace(parent);
    if (added)
      for (CRSCanvasItem* child : parent->GetChildItems()) it->second.push_back(child->GetBoundsIn(nullptr));
    return it->second;
  }

  CRSCanvasItem* m_root;
  std::unordered_map<const CRSCanvasItem*, std::vector<RectF>> m_boxes;
};

}  // namespace

void CPuzzlePlayRoom::ReportPieces() const {
  if (!platform::IsReporting()) return;
  std::map<const CRSCanvasItem*, int> groups;
  CRSCanvasItem* root = nullptr;
  std::optional<PressReach> reach;
  std::vector<std::string> lines;
  lines.reserve(m_pieces.size() + 1);
  for (const auto& ref : m_pieces) {
    CPuzzlePiece* piece = ref.get();
    if (!piece) continue;
    CRSCanvasItem* top = piece;
    if (auto* group = dynamic_cast<CPuzzleGroup*>(piece->GetParent())) top = group;
    if (!root) {
      root = piece->GetRootItem();
      reach.emplace(root);
    }
    const int group = groups.emplace(top, static_cast<int>(groups.size())).first->second;
    // The anchor is the middle of the piece's cell: a press there takes
    // the piece, unless something lies over it ("free" says which).
    const PointF centre = piece->MapToAncestor(piece->GetAnchor(), nullptr);
    const bool free = reach->Reaches(top, centre);
    const RectF box = top->GetBoundsIn(nullptr);
    const Size grid = m_puzzle->GetCutter().GetGridSize();
    const int index = static_cast<int>(&ref - m_pieces.data());
    char line[240];
    std::snprintf(line, sizeof line, "piece %d %d group %d centre %.1f %.1f angle %.0f free %d box %.1f %.1f %.1f %.1f",
                  index % std::max(1, grid.Width), index / std::max(1, grid.Width), group,
                  static_cast<double>(centre.X), static_cast<double>(centre.Y),
                  static_cast<double>(CRSCanvasItem::NormalizeAngle(CPuzzlePiece::TotalAngle(piece))), free ? 1 : 0,
                  static_cast<double>(box.X), static_cast<double>(box.Y), static_cast<double>(box.Width),
                  static_cast<double>(box.Height));
    lines.emplace_back(line);
  }
  platform::ReportLines(lines);
  platform::ReportLine("pieces reported " + std::to_string(groups.size()) + " groups");
  ReportTrays();
}
