// A small program for the end-to-end test of the canvas: one window with a
// draggable, turnable piece, a hover target and a key handler. It writes what
// it sees to a report file (argv[1]) whenever it is idle, so the test script
// can drive it with real pointer and key events and check the outcome.

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "canvas/behaviours.h"
#include "canvas/event_dispatcher.h"
#include "canvas/events.h"
#include "canvas/global_events.h"
#include "canvas/items.h"
#include "canvas/mouse_leave_dispatcher.h"
#include "canvas/timer.h"
#include "canvas/view.h"
#include "platform/bitmap.h"
#include "platform/brush.h"
#include "platform/clock.h"
#include "platform/graphics_path.h"
#include "platform/message_loop.h"
#include "platform/messages.h"
#include "platform/random.h"
#include "tests/canvas/item_test_support.h"
#include "tests/e2e/demo_report.h"

namespace {

struct DemoState {
  std::string keys;
  int itemLeaves = 0;
  int windowLeaves = 0;
};
DemoState s_state;

// A picture whose left half is red and right half blue, so that a screenshot
// tells which way it has been turned.
std::shared_ptr<Gdiplus::Bitmap> TwoColourPicture(int w, int h) {
  auto bitmap = std::make_shared<Gdiplus::Bitmap>(w, h, PixelFormat::Format32bppARGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bitmap->SetPixel(x, y, x < w / 2 ? 0xFFE02020u : 0xFF2040E0u);
  return bitmap;
}

// Adds itself to the hover list while the pointer is over it and counts the
// leave notices it gets.
class HoverTarget : public CRSCanvasImage {
 public:
  HoverTarget(const PointF& at, CRSCanvasItem* parent)
      : CRSCanvasImage(at, parent, "hover", item_test::SolidPicture(100, 50, 0xFF20C040u)) {}
  void OnMouse(int message, PointF, int, bool* handled) override {
    if (message == static_cast<int>(platform::kMsgMouseMove)) AddHover(this);
    if (message == static_cast<int>(platform::kMsgMouseLeave)) ++s_state.itemLeaves;
    *handled = true;
  }
};

// Sees every key event sent to the root's handler, and every mouse event in
// the window (for the window-leave message).
class InputRecorder : public CRSEventReceiver {
 public:
  int FilterEvent(CRSEventReceiver*, CRSEvents::BasicEvent& e) override {
    if (auto* key = dynamic_cast<CRSCanvasEvents::Key*>(&e)) {
      if (!s_state.keys.empty()) s_state.keys += ",";
      s_state.keys += std::to_string(key->GetMessage()) + ":" + std::to_string(key->m_virtualKey);
    }
    return 3;
  }
  int FilterGlobalEvent(CRSEventReceiver*, CRSEvents::BasicEvent& e) override {
    if (e.GetType() == CRSEvents::kEventMouse && e.GetMessage() == static_cast<int>(platform::kMsgMouseLeave))
      ++s_state.windowLeaves;
    return 3;
  }
};

// Writes the report when the loop goes idle, and every tenth of a second:
// pointer moves do not make the loop idle again, and a window at rest has
// no timer of its own that would.
class ReportWriter : public platform::IdleHandler, public CRSTimer {
 public:
  ReportWriter(std::string path, CRSCanvasView& view, CRSCanvasItem& piece)
      : m_path(std::move(path)), m_view(view), m_piece(&piece) {
    SetTimer(1, 100);
  }
  bool OnIdle() override {
    Write();
    return false;
  }
  void OnTimer(int, unsigned) override { Write(); }
  void Write() {
    std::ostringstream out;
    if (m_view.HasWindow()) {
      const Rect w = m_view.GetWindow()->GetWindowRect();
      out << "window " << w.X << " " << w.Y << " " << w.Width << " " << w.Height << "\n";
    }
    if (CRSCanvasItem* piece = m_piece.get()) {
      const RectF b = piece->GetBoundsIn(nullptr);
      out << "piece-bounds " << b.X << " " << b.Y << " " << b.Width << " " << b.Height << "\n";
      out << "piece-rotation " << piece->GetRotation() << "\n";
    }
    out << "turning " << (CBehaviourRotate90::IsAnyRotationRunning() ? 1 : 0) << "\n";
    out << "keys " << s_state.keys << "\n";
    out << "item-leaves " << s_state.itemLeaves << "\n";
    out << "window-leaves " << s_state.windowLeaves << "\n";
    out << "ready 1\n";
    demo::WriteReportIfChanged(m_path, m_last, out.str());
  }

 private:
  std::string m_path;
  std::string m_last;
  CRSCanvasView& m_view;
  CRSAutoPtrPolymorphic<CRSCanvasItem> m_piece;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s REPORT-FILE\n", argv[0]);
    return 2;
  }
  if (!platform::InitialiseMessaging()) return 1;
  CRSEventDispatcher::Create();
  CRSGlobalEvents::Get();
  CRSTimerStatic::Create();
  CRSMouseLeaveDispatcher::Instance();
  platform::SeedRand(platform::GetTickCount());

  platform::MessageLoop loop;
  CRSCanvasView view;
  if (!view.Create("Canvas demo")) {
    std::fprintf(stderr, "no window\n");
    return 1;
  }
  view.SetMainWindow(true);

  // A rounded outline, which the window takes as its own shape.
  const float w = 800, h = 600, d = 80;
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  path->AddArc(RectF(0, 0, d, d), 180, 90);
  path->AddArc(RectF(w - d, 0, d, d), 270, 90);
  path->AddArc(RectF(w - d, h - d, d, d), 0, 90);
  path->AddArc(RectF(0, h - d, d, d), 90, 90);
  path->CloseFigure();
  auto* root = new CRSCanvasShape(PointF(), nullptr, "root", std::move(path));
  root->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0xFFD8D0C0u)));
  root->SetSize(SizeF(800, 600));

  auto* piece = new CRSCanvasImage(PointF(150, 150), root, "piece", TwoColourPicture(120, 90));
  CBehaviourDrag::GetOrCreate(piece);
  CBehaviourRotate90::GetOrCreate(piece);
  CBehaviourRaiseable::GetOrCreate(piece);
  new HoverTarget(PointF(600, 60), root);

  CRSAutoPtrPolymorphic<InputRecorder> recorder(new InputRecorder());
  AddFilter(CBehaviourMessageHandler::GetOrCreate(root), recorder.get(), CRSEvents::kEventKey);
  AddGlobalListener(recorder.get(), CRSEvents::kEventMouse);

  view.SetRoot(root);
  view.GetWindow()->CenterOnScreen();
  view.GetWindow()->Show();
  view.GetWindow()->SetFocus();

  ReportWriter report(argv[1], view, *piece);
  loop.AddIdleHandler(&report);
  loop.Run();
  loop.RemoveIdleHandler(&report);
  report.Write();
  RemoveGlobalListener(recorder.get(), 0);
  DiscardEvents();
  return 0;
}
