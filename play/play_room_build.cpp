// Building the pieces: bevelled edges, the pieces made row by row while a
// progress window fills, the silent first connect pass, and the hand-over of
// the finished pieces to the floor.

#include <algorithm>
#include <vector>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "data/puzzle_data.h"
#include "data/room_host.h"
#include "play/bevel.h"
#include "play/piece.h"
#include "play/play_area.h"
#include "play/play_room.h"
#include "platform/graphics.h"
#include "platform/message_loop.h"
#include "platform/messages.h"
#include "platform/pen.h"
#include "platform/report.h"

namespace {

constexpr float kTemporaryAreaSide = 100000.0f;
constexpr int kCentred = CBehaviourAlign::kCentre;
constexpr int kFillBoth = CBehaviourSize::kWidth | CBehaviourSize::kHeight;

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
  window->SetZOrder(kClockZOrder);
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
  CRSCanvasItem* floor = m_host->GetFloor();
  std::unique_ptr<Gdiplus::Bitmap> bevelled = MakeBevelledPicture();
  if (!floor || !bevelled) return false;

  // New pieces are scattered over the larger of the picture and the floor;
  // restored ones keep their saved places, however far out they lie, until
  // the area fills the floor and keeps them inside. The area stands alone
  // while it fills, so building repaints nothing but the progress window.
  const bool restored = !m_puzzle->GetPieces().empty();
  CRSAutoPtrPolymorphic<CPuzzlePlayArea> area = new CPuzzlePlayArea(nullptr);
  if (restored) {
    area->SetSize(SizeF(kTemporaryAreaSide, kTemporaryAreaSide));
  } else {
    area->SetSize(SizeF(std::max(static_cast<float>(m_cutImage->GetWidth()), floor->GetSize().Width),
                        std::max(static_cast<float>(m_cutImage->GetHeight()), floor->GetSize().Height)));
  }
  m_playArea.Assign(area.get());

  if (!m_puzzle->IsSurprise()) {
    CreateGhost();
    if (CRSCanvasImage* ghost = m_ghost.get()) ghost->SetVisible(true);
  }
  ShowBuildWindow();
  m_building = true;

  const Size grid = m_puzzle->GetCutter().GetGridSize();
  const int columns = grid.Width, rows = grid.Height;
  bool complete = true;
  {
    CBuildPump pump;
    m_pieces.clear();
    m_pieces.reserve(static_cast<std::size_t>(m_pieceCount));
    for (int r = 0; r < rows && complete; ++r) {
      for (int c = 0; c < columns; ++c) {
        CPuzzlePiece* piece = m_puzzle->CreatePieceItem(area.get(), c, r, *bevelled);
        if (!piece) {
          complete = false;
          break;
        }
        // The glow is made when it is first switched on (Neighbour does):
        // made for every piece now, thousands of images would wait unseen.
        piece->GetSolvedSignal()->connect(this, &CPuzzlePlayRoom::OnSolved);
        if (c < columns - 1) piece->AddNeighbourSlot(CPuzzlePiece::kRight);
        if (r < rows - 1) piece->AddNeighbourSlot(CPuzzlePiece::kBelow);
        const std::size_t index = static_cast<std::size_t>(r * columns + c);
        if (c > 0) piece->LinkNeighbour(m_pieces[index - 1].get(), CPuzzlePiece::kRight);
        if (r > 0) piece->LinkNeighbour(m_pieces[index - static_cast<std::size_t>(columns)].get(), CPuzzlePiece::kBelow);
        if (auto* raiseable = CBehaviourRaiseable::GetOrCreate(piece)) {
          raiseable->sigRaised.connect(this, &CPuzzlePlayRoom::OnPieceRaised);
          raiseable->sigLowered.connect(this, &CPuzzlePlayRoom::OnPieceLowered);
        }
        m_pieces.emplace_back(piece);
        ShowBuildProgress(static_cast<int>(100 * (index + 1) / static_cast<std::size_t>(m_pieceCount)));
        pump.Pump();
      }
    }
    
    if (complete) {
      // Pieces restored in their solved places beside each other join their
      // groups now, silently: this is the test itself, not the put-down
      // handler that plays the connect sound.
      for (const auto& ref : m_pieces) {
        CPuzzlePiece* piece = ref.get();
        if (!piece) continue;
        piece->TryConnect();
        new CBehaviourAlign(piece, CBehaviourAlign::kKeepInside);
      }
    }
  }
  
  ShowBuildProgress(100);
  CloseBuildWindow();
  m_building = false;
  if (!complete) {
    m_pieces.clear();
    area.ResetWithDeletion();
    if (CRSCanvasImage* ghost = m_ghost.get()) ghost->Delete();
    return false;
  }

  // Without this, every shadow and glow would leave the area's signals one
  // by one and join the floor's: thousands of searches through thousands
  // of listeners.
  area->DropListeners(true);
  area->SetParent(floor);
  (new CBehaviourSize(area.get(), PointF(1, 1), kFillBoth))->Update();
  
  if (CRSCanvasImage* ghost = m_ghost.get()) ghost->SetVisible(false);
  return true;
}
