// Building the pieces: bevelled edges, the pieces made row by row while a
// progress window fills, the silent first connect pass, and the hand-over of
// the finished pieces to the floor.

#include <algorithm>
#include <limits>
#include <system_error>
#include <thread>
#include <vector>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "data/puzzle_data.h"
#include "data/room_host.h"
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
constexpr ARGB kLightBevel = 0x33FFFFFF;
constexpr float kLightBevelWidth = 2.5f;
constexpr ARGB kDarkBevel = 0x40000000;
constexpr float kDarkBevelWidth = 3.5f;
constexpr std::size_t kEdgesPerStroke = 48;
constexpr int kMaxBevelThreads = 4;
// The pens' own mitre limit, named because it bounds how far a line reaches.
constexpr float kBevelMiterLimit = 10.0f;
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

// The edge's polyline without the points that lie closer than a fraction
// of a pixel to the last one kept: the cutter flattens its curves finely
// enough to cut pixels exactly, far more finely than a soft line of two or
// three pixels needs, and stroking cost grows with every point.
void Thin(const std::vector<PointF>& in, std::vector<PointF>& out) {
  constexpr float kMinStep = 3.0f;
  out.clear();
  out.push_back(in.front());
  for (std::size_t i = 1; i + 1 < in.size(); ++i) {
    const float dx = in[i].X - out.back().X, dy = in[i].Y - out.back().Y;
    if (dx * dx + dy * dy >= kMinStep * kMinStep) out.push_back(in[i]);
  }
  out.push_back(in.back());
}

// A light line below and right of every cut and a dark one above and left
// of it: each piece shows a raised edge. The shifts are in the cut's own
// units, so they scale with the puzzle.
struct BevelLine {
  ARGB colour;
  float width;
  float shift;
};
constexpr BevelLine kBevelLines[] = {{kLightBevel, kLightBevelWidth, 2.0f}, {kDarkBevel, kDarkBevelWidth, -1.0f}};

// The edges are stroked a few dozen at a time: one stroke of the whole
// outline makes the drawing library work on a single enormous polygon, and
// a stroke per edge pays its fixed cost thousands of times. Where two
// edges of one batch overlap (at the grid points) they are blended once,
// where they belong to different batches twice, so the batches are part of
// the look and every band below forms exactly the same ones.
struct BevelBatch {
  std::vector<std::vector<PointF>> polylines;
  float top = std::numeric_limits<float>::max();
  float bottom = std::numeric_limits<float>::lowest();
};

std::vector<BevelBatch> MakeBevelBatches(const std::vector<CutterEdgePtr>& edges) {
  std::vector<BevelBatch> batches;
  std::vector<PointF> thinned;
  for (const CutterEdgePtr& edge : edges) {
    const std::vector<PointF>& polyline = edge->GetPolyline();
    if (polyline.size() < 2) continue;
    if (batches.empty() || batches.back().polylines.size() == kEdgesPerStroke) batches.emplace_back();
    BevelBatch& batch = batches.back();
    Thin(polyline, thinned);
    for (const PointF& p : thinned) {
      batch.top = std::min(batch.top, p.Y);
      batch.bottom = std::max(batch.bottom, p.Y);
    }
    batch.polylines.push_back(thinned);
  }
  return batches;
}

// Strokes the batches that reach the band: `band` shows the rows from `top`
// down of the picture being bevelled. The drawing library rasterises each
// pixel row the same whether the rest of the picture is there or not, so
// the bands together are exactly the picture stroked whole.
void StrokeBevelBand(Gdiplus::Bitmap& band, int top, float scale, const std::vector<BevelBatch>& batches) {
  Gdiplus::Graphics g(&band);
  if (!g.IsValid()) return;
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const float bandTop = static_cast<float>(top), bandBottom = static_cast<float>(top + band.GetHeight());
  for (const BevelLine& line : kBevelLines) {
    Gdiplus::Pen pen(Gdiplus::Color(line.colour), line.width);
    pen.SetMiterLimit(kBevelMiterLimit);
    g.ResetTransform();
    g.TranslateTransform(0.0f, -bandTop);
    g.ScaleTransform(scale, scale);
    g.TranslateTransform(line.shift, line.shift);
    // A line reaches no further from its points than its longest mitre
    // (half its width times the mitre limit), plus a pixel of soft edge.
    const float reach = 0.5f * line.width * kBevelMiterLimit;
    for (const BevelBatch& batch : batches) {
      if ((batch.bottom + line.shift + reach) * scale + 2.0f < bandTop ||
          (batch.top + line.shift - reach) * scale - 2.0f > bandBottom)
        continue;
      Gdiplus::GraphicsPath path;
      for (const std::vector<PointF>& points : batch.polylines) {
        path.StartFigure();
        path.AddLines(points.data(), static_cast<int>(points.size()));
      }
      g.DrawPath(&pen, &path);
    }
  }
  g.Flush();
}

// Rows per band below which a thread of its own does not pay.
constexpr int kMinBandRows = 256;

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> CPuzzlePlayRoom::MakeBevelledPicture() const {
  std::unique_ptr<Gdiplus::Bitmap> copy = m_cutImage->Clone();
  if (!copy) return copy;
  const float scale = m_puzzle->GetSizeScale();
  // The edges are read here, before any thread starts: they work out their
  // outlines when first asked.
  const std::vector<BevelBatch> batches = MakeBevelBatches(m_puzzle->GetCutter().GetCutEdges());
  // Stroking thousands of soft lines is the largest part of opening a big
  // puzzle, and it splits cleanly into bands of rows, one per processor.
  const int height = copy->GetHeight();
  const int bands = std::clamp(std::min(static_cast<int>(std::thread::hardware_concurrency()), height / kMinBandRows), 1,
                               kMaxBevelThreads);
  std::vector<std::unique_ptr<Gdiplus::Bitmap>> views;
  std::vector<int> tops;
  for (int b = 0; b < bands; ++b) {
    const int top = height * b / bands, bottom = height * (b + 1) / bands;
    std::unique_ptr<Gdiplus::Bitmap> view = copy->ViewOfRows(top, bottom - top);
    if (!view) return copy;
    views.push_back(std::move(view));
    tops.push_back(top);
  }
  std::vector<std::thread> workers;
  for (int b = 1; b < bands; ++b) {
    Gdiplus::Bitmap& view = *views[static_cast<std::size_t>(b)];
    const int top = tops[static_cast<std::size_t>(b)];
    try {
      workers.emplace_back([&view, top, scale, &batches] { StrokeBevelBand(view, top, scale, batches); });
    } catch (const std::system_error&) {
      // No thread to be had: the band is stroked here instead.
      StrokeBevelBand(view, top, scale, batches);
    }
  }
  StrokeBevelBand(*views.front(), 0, scale, batches);
  for (std::thread& worker : workers) worker.join();
  views.clear();
  copy->MarkDirty();
  return copy;
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
