// A small program showing the drawn controls in a real window: buttons in
// every state, a scroll bar, a list view, a movable and resizable control
// window and a modal message box, over a busy background. When the
// environment variable TANDRILL_CONTROLS_REPORT names a file, the program
// writes what it sees there (one "key values..." line each) whenever it is
// idle, so an end-to-end script can drive it and check the outcome.
//
// Every control is registered by name with AddControl; the report lists each
// one's bounds on screen, so more controls join the demo with a few lines.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/items.h"
#include "canvas/mouse_leave_dispatcher.h"
#include "canvas/timer.h"
#include "canvas/view.h"
#include "data/control_styles_default.h"
#include "platform/bitmap.h"
#include "platform/brush.h"
#include "platform/graphics.h"
#include "platform/message_loop.h"
#include "tests/e2e/demo_report.h"

namespace {

// What the report says beyond the controls' places: counters and values
// kept by the demo's slots.
struct DemoState : sigslot::has_slots {
  std::map<std::string, std::string> values;
  std::vector<std::pair<std::string, CRSAutoPtrPolymorphic<CRSCanvasItem>>> controls;
  CRSAutoPtrPolymorphic<CRSCanvasItem> root;

  void Set(const std::string& key, const std::string& value) { values[key] = value; }
  void Count(const std::string& key) { values[key] = std::to_string(std::atoi(values[key].c_str()) + 1); }
};
DemoState s_state;

void AddControl(const std::string& name, CRSCanvasItem* item) { s_state.controls.emplace_back(name, item); }

// Counts the clicks of one button under a key of its own.
struct ClickCounter : sigslot::has_slots {
  std::string key;
  void On() { s_state.Count(key); }
};
std::vector<std::unique_ptr<ClickCounter>> s_counters;

CRSControlButton* AddButton(CRSCanvasItem* parent, const std::string& name, PointF at, float width,
                            const std::string& caption) {
  auto* button = new CRSControlButton(at, parent, name, SizeF(width, 0), caption);
  auto& counter = s_counters.emplace_back(std::make_unique<ClickCounter>());
  counter->key = "clicks-" + name;
  s_state.Set(counter->key, "0");
  button->sigClicked.connect(counter.get(), &ClickCounter::On);
  AddControl(name, button);
  return button;
}

// A busy picture, so translucent faces and text shadows are seen at work:
// a diagonal gradient with soft discs.
std::shared_ptr<Gdiplus::Bitmap> Backdrop(int w, int h) {
  auto bitmap = std::make_shared<Gdiplus::Bitmap>(w, h, PixelFormat::Format32bppARGB);
  Gdiplus::Graphics g(bitmap.get());
  Gdiplus::LinearGradientBrush sky(PointF(0, 0), PointF(static_cast<float>(w), static_cast<float>(h)),
                                   Gdiplus::Color(0xFF2A3F6Bu), Gdiplus::Color(0xFF6B8F5Au));
  g.FillRectangle(&sky, 0, 0, static_cast<float>(w), static_cast<float>(h));
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const float discs[][3] = {{620, 420, 160}, {760, 120, 90}, {330, 520, 120}};
  for (const auto& d : discs) {
    Gdiplus::SolidBrush light(Gdiplus::Color(0x30FFF0C0u));
    g.FillEllipse(&light, RectF(d[0] - d[2], d[1] - d[2], 2 * d[2], 2 * d[2]));
  }
  g.Flush();
  return bitmap;
}

class Slots : public sigslot::has_slots {
 public:
  void OnToggled(bool on) { s_state.Set("toggle", on ? "1" : "0"); }
  void OnScroll(CRSCanvasItem*, float v) { s_state.Set("scroll-value", std::to_string(static_cast<int>(v))); }
  void OnListScroll(CRSCanvasItem*, float v) { s_state.Set("list-scroll", std::to_string(static_cast<int>(v))); }
  void OnBoxClosed(int result) {
    s_state.Set("box-result", std::to_string(result));
    s_state.Set("modal", "0");
  }
  void OpenMessageBox() {
    CRSControlWindow* rootWindow = dynamic_cast<CRSControlWindow*>(s_state.root.get());
    if (!rootWindow || CRSControlWindow::GetTopModal()) return;
    auto* box = new CRSMessageBox("Do you want to keep this puzzle\nin the library?", "Tandrill",
                                  rootWindow->GetClientArea(), CRSMessageBox::Kind::kYesNoCancel);
    box->sigClosed.connect(this, &Slots::OnBoxClosed);
    s_state.Set("modal", "1");
    AddControl("messageBox", box);
    for (int i = 0; i < 3; ++i)
      if (CRSControlButton* b = box->GetButton(i)) AddControl("messageBox-button" + std::to_string(i), b);
  }
};

class ReportWriter : public platform::IdleHandler {
 public:
  ReportWriter(std::string path, CRSCanvasView& view) : m_path(std::move(path)), m_view(view) {}
  bool OnIdle() override {
    Write();
    return false;
  }
  void Write() {
    if (m_path.empty()) return;
    std::ostringstream out;
    if (!m_view.HasWindow()) return;
    const Rect w = m_view.GetWindow()->GetWindowRect();
    out << "window " << w.X << " " << w.Y << " " << w.Width << " " << w.Height << "\n";
    // Screen places of every registered control that is still there.
    const PointF offset = m_view.GetViewOffset();
    for (auto& [name, ref] : s_state.controls) {
      CRSCanvasItem* item = ref.get();
      if (!item || !item->GetRootItem() || item->GetRootItem() != s_state.root.get()) continue;
      const RectF b = item->GetBoundsIn(nullptr);
      out << "control " << name << " " << static_cast<int>(w.X + b.X - offset.X) << " "
          << static_cast<int>(w.Y + b.Y - offset.Y) << " " << static_cast<int>(b.Width) << " "
          << static_cast<int>(b.Height) << "\n";
    }
    for (auto& [key, value] : s_state.values) out << key << " " << value << "\n";
    out << "top-modal " << (CRSControlWindow::GetTopModal() ? 1 : 0) << "\n";
    out << "ready 1\n";
    demo::WriteReportIfChanged(m_path, m_last, out.str());
  }

