#include "app/puzzle_view.h"

#include <cmath>

#include "app/puzzle_canvas.h"
#include "platform/messages.h"
#include "platform/report.h"
#include "platform/window.h"

CPuzzleView::CPuzzleView() = default;
CPuzzleView::~CPuzzleView() { EndRoot(); }

void CPuzzleView::EndRoot() {
  // The root is ended explicitly, not by letting go: its destruction ends
  // the room and writes the library, and that must happen now whichever way
  // the program ends (Quit, Alt+F4, the system asking the program to stop),
  // even while one of its own dialogs still holds a reference to it.
  if (CPuzzleCanvas* canvas = m_canvas.get()) {
    m_canvas = nullptr;
    canvas->Delete();
  }
}

void CPuzzleView::PaintTo(const Rect& invalid) {
  if (m_firstRoomPending) return;
  CRSCanvasView::PaintTo(invalid);
  // Tests and the start-up benchmark wait for the first frame that shows a
  // room; the benchmarks that drive the game wait for the frame that
  // follows a key or a pointer move.
  if (!platform::IsReporting() || !m_canvas || !m_canvas->GetCurrentRoom()) return;
  platform::ReportLine(m_firstFrameReported ? "frame" : "first-frame");
  m_firstFrameReported = true;
}

bool CPuzzleView::OnWindowMessage(const platform::Message& msg) {
  if (msg.message == platform::kMsgDestroy) EndRoot();
  if (msg.message == platform::kMsgDropFiles) {
    // The root decides what a dropped file becomes (a gift to play, a
    // picture to cut) and where drops are taken at all.
    const std::string path = GetWindow()->TakeDroppedFile();
    if (CPuzzleCanvas* canvas = m_canvas.get()) canvas->OnFileDropped(path);
    return true;
  }
  return CRSCanvasView::OnWindowMessage(msg);
}

void CPuzzleView::OpenFirstRoom() {
  m_firstRoomPending = false;
  if (CPuzzleCanvas* canvas = m_canvas.get()) canvas->GoHome();
  // What was asked to be painted before now was not.
  if (HasWindow()) GetWindow()->InvalidateAll();
}

CPuzzleCanvas* CPuzzleView::GetPuzzleCanvas() const { return m_canvas.get(); }

void CPuzzleView::OnCreate() {
  // This view's window ends the program when it goes.
  SetMainWindow(true);

  auto* canvas = new CPuzzleCanvas(SizeF(100, 100), nullptr, "");
  m_canvas = canvas;

  canvas->SetCloseButton(true);
  canvas->SetSystemButtons(true);
  canvas->SetFrameMode(CRSFrameMode::kResizable);

  // The largest picture a new puzzle keeps: what the client area of a
  // window as large as the screen holds, less a small margin, counted in the
  // screen's device pixels, so that a dense screen shows its pieces sharp.
  const Size screen = platform::Window::GetScreenSize();
  const float scale = GetDeviceScale();
  const SizeF client = CRSControlStyles::GetCurrent()->GetClientSize(
      SizeF(screen.Width / scale, screen.Height / scale), canvas->GetFrameOptions());
  canvas->SetLargestPictureSize(Size(static_cast<int>(std::lround((client.Width - kPictureMargin) * scale)),
                                     static_cast<int>(std::lround((client.Height - kPictureMargin) * scale))));

  SetRoot(canvas);

  // The first room opens from the message loop, once the window exists.
  m_goHome.connect(this, &CPuzzleView::OpenFirstRoom);
  m_goHome.EmitLater();

  CRSCanvasView::OnCreate();
}
