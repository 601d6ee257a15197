// The drawn file dialog: the window and its controls (the painted body is
// file_dialog_body.cpp).

#include "canvas/dialogs/file_dialog_window.h"

#include <algorithm>
#include <cmath>

#include "canvas/behaviours.h"
#include "canvas/controls/edit.h"
#include "canvas/controls/message_box.h"
#include "canvas/controls/multi_choices.h"
#include "canvas/controls/scroll_bar.h"
#include "canvas/dialogs/thumbnails.h"
#include "platform/clock.h"
#include "platform/folders.h"
#include "platform/messages.h"

namespace {

CRSDialogMetrics FileDialogMetrics() {
  CRSDialogMetrics m;
  m.margin = 10;
  m.gap = 8;
  m.buttonWidth = 96;
  m.buttonHeight = CRSControlStyleBase::Style().GetButtonHeight();
  // The edits get a little more height than buttons: their text is the
  // style's caption font, which fills a button's height to the brim.
  m.editHeight = m.buttonHeight + 4;
  m.rowHeight = 48;
  m.placesWidth = 150;
  m.messageHeight = 18;
  return m;
}

// The client size: roomy, but never larger than the parent leaves.
SizeF ClientSizeIn(CRSCanvasItem* parent) {
  SizeF size(760, 500);
  if (parent) {
    const SizeF room = parent->GetSize();
    if (room.Width > 0) size.Width = std::clamp(room.Width - 60, 480.0f, size.Width);
    if (room.Height > 0) size.Height = std::clamp(room.Height - 80, 320.0f, size.Height);
  }
  return size;
}

}  // namespace

std::string CRSFileDialogWindow::PathEditText(const std::string& folder) {
  const std::string shown = platform::DisplayName(folder);
  return shown.empty() || shown.back() == '/' ? shown : shown + "/";
}


CRSFileDialogWindow::CRSFileDialogWindow(CRSCanvasItem* parent, const CRSOpenFileRequest& request,
                                         CRSThumbnailService* thumbnails, CRSFolderReader::Lister lister)
    : CRSControlWindow(PointF(), parent, "fileDialog", SizeF(400, 300)),
      m_reader(std::make_unique<CRSFolderReader>(std::move(lister))),
      m_thumbnails(thumbnails ? thumbnails : &CRSThumbnailService::Shared()) {
  m_browser = std::make_unique<CRSFileBrowser>(request, m_thumbnails, m_reader.get());
  Build();
}

CRSFileDialogWindow::CRSFileDialogWindow(CRSCanvasItem* parent, const CRSSaveFileRequest& request,
                                         CRSThumbnailService* thumbnails, CRSFolderReader::Lister lister)
    : CRSControlWindow(PointF(), parent, "fileDialog", SizeF(400, 300)),
      m_reader(std::make_unique<CRSFolderReader>(std::move(lister))),
      m_thumbnails(thumbnails ? thumbnails : &CRSThumbnailService::Shared()) {
  m_browser = std::make_unique<CRSFileBrowser>(request, m_thumbnails, m_reader.get());
  Build();
}

CRSFileDialogWindow::~CRSFileDialogWindow() {
  // The controls go with the window's children; the browser first lets go
  // of the thumbnails it asked for.
  m_browser.reset();
}

