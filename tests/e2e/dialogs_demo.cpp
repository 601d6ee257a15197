// A small program for the end-to-end test of the drawn dialogs: three
// buttons open the file-open, file-save and colour dialogs the way the game
// does, and the answers are written to a report file (argv[1]) together
// with the screen places of the dialog's parts, whenever the program is
// idle. The script drives it with real pointer and key events.
//
// Report lines: "window x y w h", "answer ..." (the last answer), "folder
// path", "part name x y w h" for buttons, places ("place-Pictures"), rows
// ("row-beach.jpg"), edits, palette cells ("cell-5") and the overwrite
// box's buttons, "thumbs n" (ready thumbnails on screen) and "ready 1".

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/dialogs/dialogs.h"
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
#include "platform/user_dirs.h"
#include "tests/e2e/demo_report.h"

namespace {

struct Demo : sigslot::has_slots {
  CRSControlWindow* root = nullptr;
  CRSAutoPtrPolymorphic<CRSFileDialogWindow> file;
  CRSAutoPtrPolymorphic<CRSColourDialogWindow> colour;
  std::string answer = "none";
  bool m_opened = false;
  int answers = 0;

  void OnChosen(std::string path) { Answer("chosen " + path); }
  void OnCancelled() { Answer("cancelled"); }
  void OnColour(ARGB c) { Answer("colour " + FormatHexColour(c)); }
  void Answer(const std::string& text) {
    answer = text;
    ++answers;
  }

  void Watch(CRSFileDialogWindow* dialog) {
    file = dialog;
    dialog->Browser().sigFileChosen.connect(this, &Demo::OnChosen);
    dialog->Browser().sigCancelled.connect(this, &Demo::OnCancelled);
  }
  void Open() {
    if (CRSControlWindow::GetTopModal()) return;
    CRSOpenFileRequest request;
    request.title = "Open Puzzle Image:";
    request.filters = ImageFileFilters();
    request.kind = CRSDialogKind::kPicture;
    // Home the first time, so the script has a place to click; later the
    // dialog starts where it was last, as in the game.
    if (!m_opened) request.initialFolder = platform::GetHomeFolder();
    m_opened = true;
    Watch(OpenFileDialog(root->GetClientArea(), request));
  }
  void Save() {
    if (CRSControlWindow::GetTopModal()) return;
    CRSSaveFileRequest request;
    request.title = "Save Puzzle Gift:";
    request.filters = GiftFileFilters();
    request.defaultExtension = "exe";
    request.proposedName = "gift";
    request.initialFolder = platform::GetHomeFolder() + "/Gifts";
    request.kind = CRSDialogKind::kGift;
    Watch(SaveFileDialog(root->GetClientArea(), request));
  }
  void Colour() {
    if (CRSControlWindow::GetTopModal()) return;
    CRSColourRequest request;
    request.initial = 0xFF336699;
    colour = ChooseColourDialog(root->GetClientArea(), request);
    colour->Chooser().sigColourChosen.connect(this, &Demo::OnColour);
    colour->Chooser().sigCancelled.connect(this, &Demo::OnCancelled);
  }
};
Demo s_demo;

class ReportWriter : public platform::IdleHandler {
 public:
  ReportWriter(std::string path, CRSCanvasView& view) : m_path(std::move(path)), m_view(view) {}
  bool OnIdle() override {
    Write();
    return false;
  }

 private:
  // A rectangle of an item's own coordinates, on the screen.
  void Part(std::ostringstream& out, const std::string& name, CRSCanvasItem* item, RectF r) {
    if (!item || r.IsEmptyArea()) return;
    const PointF a = item->MapToAncestor(PointF(r.X, r.Y), nullptr);
    const PointF b = item->MapToAncestor(PointF(r.GetRight(), r.GetBottom()), nullptr);
    out << "part " << name << " " << static_cast<int>(m_origin.X + a.X) << " " << static_cast<int>(m_origin.Y + a.Y)
        << " " << static_cast<int>(b.X - a.X) << " " << static_cast<int>(b.Y - a.Y) << "\n";
  }
  void Item(std::ostringstream& out, const std::string& name, CRSCanvasItem* item) {
    if (item && item->IsVisible()) Part(out, name, item, item->GetLocalRect());
  }

