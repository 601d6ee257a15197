#include "canvas/dialogs/file_browser.h"

#include <algorithm>

#include "canvas/dialogs/folder_reader.h"
#include "canvas/dialogs/save_name.h"
#include "canvas/dialogs/thumbnails.h"
#include "platform/folders.h"
#include "platform/messages.h"

CRSFileBrowser::CRSFileBrowser(Mode mode, std::string title, std::vector<CRSFileFilter> filters, int filterIndex,
                               const std::string& initialFolder, CRSDialogKind kind,
                               CRSThumbnailService* thumbnails, CRSFolderReader* reader)
    : m_mode(mode),
      m_title(std::move(title)),
      m_filters(std::move(filters)),
      m_kind(kind),
      m_thumbnails(thumbnails),
      m_reader(reader),
      m_places(platform::GetSpecialFolders()),
      m_home(platform::GetHomeFolder()),
      m_picturePatterns(SplitFilterPattern(ImageFileFilters().front().pattern)) {
  m_filterIndex = m_filters.empty() ? 0 : std::clamp(filterIndex, 0, static_cast<int>(m_filters.size()) - 1);
  ApplyFilter();
  if (m_thumbnails) m_thumbnails->sigThumbnailDone.connect(this, &CRSFileBrowser::OnThumbnailDone);
  if (m_reader) m_reader->sigRead.connect(this, &CRSFileBrowser::OnFolderRead);
  const std::string start = initialFolder.empty() || !platform::IsFolder(initialFolder)
                                ? GetDialogStartFolder(kind)
                                : NormalisePath(initialFolder, m_home);
  OpenFolder(start);
}

CRSFileBrowser::CRSFileBrowser(const CRSOpenFileRequest& r, CRSThumbnailService* thumbnails, CRSFolderReader* reader)
    : CRSFileBrowser(Mode::kOpen, r.title, r.filters, r.filterIndex, r.initialFolder, r.kind, thumbnails, reader) {}

CRSFileBrowser::CRSFileBrowser(const CRSSaveFileRequest& r, CRSThumbnailService* thumbnails, CRSFolderReader* reader)
    : CRSFileBrowser(Mode::kSave, r.title, r.filters, r.filterIndex, r.initialFolder, r.kind, thumbnails, reader) {
  m_name = r.proposedName;
  m_defaultExtension = r.defaultExtension;
  m_overwritePrompt = r.overwritePrompt;
}

CRSFileBrowser::~CRSFileBrowser() {
  if (m_thumbnails && !m_finished) m_thumbnails->CancelPending();
}

bool CRSFileBrowser::OpenFolder(const std::string& folder) {
  if (m_finished) return false;
  if (m_thumbnails) m_thumbnails->CancelPending();
  const std::string target = NormalisePath(folder, GetFolder().empty() ? m_home : GetFolder());
  m_selection = -1;
  m_topRow = 0;
  if (m_reader) {
    // The old rows go at once, so nothing of the folder being left can be
    // chosen while the new one is read.
    m_model.SetListing(target, platform::FolderResult::kOk, {});
    if (!m_keepMessage) m_message.clear();
    m_readTicket = m_reader->Read(target);
    sigChanged.emit();
    return true;
  }
  const platform::FolderResult result = m_model.SetFolder(target);
  OnListingShown();
  return result == platform::FolderResult::kOk || result == platform::FolderResult::kTooManyEntries;
}

void CRSFileBrowser::OnFolderRead(unsigned ticket) {
  if (m_finished || ticket != m_readTicket) return;
  CRSFolderReader::Listing listing;
  if (!m_reader->Take(ticket, listing)) return;
  m_readTicket = 0;
  m_model.SetListing(listing.folder, listing.result, std::move(listing.entries));
  OnListingShown();
}

void CRSFileBrowser::OnListingShown() {
  if (!m_keepMessage || !m_model.GetMessage().empty()) m_message = m_model.GetMessage();
  m_keepMessage = false;
  m_topRow = 0;
  if (!m_selectAfterRead.empty()) {
    const int row = m_model.FindRow(m_selectAfterRead);
    m_selectAfterRead.clear();
    m_topRow = std::clamp(m_topAfterRead, 0, std::max(0, m_model.GetRowCount() - m_visibleRows));
    if (row >= 0) Select(row);
  }
  m_topAfterRead = 0;
  sigChanged.emit();
}

