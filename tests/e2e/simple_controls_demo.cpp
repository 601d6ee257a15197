// A small program for the end-to-end test of the simple controls: a text
// field, a check box, a slider, a progress bar that follows the slider and a
// choice list in one window. It writes their state to a report file
// (argv[1]) whenever it is idle, so the script can drive it with real
// pointer and key events and check the outcome.

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/items.h"
#include "canvas/mouse_leave_dispatcher.h"
#include "canvas/timer.h"
#include "canvas/view.h"
#include "platform/brush.h"
#include "platform/message_loop.h"
#include "tests/canvas/item_test_support.h"
#include "tests/e2e/demo_report.h"

namespace {

struct Controls {
  CRSEdit* edit = nullptr;
  CRSCheckBox* check = nullptr;
  CRSSlider* slider = nullptr;
  CRSProgressBar* progress = nullptr;
  CRSMultiChoices* choices = nullptr;
};

// The progress bar shows the slider's value, so one drag moves both.
struct Wiring : sigslot::has_slots {
  CRSProgressBar* progress = nullptr;
  void OnSlider(CRSSlider*, float value) { progress->SetValue(static_cast<int>(value)); }
};

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out.empty() ? "-" : out;
}

void Bounds(std::ostringstream& out, const char* name, CRSCanvasItem* item) {
  const RectF b = item->GetBoundsIn(nullptr);
  out << name << " " << b.X << " " << b.Y << " " << b.Width << " " << b.Height << "\n";
}

class ReportWriter : public platform::IdleHandler {
 public:
  ReportWriter(std::string path, CRSCanvasView& view, const Controls& c) : m_path(std::move(path)), m_view(view), m_c(c) {}
  bool OnIdle() override {
    Write();
    return false;
  }
  void Write() {
    std::ostringstream out;
    if (m_view.HasWindow()) {
      const Rect w = m_view.GetWindow()->GetWindowRect();
      out << "window " << w.X << " " << w.Y << " " << w.Width << " " << w.Height << "\n";
    }
    Bounds(out, "edit-bounds", m_c.edit);
    Bounds(out, "check-bounds", m_c.check);
    Bounds(out, "slider-bounds", m_c.slider);
    Bounds(out, "thumb-bounds", m_c.slider->GetThumbItem());
    Bounds(out, "next-bounds", m_c.choices->GetNextButton());
    out << "edit-text " << Hex(m_c.edit->GetText()) << "\n";
    out << "focus " << (m_view.GetFocusItem() ? m_view.GetFocusItem()->GetName() : std::string("-")) << "\n";
    out << "text-input " << (m_view.IsTextInputOn() ? 1 : 0) << "\n";
    out << "checked " << (m_c.check->IsChecked() ? 1 : 0) << "\n";
    out << "slider " << m_c.slider->GetValue() << "\n";
    out << "progress " << m_c.progress->GetValue() << "\n";
    out << "choice " << m_c.choices->GetSelection() << "\n";
    out << "ready 1\n";
    demo::WriteReportIfChanged(m_path, m_last, out.str());
  }

 private:
  std::string m_path;
  std::string m_last;
  CRSCanvasView& m_view;
  Controls m_c;
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

  platform::MessageLoop loop;
  CRSCanvasView view;
  if (!view.Create("Simple controls")) {
    std::fprintf(stderr, "no window\n");
    return 1;
  }
  // Its window's end ends the demo.
  view.SetMainWindow(true);
  auto* root = new CRSCanvasItem(PointF(), nullptr, "root");
  // Kept past the window's end, so the last report still finds the controls.
  CRSAutoPtrPolymorphic<CRSCanvasItem> rootRef(root);
  root->SetSize(SizeF(480, 360));
  // Light and dark stripes, so text and faces are seen over a busy picture.
  auto stripes = std::make_shared<Gdiplus::Bitmap>(480, 360, PixelFormat::Format32bppARGB);
  for (int y = 0; y < 360; ++y)
    for (int x = 0; x < 480; ++x) stripes->SetPixel(x, y, ((x + y) / 16) % 2 ? 0xFFE8E0C0u : 0xFF305020u);
  new CRSCanvasImage(PointF(), root, "picture", stripes);
  CBehaviourMessageHandler::GetOrCreate(root);

  auto* group = new CRSGroupBox(PointF(10, 10), root, "group", "Puzzle");
  group->SetSize(SizeF(460, 340));
  new CRSStatic(PointF(20, 30), group, "label", "Name:");
  Controls c;
  c.edit = new CRSEdit(PointF(100, 28), group, "edit");
  c.edit->SetSize(SizeF(220, 26));
  c.check = new CRSCheckBox(PointF(20, 80), group, "check", "Rotate pieces");
  c.slider = new CRSSlider(PointF(20, 130), group, "slider");
  c.slider->SetSize(SizeF(300, 22));
  c.slider->SetRange(0, 100);
  c.progress = new CRSProgressBar(PointF(20, 180), group, "progress");
  c.progress->SetSize(SizeF(300, 22));
  c.choices = new CRSMultiChoices(PointF(20, 230), group, "choices");
  c.choices->SetSize(SizeF(220, 22));
  for (const char* s : {"Classic", "Wavy", "Square"}) c.choices->AddChoice(s);
  Wiring wiring;
  wiring.progress = c.progress;
  c.slider->sigValueChanged.connect(&wiring, &Wiring::OnSlider);

  view.SetRoot(root);
  view.GetWindow()->CenterOnScreen();
  view.GetWindow()->Show();
  view.GetWindow()->SetFocus();

  ReportWriter report(argv[1], view, c);
  loop.AddIdleHandler(&report);
  loop.Run();
  loop.RemoveIdleHandler(&report);
  report.Write();
  DiscardEvents();
  return 0;
}