void CRSFileDialogWindow::Build() {
  CRSFileBrowser& b = *m_browser;
  const bool save = b.GetMode() == CRSFileBrowser::Mode::kSave;
  SetCaption(b.GetTitle());
  SetCloseButton(true);
  const SizeF client = ClientSizeIn(GetParentItem());
  SetClientSize(client);
  m_layout = LayOutFileDialog(client, save, FileDialogMetrics());
  CRSCanvasItem* area = GetClientArea();

  m_body = new CRSFileDialogBody(*this, area);
  m_body->SetSize(client);

  m_pathEdit = new CRSEdit(m_layout.pathEdit.GetLocation(), area, "pathEdit");
  m_pathEdit->SetSize(m_layout.pathEdit.GetSize());
  m_pathEdit->sigTextChanged.connect(this, &CRSFileDialogWindow::OnPathTyped);

  const float bar = Style().GetButtonHeight();
  m_scroll = new CRSScrollBar(PointF(m_layout.list.GetRight() - bar, m_layout.list.Y), area, "scroll",
                              SizeF(bar, m_layout.list.Height));
  m_scroll->sigValueChanged.connect(this, &CRSFileDialogWindow::OnScrolled);

  if (save) {
    m_nameEdit = new CRSEdit(m_layout.nameEdit.GetLocation(), area, "nameEdit", b.GetName());
    m_nameEdit->SetSize(m_layout.nameEdit.GetSize());
    m_nameEdit->sigTextChanged.connect(this, &CRSFileDialogWindow::OnNameTyped);
  }
  m_filter = new CRSMultiChoices(m_layout.filter.GetLocation(), area, "filter");
  for (const CRSFileFilter& f : b.GetFilters()) m_filter->AddChoice(f.label);
  m_filter->SetSelection(b.GetFilterIndex());
  m_filter->SetSize(m_layout.filter.GetSize());
  m_filter->sigSelectionChanged.connect(this, &CRSFileDialogWindow::OnFilterChanged);
  if (b.GetFilters().empty()) m_filter->SetVisible(false);

  m_ok = new CRSControlButton(m_layout.ok.GetLocation(), area, "ok", m_layout.ok.GetSize(), save ? "&Save" : "&Open");
  m_ok->sigClicked.connect(this, &CRSFileDialogWindow::OnOk);
  m_cancel = new CRSControlButton(m_layout.cancel.GetLocation(), area, "cancel", m_layout.cancel.GetSize(), "&Cancel");
  m_cancel->sigClicked.connect(this, &CRSFileDialogWindow::OnCancel);

  b.SetVisibleRowCount(m_layout.visibleRows);
  // The window's own slots come first, so an answer closes it only after
  // every slot connected later (the caller's) has run in the same delivery.
  b.sigChanged.connect(this, &CRSFileDialogWindow::OnChanged);
  b.sigSelectionChanged.connect(this, &CRSFileDialogWindow::OnSelectionChanged);
  b.sigRowThumbnail.connect(this, &CRSFileDialogWindow::OnRowThumbnail);
  b.sigFileChosen.connect(this, &CRSFileDialogWindow::OnFileChosen);
  b.sigCancelled.connect(this, &CRSFileDialogWindow::OnAnswered);
  b.sigAskOverwrite.connect(this, &CRSFileDialogWindow::OnAskOverwrite);

  // A click on any empty part of the dialog gives the keyboard to the
  // window, so Escape and the arrows keep working.
  // It takes text too, so that the characters typed over the list arrive as
  // characters whatever the keyboard layout: a "/" or "~" starts a path.
  SetFocusable(true, true);
  SetModal(true);
  new CBehaviourAlign(this, CBehaviourAlign::kCentre);
  OnChanged();
  FocusItem(save ? static_cast<CRSCanvasItem*>(m_nameEdit) : this);
}

void CRSFileDialogWindow::FocusItem(CRSCanvasItem* item) {
  if (CRSCanvasItem* root = GetRootItem()) root->sigFocusRequest(item);
}

void CRSFileDialogWindow::OnChanged() {
  CRSFileBrowser& b = *m_browser;
  m_syncing = true;
  if (b.GetFolder() != m_shownFolder) {
    // The path edit shows the folder ready for a name to be typed after it.
    m_shownFolder = b.GetFolder();
    m_pathEdit->SetText(PathEditText(m_shownFolder));
  }
  if (m_nameEdit && m_nameEdit->GetText() != b.GetName()) m_nameEdit->SetText(b.GetName());
  if (m_filter && b.GetTypedPattern().empty() && m_filter->GetSelection() != b.GetFilterIndex())
    m_filter->SetSelection(b.GetFilterIndex());
  m_syncing = false;
  SyncScrollBar();
  RequestVisibleThumbnails();
  if (m_body) m_body->Invalidate();
}