void CRSFileBrowser::GoUp() {
  if (m_finished || GetFolder() == "/") return;
  // The folder we leave becomes the selection, so Backspace and Enter undo
  // each other.
  m_selectAfterRead = std::string(LastPathPart(GetFolder()));
  OpenFolder(ParentFolder(GetFolder()));
}

void CRSFileBrowser::Refresh() {
  if (m_finished) return;
  m_selectAfterRead = m_selection >= 0 ? m_model.EntryOfRow(m_selection).name : std::string();
  m_topAfterRead = m_topRow;
  // A message about a vanished file outlives the refresh it causes.
  m_keepMessage = !m_message.empty();
  OpenFolder(GetFolder());
}

void CRSFileBrowser::OpenPlace(int index) {
  if (index >= 0 && index < static_cast<int>(m_places.size())) OpenFolder(m_places[index].path);
}

void CRSFileBrowser::OpenSegment(int index) {
  const std::vector<CRSPathSegment> segments = GetSegments();
  if (index >= 0 && index < static_cast<int>(segments.size())) OpenFolder(segments[index].path);
}

void CRSFileBrowser::ApplyFilter() {
  if (!m_typedPattern.empty()) {
    m_model.SetPatterns(SplitFilterPattern(m_typedPattern));
  } else {
    m_model.SetPatterns(m_filters.empty() ? std::vector<std::string>()
                                          : SplitFilterPattern(m_filters[m_filterIndex].pattern));
  }
}

void CRSFileBrowser::SetFilterIndex(int index) {
  if (m_finished || index < 0 || index >= static_cast<int>(m_filters.size())) return;
  if (index == m_filterIndex && m_typedPattern.empty()) return;
  const std::string selected = m_selection >= 0 ? m_model.EntryOfRow(m_selection).name : std::string();
  m_filterIndex = index;
  m_typedPattern.clear();
  ApplyFilter();
  m_selection = selected.empty() ? -1 : m_model.FindRow(selected);
  m_topRow = 0;
  KeepSelectionVisible();
  sigChanged.emit();
}

void CRSFileBrowser::Select(int row) {
  if (m_finished) return;
  if (row < -1 || row >= m_model.GetRowCount()) row = -1;
  if (row == m_selection) return;
  m_selection = row;
  // Picking a file in the save dialog proposes its name, as people expect
  // when they mean to replace it.
  if (m_mode == Mode::kSave && row >= 0 && !m_model.IsFolderRow(row)) {
    m_name = m_model.EntryOfRow(row).name;
    sigChanged.emit();
  }
  KeepSelectionVisible();
  sigSelectionChanged.emit();
}

void CRSFileBrowser::MoveSelection(int delta) {
  const int count = m_model.GetRowCount();
  if (count == 0) return;
  const int from = m_selection < 0 ? (delta > 0 ? -1 : count) : m_selection;
  Select(std::clamp(from + delta, 0, count - 1));
}

void CRSFileBrowser::SetVisibleRowCount(int rows) {
  m_visibleRows = std::max(1, rows);
  KeepSelectionVisible();
}

void CRSFileBrowser::Scroll(int rows) {
  const int maxTop = std::max(0, m_model.GetRowCount() - m_visibleRows);
  const int top = std::clamp(m_topRow + rows, 0, maxTop);
  if (top == m_topRow) return;
  m_topRow = top;
  sigSelectionChanged.emit();
}

void CRSFileBrowser::KeepSelectionVisible() {
  if (m_selection < 0) return;
  if (m_selection < m_topRow) m_topRow = m_selection;
  if (m_selection >= m_topRow + m_visibleRows) m_topRow = m_selection - m_visibleRows + 1;
}

void CRSFileBrowser::ClickRow(int row) { Select(row); }

void CRSFileBrowser::DoubleClickRow(int row) {
  if (m_finished || row < 0 || row >= m_model.GetRowCount()) return;
  Select(row);
  Activate();
}

