#pragma once
// The file dialog without its drawing: the current folder and its rows, the
// selection, the places and path segments, the typed path, the save name,
// and the answer. The drawn dialog window turns clicks and keys into calls
// of this class and redraws when it signals a change; everything the dialog
// decides is decided here, so it can be tested without a screen.
//
// Answers are emitted later, through the event queue (sigFileChosen with the
// raw path bytes, or sigCancelled), exactly once; after that every call is
// ignored. The window closes itself on either.

#include <memory>
#include <string>
#include <vector>

#include "canvas/dialogs/dialog_requests.h"
#include "canvas/dialogs/folder_model.h"
#include "canvas/dialogs/folder_paths.h"
#include "canvas/signal_through_event.h"
#include "canvas/sigslot.h"
#include "platform/user_dirs.h"

class CRSThumbnailService;
class CRSFolderReader;

class CRSFileBrowser : public sigslot::has_slots {
 public:
  enum class Mode { kOpen, kSave };

  // thumbnails may be null (no thumbnails). With a reader, folders are read
  // on its worker thread: the list is empty and IsReading() is true until
  // the listing arrives. Without one they are read at once. Both must
  // outlive the browser.
  CRSFileBrowser(const CRSOpenFileRequest& request, CRSThumbnailService* thumbnails,
                 CRSFolderReader* reader = nullptr);
  CRSFileBrowser(const CRSSaveFileRequest& request, CRSThumbnailService* thumbnails,
                 CRSFolderReader* reader = nullptr);
  ~CRSFileBrowser() override;

  Mode GetMode() const { return m_mode; }
  const std::string& GetTitle() const { return m_title; }
  bool IsFinished() const { return m_finished; }
  // A folder is being read on the reader's thread.
  bool IsReading() const { return m_readTicket != 0; }

  // Folders.
  const CRSFolderModel& GetModel() const { return m_model; }
  const std::string& GetFolder() const { return m_model.GetFolder(); }
  // Opens a folder (the rows, selection and scroll start afresh). A folder
  // that cannot be read is still entered and shows its message.
  bool OpenFolder(const std::string& folder);
  void GoUp();
  // Reads the current folder again, keeping the selected name when it is
  // still there.
  void Refresh();
  const std::vector<platform::SpecialFolderEntry>& GetPlaces() const { return m_places; }
  void OpenPlace(int index);
  std::vector<CRSPathSegment> GetSegments() const { return PathSegments(GetFolder()); }
  void OpenSegment(int index);

  // Filters.
  const std::vector<CRSFileFilter>& GetFilters() const { return m_filters; }
  int GetFilterIndex() const { return m_filterIndex; }
  // The patterns typed into the path edit, when they filter the list now.
  const std::string& GetTypedPattern() const { return m_typedPattern; }
  void SetFilterIndex(int index);

  // Selection and scrolling; rows are those of GetModel().
  int GetSelection() const { return m_selection; }  // -1 for none
  void Select(int row);
  void MoveSelection(int delta);  // clamped to the rows
  int GetTopRow() const { return m_topRow; }
  void SetVisibleRowCount(int rows);  // what the list shows at once
  void Scroll(int rows);              // the wheel: positive moves down

  // Input as the window receives it.
  void ClickRow(int row);        // selects
  void DoubleClickRow(int row);  // opens a folder or chooses a file
  // Enter, Backspace, Escape, arrows, Page Up/Down, Home, End; true when the
  // key was used. The window sends Backspace here only while the name or
  // path edit does not have the keyboard.
  bool OnKey(unsigned virtualKey);
  // A character typed while the list has the keyboard: the list jumps to the
  // first row whose shown name starts with what was typed (without regard
  // to ASCII case). Characters less than kTypeAheadMs apart add to the
  // text; after a pause it starts afresh. Typing one letter again and again
  // steps through the rows that start with it. True when a row matched.
  static constexpr unsigned kTypeAheadMs = 1000;
  bool TypeAhead(const std::string& character, unsigned tickMs);
  // Opens the selected folder or chooses the selected file; in a save
  // dialog without a selected folder, saves under the typed name.
  void Activate();
  // A path typed into the path edit and confirmed with Enter: a folder is
  // opened, a file is chosen (open) or becomes the name (save). A last part
  // with "*" or "?" ("~/Pictures/*.png", "*.gif;*.png") filters the list
  // by it until another filter is chosen.
  void EnterTypedPath(const std::string& typed);
  void Cancel();

  // The save dialog's name edit.
  const std::string& GetName() const { return m_name; }
  void SetName(const std::string& name);
  // Saves under the typed name: asks first when the file exists.
  void Accept();
  // The answer to sigAskOverwrite.
  void AnswerOverwrite(bool replace);
  bool IsAskingOverwrite() const { return m_askingOverwrite; }

  // A short message for the dialog (an unreadable folder, a vanished file),
  // empty when there is nothing to say.
  const std::string& GetMessage() const { return m_message; }

  // Thumbnails of the picture rows from first to first + count - 1 are asked
  // for (the rows on screen); requests of a folder left behind are dropped.
  void RequestThumbnails(int first, int count);
  bool IsPictureRow(int row) const;

  // The answer, later through the event queue.
  CRSSignalEmittedTroughEvent1<std::string> sigFileChosen;
  CRSSignalEmittedTroughEvent0 sigCancelled;
  // At once: the save dialog needs a yes or no to replace a file; the text
  // is the question. The window shows it in a Yes/No message box and
  // calls AnswerOverwrite.
  sigslot::signal1<std::string> sigAskOverwrite;
  // At once: the folder, rows, message or name changed (redraw all).
  sigslot::signal0 sigChanged;
  // At once: the selection or the scroll position changed.
  sigslot::signal0 sigSelectionChanged;
  // At once: a row's thumbnail arrived.
  sigslot::signal1<int> sigRowThumbnail;

 private:
  CRSFileBrowser(Mode mode, std::string title, std::vector<CRSFileFilter> filters, int filterIndex,
                 const std::string& initialFolder, CRSDialogKind kind, CRSThumbnailService* thumbnails,
                 CRSFolderReader* reader);
  // The listing is in the model: restore what the user had selected.
  void OnListingShown();
  void OnFolderRead(unsigned ticket);
  void ApplyFilter();
  void ChooseFile(const std::string& path);
  void Finish(const std::string* path);
  void KeepSelectionVisible();
  void OnThumbnailDone(std::string path, bool ok);

  Mode m_mode;
  std::string m_title;
  std::vector<CRSFileFilter> m_filters;
  int m_filterIndex = 0;
  CRSDialogKind m_kind;
  CRSThumbnailService* m_thumbnails;
  CRSFolderReader* m_reader;
  unsigned m_readTicket = 0;
  std::string m_selectAfterRead;  // the name to select once the folder is shown
  int m_topAfterRead = 0;
  bool m_keepMessage = false;     // the message outlives the next listing
  std::vector<platform::SpecialFolderEntry> m_places;
  std::string m_home;
  std::vector<std::string> m_picturePatterns;

  CRSFolderModel m_model;
  int m_selection = -1;
  int m_topRow = 0;
  int m_visibleRows = 10;
  std::string m_message;

  std::string m_name;
  std::string m_defaultExtension;
  bool m_overwritePrompt = true;
  bool m_askingOverwrite = false;
  std::string m_pendingSavePath;

  std::string m_typed;
  unsigned m_typedTick = 0;
  std::string m_typedPattern;

  bool m_finished = false;
};