void CRSFileDialogWindow::OnSelectionChanged() {
  SyncScrollBar();
  RequestVisibleThumbnails();
  if (m_body) m_body->Invalidate();
}

void CRSFileDialogWindow::OnRowThumbnail(int row) {
  const int top = m_browser->GetTopRow();
  if (m_body && row >= top && row <= top + m_layout.visibleRows) m_body->Invalidate();
}

void CRSFileDialogWindow::SyncScrollBar() {
  if (!m_scroll) return;
  const int rows = m_browser->GetModel().GetRowCount();
  m_syncing = true;
  m_scroll->SetTotal(static_cast<float>(rows));
  m_scroll->SetPage(static_cast<float>(m_layout.visibleRows));
  m_scroll->SetValue(static_cast<float>(m_browser->GetTopRow()));
  m_scroll->SetVisible(rows > m_layout.visibleRows);
  m_syncing = false;
}

void CRSFileDialogWindow::OnScrolled(CRSCanvasItem*, float value) {
  if (m_syncing) return;
  m_browser->Scroll(static_cast<int>(std::lround(value)) - m_browser->GetTopRow());
}

void CRSFileDialogWindow::RequestVisibleThumbnails() {
  m_browser->RequestThumbnails(m_browser->GetTopRow(), m_layout.visibleRows + 1);
}

void CRSFileDialogWindow::OnFilterChanged(int index) {
  if (!m_syncing) m_browser->SetFilterIndex(index);
}

void CRSFileDialogWindow::OnPathTyped(CRSEdit* edit, const std::string& text) {
  if (m_syncing) return;
  // The edit only grows at its end, so a path that starts afresh (a slash
  // or a tilde typed right after the folder shown) replaces the folder
  // instead of being glued to it.
  const std::string shown = PathEditText(m_shownFolder);
  if (text.size() == shown.size() + 1 && text.compare(0, shown.size(), shown) == 0 &&
      (text.back() == '~' || (text.back() == '/' && shown != "/"))) {
    m_syncing = true;
    edit->SetText(std::string(1, text.back()));
    m_syncing = false;
  }
}

void CRSFileDialogWindow::OnNameTyped(CRSEdit*, const std::string& text) {
  if (m_syncing) return;
  m_nameTyped = true;
  m_browser->SetName(text);
}

bool CRSFileDialogWindow::StartsTypedPath(const CRSEventReceiver* focus, unsigned character) const {
  if (character != '/' && character != '~') return false;
  if (focus == m_pathEdit) return false;
  if (m_nameEdit && focus == m_nameEdit) {
    // No name holds a slash. A tilde may be part of a name the player is
    // typing, but not the first thing typed over the proposed name.
    return character == '/' || !m_nameTyped || m_nameEdit->GetText().empty();
  }
  return true;
}

int CRSFileDialogWindow::FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  if (event.GetType() != CRSEvents::kEventKey || event.GetMessage() != static_cast<int>(platform::kMsgChar))
    return CRSControlWindow::FilterGlobalEvent(target, event);
  // Keys meant for a box asked over the dialog, or for whatever lies
  // behind a dialog that is not on top, are not the dialog's.
  if (m_browser->IsFinished() || IsClosing() || GetTopModal() != this || !m_pathEdit) return kVerdictContinue;
  const unsigned character = static_cast<const CRSCanvasEvents::Key&>(event).m_virtualKey;
  if (!StartsTypedPath(target, character)) return kVerdictContinue;
  FocusItem(m_pathEdit);
  // The character replaces what the edit showed: the path starts afresh.
  m_syncing = true;
  m_pathEdit->SetText(std::string(1, static_cast<char>(character)));
  m_syncing = false;
  return kVerdictStop;
}

void CRSFileDialogWindow::OnOk() {
  CRSFileBrowser& b = *m_browser;
  if (b.IsFinished() || b.IsAskingOverwrite()) return;
  // A path typed beyond the folder shown is what OK means; otherwise the
  // selection (open) or the name (save).
  const std::string typed = m_pathEdit->GetText();
  if (!typed.empty() && typed != PathEditText(m_shownFolder)) {
    b.EnterTypedPath(typed);
  } else if (b.GetMode() == CRSFileBrowser::Mode::kSave) {
    b.Accept();
  } else {
    b.Activate();
  }
}