bool CRSFileBrowser::OnKey(unsigned vk) {
  if (m_finished) return false;
  switch (vk) {
    case platform::kVkReturn: Activate(); return true;
    case platform::kVkEscape: Cancel(); return true;
    case platform::kVkBack: GoUp(); return true;
    case platform::kVkUp: MoveSelection(-1); return true;
    case platform::kVkDown: MoveSelection(1); return true;
    case platform::kVkPrior: MoveSelection(-m_visibleRows); return true;
    case platform::kVkNext: MoveSelection(m_visibleRows); return true;
    case platform::kVkHome: Select(m_model.GetRowCount() > 0 ? 0 : -1); return true;
    case platform::kVkEnd: Select(m_model.GetRowCount() - 1); return true;
    default: return false;
  }
}

namespace {

bool StartsWithFolded(std::string_view name, std::string_view prefix) {
  if (prefix.size() > name.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (fold(name[i]) != fold(prefix[i])) return false;
  }
  return true;
}

}  // namespace

bool CRSFileBrowser::TypeAhead(const std::string& character, unsigned tickMs) {
  if (m_finished || character.empty()) return false;
  // Ticks wrap after 49 days; unsigned subtraction keeps the gap right.
  const bool continues = !m_typed.empty() && tickMs - m_typedTick < kTypeAheadMs;
  m_typed = continues ? m_typed + character : character;
  m_typedTick = tickMs;
  const int count = m_model.GetRowCount();
  if (count == 0) return false;
  // The same character over and over steps on to the next match; a longer
  // text looks again from the selected row, so it stays while it matches.
  const bool repeated = m_typed.size() > character.size() &&
                        m_typed.find_first_not_of(character) == std::string::npos && character.size() == 1;
  const std::string_view wanted = repeated ? std::string_view(character) : std::string_view(m_typed);
  const int start = m_selection < 0 ? 0 : (repeated || !continues ? m_selection + 1 : m_selection);
  for (int k = 0; k < count; ++k) {
    const int row = (start + k) % count;
    if (StartsWithFolded(m_model.EntryOfRow(row).displayName, wanted)) {
      Select(row);
      return true;
    }
  }
  return false;
}

void CRSFileBrowser::Activate() {
  if (m_finished) return;
  if (m_selection >= 0 && m_model.IsFolderRow(m_selection)) {
    OpenFolder(m_model.PathOfRow(m_selection));
    return;
  }
  if (m_mode == Mode::kSave) {
    Accept();
    return;
  }
  if (m_selection >= 0) ChooseFile(m_model.PathOfRow(m_selection));
}

void CRSFileBrowser::ChooseFile(const std::string& path) {
  // The list may be minutes old: look again before answering, so a file
  // that vanished or a link that broke is reported here, not by the caller.
  const platform::PathInfo info = platform::GetPathInfo(path);
  const std::string shown = platform::DisplayName(LastPathPart(path));
  if (!info.exists) {
    m_message = shown + ": this file no longer exists.";
    Refresh();
    sigChanged.emit();
    return;
  }
  if (info.kind == platform::EntryKind::kBrokenLink) {
    m_message = shown + ": this link leads nowhere.";
    sigChanged.emit();
    return;
  }
  if (info.kind == platform::EntryKind::kFolder) {
    OpenFolder(path);
    return;
  }
  if (info.kind != platform::EntryKind::kFile) {
    m_message = shown + ": this is not a file.";
    sigChanged.emit();
    return;
  }
  Finish(&path);
}

