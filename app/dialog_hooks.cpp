#include "app/dialog_hooks.h"

#include "canvas/controls.h"
#include "canvas/dialogs/colour_dialog_window.h"
#include "canvas/dialogs/dialogs.h"
#include "canvas/dialogs/file_dialog_window.h"
#include "platform/report.h"

namespace app {
namespace {

// Carries a dialog's answer to the command that asked. A child of the
// dialog window, so it goes with it; a dialog that goes without answering
// (the program ends) answers as cancelled, so that whoever waits can clean
// up after itself.
class CFileAnswer : public CRSObject {
 public:
  CFileAnswer(CRSFileDialogWindow* window, FileAnswer answer)
      : CRSObject(window, "dialogAnswer"), m_answer(std::move(answer)) {
    window->Browser().sigFileChosen.connect(this, &CFileAnswer::OnChosen);
    window->Browser().sigCancelled.connect(this, &CFileAnswer::OnCancelled);
  }
  ~CFileAnswer() override { OnCancelled(); }

 private:
  void OnChosen(std::string path) { Answer(path); }
  void OnCancelled() { Answer(std::string()); }
  void Answer(const std::string& path) {
    FileAnswer answer = std::move(m_answer);
    m_answer = nullptr;
    if (answer) answer(path);
  }

  FileAnswer m_answer;
};

class CColourAnswer : public CRSObject {
 public:
  CColourAnswer(CRSColourDialogWindow* window, ColourAnswer answer)
      : CRSObject(window, "dialogAnswer"), m_answer(std::move(answer)) {
    window->Chooser().sigColourChosen.connect(this, &CColourAnswer::OnChosen);
    window->Chooser().sigCancelled.connect(this, &CColourAnswer::OnCancelled);
  }
  ~CColourAnswer() override { OnCancelled(); }

 private:
  void OnChosen(ARGB colour) { Answer(colour); }
  void OnCancelled() { Answer(std::nullopt); }
  void Answer(std::optional<ARGB> colour) {
    ColourAnswer answer = std::move(m_answer);
    m_answer = nullptr;
    if (answer) answer(colour);
  }

  ColourAnswer m_answer;
};

CRSCanvasItem* Parent(CRSControlWindow* root) { return root ? root->GetClientArea() : nullptr; }

void DefaultOpen(CRSControlWindow* root, const CRSOpenFileRequest& request, FileAnswer answer) {
  CRSFileDialogWindow* window = OpenFileDialog(Parent(root), request);
  if (!window) return answer(std::string());
  new CFileAnswer(window, std::move(answer));
  platform::ReportLine("window " + request.title);
}

void DefaultSave(CRSControlWindow* root, const CRSSaveFileRequest& request, FileAnswer answer) {
  CRSFileDialogWindow* window = SaveFileDialog(Parent(root), request);
  if (!window) return answer(std::string());
  new CFileAnswer(window, std::move(answer));
  platform::ReportLine("window " + request.title);
}

void DefaultColour(CRSControlWindow* root, const CRSColourRequest& request, ColourAnswer answer) {
  CRSColourDialogWindow* window = ChooseColourDialog(Parent(root), request);
  if (!window) return answer(std::nullopt);
  new CColourAnswer(window, std::move(answer));
  platform::ReportLine("window " + request.title);
}

DialogHooks Defaults() { return DialogHooks{DefaultOpen, DefaultSave, DefaultColour}; }

}  // namespace

DialogHooks& Dialogs() {
  static DialogHooks hooks = Defaults();
  return hooks;
}

void ResetDialogs() { Dialogs() = Defaults(); }

}  // namespace app