void CRSFileDialogWindow::OnCancel() { m_browser->Cancel(); }

void CRSFileDialogWindow::OnAnswered() {
  if (!IsClosing()) CRSControlWindow::Close();
}

void CRSFileDialogWindow::Close() {
  if (IsClosing()) return;
  // The title bar's close button is a cancel: the caller still hears an
  // answer, queued before the window's deletion.
  if (!m_browser->IsFinished()) m_browser->Cancel();
  if (m_overwriteBox) m_overwriteBox->Close();
  CRSControlWindow::Close();
}

void CRSFileDialogWindow::OnAskOverwrite(std::string question) {
  if (m_overwriteBox) return;
  auto* box = new CRSMessageBox(question, GetCaption(), GetClientArea(), CRSMessageBox::Kind::kYesNo);
  box->sigClosed.connect(this, &CRSFileDialogWindow::OnOverwriteAnswered);
  m_overwriteBox = box;
}

void CRSFileDialogWindow::OnOverwriteAnswered(int result) {
  m_overwriteBox = nullptr;
  // "&Yes" is the first button; "&No" or a box closed any other way keeps
  // the file.
  m_browser->AnswerOverwrite(result == 0);
  if (!m_browser->IsFinished() && m_nameEdit) FocusItem(m_nameEdit);
}

void CRSFileDialogWindow::OnKey(int message, unsigned vk, long keyData, bool* handled) {
  CRSFileBrowser& b = *m_browser;
  if (b.IsFinished() || IsClosing()) return;
  const auto msg = static_cast<unsigned>(message);
  if (msg == platform::kMsgKeyUp || msg == platform::kMsgChar) {
    // The press was ours; its release and character are too, so the room
    // behind the dialog never sees half a key.
    *handled = vk == platform::kVkReturn || vk == platform::kVkEscape || vk == platform::kVkBack ||
               (vk >= platform::kVkPrior && vk <= platform::kVkDown) || (vk >= '0' && vk <= 'Z') ||
               (vk >= 'a' && vk <= 'z');
    return;
  }
  if (msg != platform::kMsgKeyDown) return;
  if (b.IsAskingOverwrite()) {
    // The question is on screen: N keeps the file, Y replaces it (Enter
    // and Escape reach the box itself first).
    *handled = true;
    if (vk == 'N') {
      if (m_overwriteBox) m_overwriteBox->Close();
    } else if (vk == 'Y' && m_overwriteBox) {
      if (CRSControlButton* yes = m_overwriteBox->GetButton(0)) yes->Click();
    }
    return;
  }
  const bool inPath = m_pathEdit && m_pathEdit->HasFocus();
  const bool inName = m_nameEdit && m_nameEdit->HasFocus();
  *handled = true;
  switch (vk) {
    case platform::kVkReturn:
      if (inPath) {
        b.EnterTypedPath(m_pathEdit->GetText());
      } else if (inName) {
        b.Accept();
      } else {
        b.OnKey(vk);
      }
      return;
    case platform::kVkTab: {
      // Tab steps through the list, the path edit and the name edit.
      CRSCanvasItem* order[] = {this, m_pathEdit, m_nameEdit};
      const int count = m_nameEdit ? 3 : 2;
      const int now = inPath ? 1 : inName ? 2 : 0;
      FocusItem(order[(now + 1) % count]);
      return;
    }
    default:
      break;
  }
  if (b.OnKey(vk)) return;
  if (!inPath && !inName && ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))) {
    // Without text input the key is its upper-case letter; names are
    // matched without regard to case, so the lower-case letter serves.
    const char c = vk >= 'A' && vk <= 'Z' ? static_cast<char>(vk - 'A' + 'a') : static_cast<char>(vk);
    b.TypeAhead(std::string(1, c), platform::GetTickCount());
    return;
  }
  *handled = false;
  CRSControlWindow::OnKey(message, vk, keyData, handled);
}