void CRSFileBrowser::EnterTypedPath(const std::string& typed) {
  if (m_finished) return;
  const std::string path = ResolveTypedPath(typed, GetFolder(), m_home);
  const std::string_view last = LastPathPart(path);
  if (last.find_first_of("*?") != std::string_view::npos) {
    // Patterns never reach the file system: they only filter. Separators
    // inside a pattern list ("*.gif;*.png") stay with the last part.
    m_typedPattern = std::string(last);
    const std::string folder = ParentFolder(path);
    if (folder != GetFolder()) {
      OpenFolder(folder);
    }
    ApplyFilter();
    m_selection = -1;
    m_topRow = 0;
    sigChanged.emit();
    return;
  }
  const platform::PathInfo info = platform::GetPathInfo(path);
  if (info.exists && info.kind == platform::EntryKind::kFolder) {
    OpenFolder(path);
    return;
  }
  if (m_mode == Mode::kSave) {
    // A typed file path in the save dialog names the target: go to its
    // folder and take its name, then save as if OK was pressed.
    const std::string parent = ParentFolder(path);
    if (!platform::IsFolder(parent)) {
      m_message = platform::DisplayName(parent) + ": this folder does not exist.";
      sigChanged.emit();
      return;
    }
    if (parent != GetFolder()) OpenFolder(parent);
    m_name = std::string(LastPathPart(path));
    sigChanged.emit();
    Accept();
    return;
  }
  if (!info.exists) {
    m_message = platform::DisplayName(path) + ": no such file or folder.";
    sigChanged.emit();
    return;
  }
  ChooseFile(path);
}

void CRSFileBrowser::Cancel() {
  if (m_finished) return;
  m_askingOverwrite = false;
  Finish(nullptr);
}

void CRSFileBrowser::SetName(const std::string& name) {
  if (m_finished || name == m_name) return;
  m_name = name;
  sigChanged.emit();
}

void CRSFileBrowser::Accept() {
  if (m_finished || m_mode != Mode::kSave || m_askingOverwrite) return;
  const CRSSaveTarget target = CheckSaveTarget(GetFolder(), m_name, m_defaultExtension, m_home);
  switch (target.check) {
    case CRSSaveCheck::kIsFolder:
      OpenFolder(target.path);
      m_name.clear();
      sigChanged.emit();
      return;
    case CRSSaveCheck::kInvalidName:
      m_message = "Please type a file name.";
      sigChanged.emit();
      return;
    case CRSSaveCheck::kNoFolder:
      m_message = platform::DisplayName(ParentFolder(target.path)) + ": this folder does not exist.";
      sigChanged.emit();
      return;
    case CRSSaveCheck::kExists:
      if (m_overwritePrompt) {
        m_askingOverwrite = true;
        m_pendingSavePath = target.path;
        sigAskOverwrite.emit(OverwriteQuestion(LastPathPart(target.path)));
        return;
      }
      break;
    case CRSSaveCheck::kNew:
      break;
  }
  Finish(&target.path);
}

void CRSFileBrowser::AnswerOverwrite(bool replace) {
  if (m_finished || !m_askingOverwrite) return;
  m_askingOverwrite = false;
  if (replace) {
    const std::string path = m_pendingSavePath;
    Finish(&path);
  }
}

void CRSFileBrowser::Finish(const std::string* path) {
  m_finished = true;
  RememberDialogFolder(m_kind, GetFolder());
  if (m_thumbnails) m_thumbnails->CancelPending();
  if (path) {
    sigFileChosen.EmitLater(*path);
  } else {
    sigCancelled.EmitLater();
  }
}

bool CRSFileBrowser::IsPictureRow(int row) const {
  if (row < 0 || row >= m_model.GetRowCount() || m_model.IsFolderRow(row)) return false;
  const platform::FolderEntry& e = m_model.EntryOfRow(row);
  return e.kind == platform::EntryKind::kFile && MatchesFilter(e.name, m_picturePatterns);
}

void CRSFileBrowser::RequestThumbnails(int first, int count) {
  if (!m_thumbnails || m_finished) return;
  const int end = std::min(m_model.GetRowCount(), first + count);
  // Asked for from the last row up: the service serves the newest request
  // first, so the top of the list fills in first.
  for (int row = end - 1; row >= std::max(0, first); --row)
    if (IsPictureRow(row)) m_thumbnails->Request(m_model.PathOfRow(row));
}

void CRSFileBrowser::OnThumbnailDone(std::string path, bool) {
  if (m_finished || ParentFolder(path) != GetFolder()) return;
  const int row = m_model.FindRow(LastPathPart(path));
  if (row >= 0) sigRowThumbnail.emit(row);
}
