#include "app/dialog_hooks.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "platform/report.h"
#include "platform/user_dirs.h"

namespace app {
namespace {

constexpr float kPromptWidth = 460.0f;
constexpr float kPadding = 10.0f;
constexpr float kButtonWidth = 90.0f;

// A modal window with an edit and two buttons. It answers once, through
// the buttons' queued clicks, and closes itself.
class CPathPrompt : public CRSControlWindow {
 public:
  using Answer = std::function<void(std::optional<std::string>)>;

  CPathPrompt(CRSControlWindow* root, const std::string& title, const std::string& text, Answer answer)
      : CRSControlWindow(PointF(), root, "promptWindow", SizeF(kPromptWidth, 120.0f)), m_answer(std::move(answer)) {
    SetCaption(title);
    SetCloseButton(false);
    SetModal(true);
    CRSCanvasItem* client = GetClientArea();
    const float width = client->GetSize().Width - 2 * kPadding;
    m_edit = new CRSEdit(PointF(kPadding, kPadding), client, "promptEdit", text);
    m_edit->SetSize(SizeF(width, m_edit->GetSize().Height));
    const float y = kPadding * 2 + m_edit->GetSize().Height;
    auto* ok = new CRSControlButton(PointF(width + kPadding - 2 * kButtonWidth - kPadding, y), client, "promptOk",
                                    SizeF(kButtonWidth, 0.0f), "&OK");
    auto* cancel = new CRSControlButton(PointF(width + kPadding - kButtonWidth, y), client, "promptCancel",
                                        SizeF(kButtonWidth, 0.0f), "&Cancel");
    ok->sigClicked.connect(this, &CPathPrompt::OnOk);
    cancel->sigClicked.connect(this, &CPathPrompt::OnCancel);
    SetClientSize(SizeF(client->GetSize().Width, y + ok->GetFaceSize().Height + kPadding));
    new CBehaviourAlign(this, CBehaviourAlign::kCentre | CBehaviourAlign::kKeepInside);
    platform::ReportLine("window " + title);
  }

  // A prompt that goes unanswered (the program ends) answers as cancelled,
  // so that whoever waits can clean up.
  ~CPathPrompt() override {
    if (!m_done && m_answer) m_answer(std::nullopt);
  }

 private:
  void OnOk() { Finish(m_edit->GetText()); }
  void OnCancel() { Finish(std::nullopt); }
  void Finish(std::optional<std::string> text) {
    if (m_done) return;
    m_done = true;
    Answer answer = std::move(m_answer);
    Close();
    if (answer) answer(std::move(text));
  }

  CRSEdit* m_edit = nullptr;
  Answer m_answer;
  bool m_done = false;
};

// Carries the answer of the replace question; a child of its box, so a box
// closed any other way still answers (a cancel) as it goes.
class CReplaceAnswer : public CRSObject {
 public:
  CReplaceAnswer(CRSMessageBox* box, FileAnswer answer, std::string path)
      : CRSObject(box, "replaceAnswer"), m_answer(std::move(answer)), m_path(std::move(path)) {
    box->sigButton0.connect(this, &CReplaceAnswer::OnYes);
    box->sigButton1.connect(this, &CReplaceAnswer::OnNo);
  }
  ~CReplaceAnswer() override { OnNo(); }

 private:
  void OnYes() { Answer(m_path); }
  void OnNo() { Answer(std::string()); }
  void Answer(const std::string& path) {
    FileAnswer answer = std::move(m_answer);
    m_answer = nullptr;
    if (answer) answer(path);
  }

  FileAnswer m_answer;
  std::string m_path;
};

std::string StartFolder(const std::string& initial) {
  if (!initial.empty()) return initial;
  return platform::GetHomeFolder();
}

void DefaultOpen(CRSControlWindow* root, const CRSOpenFileRequest& request, FileAnswer answer) {
  new CPathPrompt(root, request.title, StartFolder(request.initialFolder) + "/",
                  [answer](std::optional<std::string> text) { answer(text.value_or(std::string())); });
}

void DefaultSave(CRSControlWindow* root, const CRSSaveFileRequest& request, FileAnswer answer) {
  const bool ask = request.overwritePrompt;
  std::string extension = request.defaultExtension;
  CRSControlWindow* owner = root;
  new CPathPrompt(root, request.title, StartFolder(request.initialFolder) + "/" + request.proposedName,
                  [answer, ask, extension, owner](std::optional<std::string> text) {
                    if (!text || text->empty()) return answer(std::string());
                    std::string path = *text;
                    if (!extension.empty() && std::filesystem::path(path).extension().empty())
                      path += "." + extension;
                    std::error_code ignored;
                    if (!ask || !std::filesystem::exists(path, ignored)) return answer(path);
                    auto* box = new CRSMessageBox(path + " already exists.\nDo you want to replace it?",
                                                  "Tandrill", owner, 4);
                    platform::ReportLine("message Tandrill: replace " + path);
                    new CReplaceAnswer(box, answer, path);
                  });
}

void DefaultColour(CRSControlWindow* root, const CRSColourRequest& request, ColourAnswer answer) {
  char initial[16];
  std::snprintf(initial, sizeof initial, "%06X", static_cast<unsigned>(request.initial & 0xFFFFFF));
  new CPathPrompt(root, request.title, initial, [answer](std::optional<std::string> text) {
    answer(text ? ParseHexColour(*text) : std::nullopt);
  });
}

DialogHooks Defaults() { return DialogHooks{DefaultOpen, DefaultSave, DefaultColour}; }

}  // namespace

DialogHooks& Dialogs() {
  static DialogHooks hooks = Defaults();
  return hooks;
}

void ResetDialogs() { Dialogs() = Defaults(); }

std::optional<ARGB> ParseHexColour(const std::string& text) {
  std::string digits = text.size() == 7 && text[0] == '#' ? text.substr(1) : text;
  if (digits.size() != 6) return std::nullopt;
  ARGB value = 0;
  for (char c : digits) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (d < 0) return std::nullopt;
    value = value << 4 | static_cast<ARGB>(d);
  }
  return 0xFF000000u | value;
}

}  // namespace app