 private:
  std::string m_path;
  std::string m_last;
  CRSCanvasView& m_view;
};

// The core controls: buttons, a scroll bar, a list and a tool window.
void AddCoreControls(CRSControlWindow& root, Slots& slots) {
  CRSCanvasItem* area = root.GetClientArea();
  CRSControlButton* hover = AddButton(area, "hover", PointF(30, 30), 120, "&Hover me");
  (void)hover;
  CRSControlButton* toggle = AddButton(area, "toggle", PointF(170, 30), 120, "&Toggle");
  toggle->SetToggle(true);
  toggle->sigToggled.connect(&slots, &Slots::OnToggled);
  s_state.Set("toggle", "0");
  CRSControlButton* disabled = AddButton(area, "disabled", PointF(310, 30), 120, "&Disabled");
  disabled->SetEnabled(false);
  CRSControlButton* message = AddButton(area, "message", PointF(450, 30), 120, "&Message");
  message->sigClicked.connect(&slots, &Slots::OpenMessageBox);
  s_state.Set("modal", "0");
  s_state.Set("box-result", "none");

  auto* bar = new CRSScrollBar(PointF(30, 80), area, "scrollBar", SizeF(400, 22), true);
  bar->SetTotal(1000);
  bar->SetPage(200);
  bar->sigValueChanged.connect(&slots, &Slots::OnScroll);
  s_state.Set("scroll-value", "0");
  AddControl("scrollBar", bar);
  if (bar->GetThumb()) AddControl("scrollThumb", bar->GetThumb());

  auto* list = new CRSListView(PointF(30, 130), area, "list", SizeF(400, 260));
  const ARGB colours[] = {0xFFE05050u, 0xFF50A0E0u, 0xFFE0C040u, 0xFF60C070u, 0xFFB070D0u};
  for (int i = 0; i < 40; ++i) {
    auto picture = std::make_shared<Gdiplus::Bitmap>(64, 48, PixelFormat::Format32bppARGB);
    Gdiplus::Graphics g(picture.get());
    g.Clear(Gdiplus::Color(colours[i % 5]));
    Gdiplus::SolidBrush shade(Gdiplus::Color(0x40000000u));
    g.FillRectangle(&shade, 0, 36, 64, 12);
    list->AddItem(new CRSCanvasImage(PointF(), nullptr, "thumb" + std::to_string(i), picture));
  }
  list->GetVerticalBar()->sigValueChanged.connect(&slots, &Slots::OnListScroll);
  s_state.Set("list-scroll", "0");
  AddControl("list", list);

  auto* tool = new CRSControlWindow(PointF(470, 130), area, "tool", SizeF(260, 180));
  tool->SetCaption("Tool window");
  tool->SetFrameMode(CRSFrameMode::kResizable);
  tool->SetCloseButton(false);
  new CBehaviourAlign(tool, CBehaviourAlign::kKeepInside);
  AddButton(tool->GetClientArea(), "inner", PointF(10, 10), 100, "&Inner");
  AddControl("tool", tool);
}

// The simple controls (static text, edit, group box, check box, choice list,
// progress bar, slider) go here: the area right of the buttons' row and
// below the tool window (client x 470 to 790, y 320 to 440) is kept free for
// them. Register each with AddControl so the report lists its place, and
// keep what a script must check in s_state.
void AddSimpleControls(CRSControlWindow&, Slots&) {}

}  // namespace

int main(int, char**) {
  if (!platform::InitialiseMessaging()) return 1;
  CRSEventDispatcher::Create();
  CRSGlobalEvents::Get();
  CRSTimerStatic::Create();
  CRSMouseLeaveDispatcher::Instance();
  CRSControlStylesDefault::Install();
  platform::MessageLoop loop;
  CRSCanvasView view;
  if (!view.Create("Controls demo")) {
    std::fprintf(stderr, "no window\n");
    return 1;
  }
  // Its window's end ends the demo.
  view.SetMainWindow(true);
  const SizeF size(800, 480);
  auto* root = new CRSControlWindow(PointF(), nullptr, "root", size);
  root->SetCaption("Controls");
  root->SetSystemButtons(true);
  root->SetFrameMode(CRSFrameMode::kFixed);
  s_state.root = root;
  AddControl("root-close", root->GetTitleButton(CRSControlWindow::kButtonClose));
  // The backdrop fills the client area and stays behind everything.
  auto* backdrop = new CRSCanvasImage(PointF(), root->GetClientArea(), "backdrop",
                                      Backdrop(static_cast<int>(size.Width), static_cast<int>(size.Height)));
  backdrop->SetZOrder(0);
  CBehaviourMessageHandler::GetOrCreate(root);

  Slots slots;
  AddCoreControls(*root, slots);
  AddSimpleControls(*root, slots);

  view.SetRoot(root);
  view.GetWindow()->CenterOnScreen();
  view.GetWindow()->Show();
  view.GetWindow()->SetFocus();

  const char* reportPath = std::getenv("TANDRILL_CONTROLS_REPORT");
  ReportWriter report(reportPath ? reportPath : "", view);
  loop.AddIdleHandler(&report);
  loop.Run();
  loop.RemoveIdleHandler(&report);
  DiscardEvents();
  return 0;
}