  void Write() {
    if (m_path.empty() || !m_view.HasWindow()) return;
    std::ostringstream out;
    const Rect w = m_view.GetWindow()->GetWindowRect();
    const PointF offset = m_view.GetViewOffset();
    m_origin = PointF(w.X - offset.X, w.Y - offset.Y);
    out << "window " << w.X << " " << w.Y << " " << w.Width << " " << w.Height << "\n";
    out << "answer " << s_demo.answer << "\n";
    out << "answers " << s_demo.answers << "\n";
    for (const char* name : {"open", "save", "colour"})
      Item(out, name, dynamic_cast<CRSCanvasItem*>(s_demo.root->GetClientArea()->FindChild(name)));
    if (CRSFileDialogWindow* d = s_demo.file.get(); d && !d->IsClosing()) {
      CRSFileBrowser& b = d->Browser();
      out << "folder " << b.GetFolder() << "\n";
      out << "message " << (b.GetMessage().empty() ? "-" : b.GetMessage()) << "\n";
      CRSFileDialogBody* body = d->GetBody();
      for (int i = 0; i < static_cast<int>(b.GetPlaces().size()); ++i)
        Part(out, "place-" + b.GetPlaces()[i].label, body, body->PlaceRect(i));
      const CRSFileDialogLayout& l = d->GetLayout();
      const int top = b.GetTopRow();
      int thumbs = 0;
      for (int row = top; row < std::min(b.GetModel().GetRowCount(), top + l.visibleRows); ++row) {
        Part(out, "row-" + b.GetModel().EntryOfRow(row).displayName, body, RowRect(l, row, top));
        if (b.IsPictureRow(row) && d->GetThumbnails()->Find(b.GetModel().PathOfRow(row)) ==
                                       CRSThumbnailService::State::kReady)
          ++thumbs;
      }
      out << "thumbs " << thumbs << "\n";
      Item(out, "ok", d->GetOkButton());
      Item(out, "cancel", d->GetCancelButton());
      Item(out, "pathEdit", d->GetPathEdit());
      Item(out, "nameEdit", d->GetNameEdit());
      if (CRSMessageBox* box = d->GetOverwriteBox()) {
        Item(out, "yes", box->GetButton(0));
        Item(out, "no", box->GetButton(1));
      }
    }
    if (CRSColourDialogWindow* d = s_demo.colour.get(); d && !d->IsClosing()) {
      for (int i = 0; i < kPaletteSize; ++i)
        Part(out, "cell-" + std::to_string(i), d->GetBody(), PaletteCellRect(d->GetLayout(), i));
      Part(out, "field", d->GetBody(), d->GetLayout().field);
      Item(out, "colour-ok", d->GetOkButton());
      out << "chosen " << FormatHexColour(d->Chooser().GetColour()) << "\n";
    }
    out << "modal " << (CRSControlWindow::GetTopModal() ? 1 : 0) << "\n";
    out << "ready 1\n";
    demo::WriteReportIfChanged(m_path, m_last, out.str());
  }

  std::string m_path;
  std::string m_last;
  CRSCanvasView& m_view;
  PointF m_origin;
};

// A calm backdrop like a room of the game, so the translucent dialog is
// seen as it will be.
std::shared_ptr<Gdiplus::Bitmap> Backdrop(int w, int h) {
  auto bitmap = std::make_shared<Gdiplus::Bitmap>(w, h, PixelFormat::Format32bppARGB);
  Gdiplus::Graphics g(bitmap.get());
  Gdiplus::LinearGradientBrush sky(PointF(0, 0), PointF(static_cast<float>(w), static_cast<float>(h)),
                                   Gdiplus::Color(0xFF2A3F6Bu), Gdiplus::Color(0xFF4E6E48u));
  g.FillRectangle(&sky, 0, 0, static_cast<float>(w), static_cast<float>(h));
  g.Flush();
  return bitmap;
}

}  // namespace

int main(int argc, char** argv) {
  if (!platform::InitialiseMessaging()) return 1;
  CRSEventDispatcher::Create();
  CRSGlobalEvents::Get();
  CRSTimerStatic::Create();
  CRSMouseLeaveDispatcher::Instance();
  CRSControlStylesDefault::Install();
  platform::MessageLoop loop;
  {
    CRSCanvasView view;
    if (!view.Create("Dialogs demo")) {
      std::fprintf(stderr, "no window\n");
      return 1;
    }
    view.SetMainWindow(true);
    const SizeF size(900, 620);
    auto* root = new CRSControlWindow(PointF(), nullptr, "root", size);
    root->SetCaption("Dialogs");
    root->SetFrameMode(CRSFrameMode::kFixed);
    s_demo.root = root;
    auto* backdrop = new CRSCanvasImage(PointF(), root->GetClientArea(), "backdrop",
                                        Backdrop(static_cast<int>(size.Width), static_cast<int>(size.Height)));
    backdrop->SetZOrder(0);
    CBehaviourMessageHandler::GetOrCreate(root);
    auto* open = new CRSControlButton(PointF(20, 10), root->GetClientArea(), "open", SizeF(110, 0), "&Open");
    open->sigClicked.connect(&s_demo, &Demo::Open);
    auto* save = new CRSControlButton(PointF(140, 10), root->GetClientArea(), "save", SizeF(110, 0), "&Save");
    save->sigClicked.connect(&s_demo, &Demo::Save);
    auto* colour = new CRSControlButton(PointF(260, 10), root->GetClientArea(), "colour", SizeF(110, 0), "Co&lour");
    colour->sigClicked.connect(&s_demo, &Demo::Colour);

    view.SetRoot(root);
    view.GetWindow()->CenterOnScreen();
    view.GetWindow()->Show();
    view.GetWindow()->SetFocus();

    ReportWriter report(argc > 1 ? argv[1] : "", view);
    loop.AddIdleHandler(&report);
    loop.Run();
    loop.RemoveIdleHandler(&report);
  }
  CRSThumbnailService::ShutdownShared();
  DiscardEvents();
  return 0;
}
