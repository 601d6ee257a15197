// Building the pieces: bevelled edges, the pieces made row by row while a
// progress window fills, the silent first connect pass, and the hand-over of
// the finished pieces to the floor, and the neighbour links of the grid.

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "data/puzzle_data.h"
#include "data/room_host.h"
#include "play/bevel.h"
#include "play/piece.h"
#include "play/piece_scatter.h"
#include "play/play_clock.h"
#include "play/play_preview.h"
#include "play/play_room.h"
#include "play/table.h"
#include "play/tray.h"
#include "platform/clock.h"
#include "platform/graphics.h"
#include "platform/message_loop.h"
#include "platform/messages.h"
#include "platform/pen.h"
#include "platform/report.h"

namespace {

constexpr float kTemporaryContainerSide = 100000.0f;
constexpr int kCentred = CBehaviourAlign::kCentre;
constexpr int kFillBoth = CBehaviourSize::kWidth | CBehaviourSize::kHeight;
// How often the build lets the window paint its progress and answer, once
// it has taken long enough for a player to wait: a puzzle built in less
// than kBuildQuietMs shows its pieces without a progress window first,
// whose frame would cost as much as a fifth of the build.
constexpr std::uint32_t kBuildPumpMs = 30;
constexpr std::uint32_t kBuildQuietMs = 150;

// While a large puzzle is built the window must still be painted and must
// still answer the window manager, but nothing may act on the half-built
// room: input is dropped, and every other message (timers, queued events,
// a request to close) waits until the build is over and is then posted
// again in its order.
class CBuildPump : public platform::MessageFilter {
 public:
  CBuildPump() : m_loop(platform::MessageLoop::Current()) {
    if (m_loop) m_loop->AddMessageFilter(this);
  }
  ~CBuildPump() override {
    if (m_loop) m_loop->RemoveMessageFilter(this);
    for (const platform::Message& msg : m_deferred) platform::PostMessage(msg.target, msg.message, msg.wParam, msg.lParam);
  }
  CBuildPump(const CBuildPump&) = delete;
  CBuildPump& operator=(const CBuildPump&) = delete;

  void Pump() {
    if (m_loop && !m_quit) m_quit = !m_loop->PumpMessages(0);
  }

  bool PreTranslateMessage(platform::Message& msg) override {
    switch (msg.message) {
      case platform::kMsgPaint:
      case platform::kMsgSize:
      case platform::kMsgSetFocus:
      case platform::kMsgKillFocus:
        return false;
      default:
        break;
    }
    const bool input = (msg.message >= platform::kMsgKeyDown && msg.message <= platform::kMsgSysKeyUp) ||
                       (msg.message >= platform::kMsgMouseMove && msg.message <= platform::kMsgMouseWheel) ||
                       msg.message == platform::kMsgMouseLeave || msg.message == platform::kMsgNcMouseMove;
    if (!input) m_deferred.push_back(msg);
    return true;
  }

