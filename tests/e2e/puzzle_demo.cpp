// A small program of the project that plays one puzzle in a real window:
// it cuts a generated picture (or restores the saved game), lets the pieces
// be dragged and joined with the mouse, and keeps a plain-text report of
// where every piece is, the progress and what happened, for the end-to-end
// test to read. The puzzle is saved when the program is asked to stop.
//
//   tandrill_puzzle_demo FOLDER REPORT [COLUMNS ROWS PIECE_SIZE WIDTH HEIGHT]

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "canvas/behaviours.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/items.h"
#include "canvas/timer.h"
#include "canvas/view.h"
#include "data/puzzle_data.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/play_room.h"
#include "platform/files.h"
#include "platform/message_loop.h"
#include "platform/random.h"

namespace {

std::shared_ptr<Gdiplus::Bitmap> MakePicture(int width, int height) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(width, height, PixelFormat::Format24bppRGB);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned r = 255u * static_cast<unsigned>(x) / static_cast<unsigned>(width);
      const unsigned g = 255u * static_cast<unsigned>(y) / static_cast<unsigned>(height);
      const unsigned b = ((x / 20 + y / 20) % 2) ? 200u : 60u;
      picture->SetPixel(x, y, 0xFF000000u | r << 16 | g << 8 | b);
    }
  return picture;
}

long PeakMemoryKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

class Demo : public CRSTimer, public sigslot::has_slots {
 public:
  Demo(std::string report, CPuzzleData& puzzle) : m_report(std::move(report)), m_puzzle(puzzle) {}

  void Build(CRSCanvasItem* root, const Gdiplus::Bitmap& cut) {
    m_root = root;
    const Size grid = m_puzzle.GetCutter().GetGridSize();
    m_pieces = CPuzzlePlayRoom::CreateLinkedPieces(m_puzzle, root, cut);
    for (std::size_t i = 0; i < m_pieces.size(); ++i) {
      CPuzzlePiece* piece = m_pieces[i];
      piece->GetSolvedSignal()->connect(this, &Demo::OnSolved);
      piece->sigConnectSound.connect(this, &Demo::OnConnectSound);
      m_cells[piece] = {static_cast<int>(i) % grid.Width, static_cast<int>(i) / grid.Width};
    }
    // The build-time pass: restored pieces join their groups, silently.
    for (CPuzzlePiece* piece : m_pieces) {
      piece->TryConnect();
      new CBehaviourAlign(piece, CBehaviourAlign::kKeepInside);
    }
    m_events.push_back("built");
  }

  void OnTimer(int, unsigned) override { WriteReport(); }

  void WriteReport() {
    std::ostringstream out;
    if (m_view) {
      const Rect window = m_view->GetWindow()->GetWindowRect();
      out << "window " << window.X << ' ' << window.Y << ' ' << window.Width << ' ' << window.Height << '\n';
    }
    out << "percent " << m_puzzle.GetPercentCompleted() << '\n';
    out << "distance " << m_pieces.front()->GetNeighbourDistance() << '\n';
    std::map<const CRSCanvasItem*, int> groups;
    for (CPuzzlePiece* piece : m_pieces) {
      CRSCanvasItem* top = piece;
      if (auto* group = dynamic_cast<CPuzzleGroup*>(piece->GetParent())) top = group;
      const int group = groups.emplace(top, static_cast<int>(groups.size())).first->second;
      const PointF anchor = piece->MapToAncestor(piece->GetAnchor(), nullptr);
      const RectF box = top->GetBoundsIn(m_root);
      // Whether a press on the anchor reaches this piece (or its group)
      // rather than something lying over it.
      const CRSCanvasItem* hit = m_root->HitTest(anchor);
      const bool free = hit == top;
      const auto [c, r] = m_cells[piece];
      char line[200];
      std::snprintf(line, sizeof line, "piece %d %d group %d anchor %.2f %.2f angle %.1f free %d box %.1f %.1f %.1f %.1f\n",
                    c, r, group, static_cast<double>(anchor.X), static_cast<double>(anchor.Y),
                    static_cast<double>(CPuzzlePiece::NormalizeAngle(CPuzzlePiece::TotalAngle(piece))), free ? 1 : 0,
                    static_cast<double>(box.X), static_cast<double>(box.Y), static_cast<double>(box.Width),
                    static_cast<double>(box.Height));
      out << line;
    }
    out << "memory-kib " << PeakMemoryKiB() << '\n';
    for (std::size_t i = 0; i < m_events.size(); ++i) out << "event " << i << ' ' << m_events[i] << '\n';
    const std::string text = out.str();
    if (text == m_written) return;
    if (platform::WriteFileAtomically(m_report, text)) m_written = text;
  }

  void SetView(CRSCanvasView* view) { m_view = view; }

 private:
  void OnSolved() { m_events.push_back("solved"); }
  void OnConnectSound(CPuzzlePiece*) { m_events.push_back("connect-sound"); }

  std::string m_report;
  CPuzzleData& m_puzzle;
  CRSCanvasItem* m_root = nullptr;
  CRSCanvasView* m_view = nullptr;
  std::vector<CPuzzlePiece*> m_pieces;
  std::map<const CPuzzlePiece*, std::pair<int, int>> m_cells;
  std::vector<std::string> m_events;
  std::string m_written;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FOLDER REPORT [COLUMNS ROWS PIECE_SIZE WIDTH HEIGHT]\n", argv[0]);
    return 2;
  }
  const int columns = argc > 3 ? std::atoi(argv[3]) : 4;
  const int rows = argc > 4 ? std::atoi(argv[4]) : 3;
  const int pieceSize = argc > 5 ? std::atoi(argv[5]) : 80;
  const int width = argc > 6 ? std::atoi(argv[6]) : 900;
  const int height = argc > 7 ? std::atoi(argv[7]) : 650;
  if (!platform::InitialiseMessaging()) return 1;
  CRSEventDispatcher::Create();
  CRSGlobalEvents::Get();
  CRSTimerStatic::Create();
  platform::SeedRand(12345);
  platform::MessageLoop loop;

  CPuzzleData::SetPuzzleFolder(argv[1]);
  CPuzzleData puzzle("demo");
  if (!puzzle.Load()) {
    CPuzzleData fresh("demo");
    fresh.SetPicture(MakePicture(columns * pieceSize, rows * pieceSize));
    fresh.GetCutter().SetPieceSize(pieceSize);
    fresh.SetTitle("Demo");
    if (!fresh.Save() || !puzzle.Load()) {
      std::fprintf(stderr, "could not make the puzzle in %s\n", argv[1]);
      return 1;
    }
  }
  std::unique_ptr<Gdiplus::Bitmap> cut = puzzle.GetCutter().GetCutImage(*puzzle.GetPicture());
  if (!cut) return 1;

  {
    CRSCanvasView view;
    if (!view.Create("puzzle demo")) return 1;
    view.SetMainWindow(true);
    auto* root = new CRSCanvasItem(PointF(), nullptr, "root");
    root->SetSize(SizeF(static_cast<float>(width), static_cast<float>(height)));
    Demo demo(argv[2], puzzle);
    demo.Build(root, *cut);
    view.SetBackgroundColor(0xFF305030);
    view.SetRoot(root);
    view.GetWindow()->MoveTo(0, 0);
    view.GetWindow()->Show();
    demo.SetView(&view);
    demo.SetTimer(1, 50);
    loop.Run();
    demo.KillTimer(1);
    puzzle.Save();
    demo.WriteReport();
    view.SetRoot(nullptr);
  }
  DiscardEvents();
  return 0;
}
