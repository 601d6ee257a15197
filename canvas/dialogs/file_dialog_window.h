#pragma once
// The drawn file dialog (open and save): a modal control window that shows a
// CRSFileBrowser and turns clicks and keys into its calls. The places
// column, the path segments, the rows with their thumbnails and the message
// line are painted by one item of the window (CRSFileDialogBody), which also
// knows what lies under the mouse; the typed path, the save name, the filter
// and the two buttons are ordinary controls.
//
// The window closes itself when the browser answers: its own slot is
// connected first, but it only queues the closing, so the caller's slots
// still find the window whole when the same answer reaches them.

#include <memory>
#include <string>
#include <vector>

#include "canvas/controls/control_window.h"
#include "canvas/controls/message_box.h"
#include "canvas/dialogs/dialog_layout.h"
#include "canvas/dialogs/dialog_requests.h"
#include "canvas/dialogs/file_browser.h"
#include "canvas/dialogs/folder_paths.h"
#include "canvas/dialogs/folder_reader.h"

class CRSEdit;
class CRSMultiChoices;
class CRSScrollBar;
class CRSThumbnailService;
class CRSFileDialogWindow;

// The painted part of the file dialog: places, path segments, the list and
// the message line, over the whole client area.
class CRSFileDialogBody : public CRSCanvasItem {
 public:
  // What lies under a point of the client area.
  enum class PartKind { kNone, kPlace, kSegment, kRow };
  struct Part {
    PartKind kind = PartKind::kNone;
    int index = -1;
    bool operator==(const Part&) const = default;
  };

  CRSFileDialogBody(CRSFileDialogWindow& window, CRSObject* parent);

  Part PartAt(const PointF& point) const;
  // Rectangles of the parts in the body's coordinates, for tests and the
  // end-to-end program (empty when the part is not shown).
  RectF PlaceRect(int index) const;
  RectF SegmentRect(int index) const;

  void PaintContent(Gdiplus::Graphics& g, bool useCache) override;
  void OnMouse(int message, PointF local, int keyFlags, bool* handled) override;

 private:
  void PaintPlaces(Gdiplus::Graphics& g);
  void PaintSegments(Gdiplus::Graphics& g);
  void PaintList(Gdiplus::Graphics& g);
  void PaintRow(Gdiplus::Graphics& g, int row, const RectF& rect);
  void SetHover(const Part& part);

  // The path bar laid out for one folder: its segments, where each is
  // drawn (empty for those hidden behind the mark) and the first one shown
  // whole (an earlier one becomes the mark for the hidden ones). Measuring
  // the labels is the costly part, so it is done when the folder changes,
  // not on every paint and mouse move.
  struct PathBar {
    bool laidOut = false;
    std::string folder;
    std::vector<CRSPathSegment> segments;
    std::vector<RectF> rects;
    int first = 0;
  };
  const PathBar& GetPathBar() const;

  CRSFileDialogWindow& m_window;
  Part m_hover;
  mutable PathBar m_pathBar;
};

class CRSFileDialogWindow : public CRSControlWindow {
 public:
  // The window is a child of `parent` (the root's client area, say) and
  // centred in it. Thumbnails come from the shared service unless one is
  // given, and folders are listed by the platform unless a lister is given
  // (tests give their own).
  CRSFileDialogWindow(CRSCanvasItem* parent, const CRSOpenFileRequest& request,
                      CRSThumbnailService* thumbnails = nullptr, CRSFolderReader::Lister lister = {});
  CRSFileDialogWindow(CRSCanvasItem* parent, const CRSSaveFileRequest& request,
                      CRSThumbnailService* thumbnails = nullptr, CRSFolderReader::Lister lister = {});
  ~CRSFileDialogWindow() override;

  CRSFileBrowser& Browser() { return *m_browser; }
  const CRSFileDialogLayout& GetLayout() const { return m_layout; }
  CRSFileDialogBody* GetBody() const { return m_body; }
  CRSEdit* GetPathEdit() const { return m_pathEdit; }
  CRSEdit* GetNameEdit() const { return m_nameEdit; }
  CRSMultiChoices* GetFilterChoice() const { return m_filter; }
  CRSControlButton* GetOkButton() const { return m_ok; }
  CRSControlButton* GetCancelButton() const { return m_cancel; }
  CRSScrollBar* GetScrollBar() const { return m_scroll; }
  // The overwrite question while it is shown, else null.
  CRSMessageBox* GetOverwriteBox() const { return m_overwriteBox.get(); }

  // Closing the window any other way than by an answer cancels the dialog.
  void Close() override;
  void OnKey(int message, unsigned virtualKey, long keyData, bool* handled) override;
  // A "/" or "~" typed outside the path edit starts a typed path there, so
  // a player can type where a file is without clicking the edit first.
  int FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;

  // The rows the list shows now, for the body.
  int GetTopRow() const { return m_browser->GetTopRow(); }
  CRSThumbnailService* GetThumbnails() const { return m_thumbnails; }
  // What the path edit shows for a folder: its display form with a slash
  // after it, ready for a name to be typed.
  static std::string PathEditText(const std::string& folder);

 private:
  CRSFileDialogWindow(CRSCanvasItem* parent, std::unique_ptr<CRSFileBrowser> browser,
                      CRSThumbnailService* thumbnails);
  void Build();
  void OnChanged();
  void OnSelectionChanged();
  void OnRowThumbnail(int row);
  void OnAnswered();
  void OnFileChosen(std::string path) { (void)path; OnAnswered(); }
  void OnAskOverwrite(std::string question);
  void OnOverwriteAnswered(int result);
  void OnFilterChanged(int index);
  void OnNameTyped(CRSEdit* edit, const std::string& text);
  // Whether a character typed with `focus` holding the keyboard begins a
  // path rather than being typed where it is.
  bool StartsTypedPath(const CRSEventReceiver* focus, unsigned character) const;
  void OnPathTyped(CRSEdit* edit, const std::string& text);
  void OnOk();
  void OnCancel();
  void OnScrolled(CRSCanvasItem* bar, float value);
  void SyncScrollBar();
  void RequestVisibleThumbnails();
  void FocusItem(CRSCanvasItem* item);

  // The reader outlives the browser that listens to it.
  std::unique_ptr<CRSFolderReader> m_reader;
  CRSThumbnailService* m_thumbnails;
  std::unique_ptr<CRSFileBrowser> m_browser;
  CRSFileDialogLayout m_layout;
  CRSFileDialogBody* m_body = nullptr;
  CRSEdit* m_pathEdit = nullptr;
  CRSEdit* m_nameEdit = nullptr;
  CRSMultiChoices* m_filter = nullptr;
  CRSControlButton* m_ok = nullptr;
  CRSControlButton* m_cancel = nullptr;
  CRSScrollBar* m_scroll = nullptr;
  CRSAutoPtrPolymorphic<CRSMessageBox> m_overwriteBox;
  std::string m_shownFolder;  // the folder the path edit was last set to
  bool m_syncing = false;
  bool m_nameTyped = false;   // the player has typed into the name edit
};