 private:
  platform::MessageLoop* m_loop;
  std::vector<platform::Message> m_deferred;
  bool m_quit = false;
};

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> CPuzzlePlayRoom::MakeBevelledPicture() const {
  return ::MakeBevelledPicture(*m_cutImage, m_puzzle->GetCutter(), m_puzzle->GetSizeScale(),
                               BevelThreadCount(m_cutImage->GetHeight()));
}

void CPuzzlePlayRoom::ShowBuildWindow() {
  auto* window = new CRSControlWindow(PointF(), m_host->GetFloor(), "buildWindow", SizeF(320, 35));
  window->SetCaption("Building Puzzle ...");
  window->SetCloseButton(false);
  window->SetZOrder(CPlayClock::kClockZOrder);
  (new CBehaviourAlign(window, CBehaviourAlign::kKeepInside | kCentred))->Align();
  auto* bar = new CRSProgressBar(PointF(), window->GetClientArea(), "progressBar");
  new CBehaviourAlign(bar, kCentred);
  auto* fill = new CBehaviourSize(bar, PointF(1, 1), kFillBoth);
  fill->SetMargins(10, 10);
  fill->Update();
  m_buildWindow.Assign(static_cast<CRSCanvasItem*>(window));
  m_progressBar.Assign(bar);
  platform::ReportLine("play building");
}

void CPuzzlePlayRoom::ShowBuildProgress(int percent) {
  CRSProgressBar* bar = m_progressBar.get();
  if (!bar || bar->GetValue() == percent) return;
  bar->SetValue(percent);
  bar->UpdateNow();
}

void CPuzzlePlayRoom::CloseBuildWindow() {
  if (CRSControlWindow* window = GetBuildWindow()) {
    window->SetVisible(false);
    window->Close();
  }
  m_buildWindow.Release();
  m_progressBar.Release();
}

bool CPuzzlePlayRoom::BuildPieces() {
  CRSCanvasItem* surface = m_table ? m_table->GetSurface() : nullptr;
  std::unique_ptr<Gdiplus::Bitmap> bevelled = MakeBevelledPicture();
  if (!surface || !bevelled) return false;

  // The pieces are made in a container that stands alone, so that building
  // thousands of them repaints nothing but the progress window, and are
  // then handed to the table's surface. New pieces are scattered over the
  // table; a restored game is built in a container far larger than any
  // table.
  const bool restored = !m_puzzle->GetPieces().empty();
  CRSAutoPtrPolymorphic<CRSCanvasItem> container = new CRSCanvasItem(PointF(), nullptr, "buildContainer");
  if (restored) {
    container->SetSize(SizeF(kTemporaryContainerSide, kTemporaryContainerSide));
  } else {
    const SizeF table = m_table->GetSize();
    container->SetSize(SizeF(std::max(static_cast<float>(m_cutImage->GetWidth()), table.Width),
                             std::max(static_cast<float>(m_cutImage->GetHeight()), table.Height)));
  }

  if (!m_puzzle->IsSurprise() && m_pictures) {
    if (CRSCanvasImage* ghost = m_pictures->CreateGhost(surface)) ghost->SetVisible(true);
  }
  ShowBuildWindow();
  m_building = true;

  const Size grid = m_puzzle->GetCutter().GetGridSize();
  const int columns = grid.Width, rows = grid.Height;
  bool complete = true;
  // Pieces a saved game lacks; see below.
  std::vector<CPuzzlePiece*> unsaved;
  {
    CBuildPump pump;
    const std::uint32_t buildStart = platform::GetTickCount();
    std::uint32_t lastPump = buildStart - kBuildPumpMs;
    m_pieces.clear();
    m_pieces.reserve(static_cast<std::size_t>(m_pieceCount));
    // Cutting the pieces out is most of their making and needs nothing of
    // the canvas: it runs on as many threads as the bevel did.
    std::vector<CPuzzleCutter::PieceImage> images =
        m_puzzle->GetCutter().GetPieceImages(*bevelled, BevelThreadCount(m_cutImage->GetHeight()));
    complete = images.size() == static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    for (int r = 0; r < rows && complete; ++r) {
      for (int c = 0; c < columns; ++c) {
        const bool saved = m_puzzle->GetPieceData(c, r) != nullptr;
        CPuzzlePiece* piece = m_puzzle->CreatePieceItem(
            container.get(), c, r, std::move(images[static_cast<std::size_t>(r * columns + c)]));
        if (!piece) {
          complete = false;
          break;
        }
        if (restored && !saved) unsaved.push_back(piece);
        // The glow is made when it is first switched on (Neighbour does):
        // made for every piece now, thousands of images would wait unseen.
        piece->GetSolvedSignal()->connect(this, &CPuzzlePlayRoom::OnSolved);
        const std::size_t index = static_cast<std::size_t>(r * columns + c);
        LinkPiece(piece, c > 0 ? m_pieces[index - 1].get() : nullptr,
                  r > 0 ? m_pieces[index - static_cast<std::size_t>(columns)].get() : nullptr, c == columns - 1,
                  r == rows - 1);
        if (auto* raiseable = CBehaviourRaiseable::GetOrCreate(piece)) {
          raiseable->sigRaised.connect(this, &CPuzzlePlayRoom::OnPieceRaised);
          raiseable->sigLowered.connect(this, &CPuzzlePlayRoom::OnPieceLowered);
        }
        m_pieces.emplace_back(piece);
        // The bar moves and the window answers a few dozen times a second,
        // not for every piece: a repaint and a look at the message queue
        // per piece cost as much as making the pieces.
        const std::uint32_t now = platform::GetTickCount();
        if (now - buildStart >= kBuildQuietMs && now - lastPump >= kBuildPumpMs) {
          ShowBuildProgress(static_cast<int>(100 * (index + 1) / static_cast<std::size_t>(m_pieceCount)));
          pump.Pump();
          lastPump = platform::GetTickCount();
        }
      }
    }
  }
  if (!complete) {
    CloseBuildWindow();
    m_building = false;
    m_pieces.clear();
    container.ResetWithDeletion();
    if (CRSCanvasImage* ghost = GetGhost()) ghost->Delete();
    return false;
  }

  // Pieces set aside in trays go back into them before anything joins, so
  // that only pieces lying together can join.
  RestoreTrays();
  m_table->SetPieces(&m_pieces, columns);
  m_table->SetPictureSize(SizeF(static_cast<float>(m_cutImage->GetWidth()), static_cast<float>(m_cutImage->GetHeight())));
  {
    // Saved places come back exactly, also those beyond the floor's edges
    // (a larger window saved them, or a group reaching out): nothing is
    // aligned until the player moves a piece or the window changes size.
    CBehaviourAlign::Hold hold;
    // Pieces restored in their solved places beside each other join their
    // groups now, silently: this is the test itself, not the put-down
    // handler that plays the connect sound.
    for (const auto& ref : m_pieces) {
      CPuzzlePiece* piece = ref.get();
      if (!piece) continue;
      piece->TryConnect();
      new CBehaviourAlign(piece, CBehaviourAlign::kKeepInside);
    }
    ShowBuildProgress(100);
    CloseBuildWindow();
    m_building = false;
    HandOver(*container, *surface);
  }
  container.ResetWithDeletion();
  for (CPuzzleTray* tray : m_table->GetTrays()) tray->KeepItemsInView();
  // A piece the saved game lacks was scattered over the container, far
  // beyond the table: it is scattered again over the table.
  for (CPuzzlePiece* piece : unsaved)
    if (piece->GetParentItem() == surface) PlaceRandomly(piece);
  if (CRSCanvasImage* ghost = GetGhost()) ghost->SetVisible(false);
  return true;
}

void CPuzzlePlayRoom::HandOver(CRSCanvasItem& container, CRSCanvasItem& surface) {
  // Every shadow follows the container's signals. Cut in one sweep, they
  // need not be searched for among thousands, once per piece, as each
  // piece leaves.
  container.sigGeometryChanged.disconnect_all();
  container.sigParentChanged.disconnect_all();
  container.sigResized.disconnect_all();
  container.sigVisibleChanged.disconnect_all();
  container.sigMinSizeChanged.disconnect_all();
  container.sigZOrderChanged.disconnect_all();
  container.sigContentChanged.disconnect_all();
  // Container and surface measure the table alike: local places stay as
  // they are. The container's list is in z-order, so each shadow stays
  // under its piece.
  container.MoveChildrenTo(&surface);
}

void CPuzzlePlayRoom::LinkPiece(CPuzzlePiece* piece, CPuzzlePiece* left, CPuzzlePiece* above, bool lastColumn,
                                bool lastRow) {
  if (!piece) return;
  if (!lastColumn) piece->AddNeighbourSlot(CPuzzlePiece::kRight);
  if (!lastRow) piece->AddNeighbourSlot(CPuzzlePiece::kBelow);
  if (left) piece->LinkNeighbour(left, CPuzzlePiece::kRight);
  if (above) piece->LinkNeighbour(above, CPuzzlePiece::kBelow);
}

void CPuzzlePlayRoom::LinkPieceGrid(const std::vector<CPuzzlePiece*>& pieces, int columns) {
  if (columns <= 0) return;
  const int count = static_cast<int>(pieces.size());
  const int rows = (count + columns - 1) / columns;
  for (int i = 0; i < count; ++i) {
    const int c = i % columns, r = i / columns;
    LinkPiece(pieces[static_cast<std::size_t>(i)], c > 0 ? pieces[static_cast<std::size_t>(i - 1)] : nullptr,
              r > 0 ? pieces[static_cast<std::size_t>(i - columns)] : nullptr, c == columns - 1, r == rows - 1);
  }
}

std::vector<CPuzzlePiece*> CPuzzlePlayRoom::CreateLinkedPieces(CPuzzleData& puzzle, CRSCanvasItem* parent,
                                                               const Gdiplus::Bitmap& cut) {
  const Size grid = puzzle.GetCutter().GetGridSize();
  std::vector<CPuzzlePiece*> pieces;
  for (int r = 0; r < grid.Height; ++r)
    for (int c = 0; c < grid.Width; ++c) {
      CPuzzlePiece* piece = puzzle.CreatePieceItem(parent, c, r, cut);
      if (!piece) return {};
      pieces.push_back(piece);
    }
  LinkPieceGrid(pieces, grid.Width);
  return pieces;
}
