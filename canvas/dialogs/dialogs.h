#pragma once
// The game's open, save and colour dialogs.
//
// The game asks with a request and learns the answer through signals, so
// nothing waits inside a nested loop: a dialog is a modal control window on
// the root canvas that answers later, through the event queue, with either
// the chosen file (raw path bytes) or colour, or a cancel, and then closes
// itself.
//
//   CRSOpenFileRequest request;
//   request.title = "Open Puzzle Image:";
//   request.filters = ImageFileFilters();
//   request.kind = CRSDialogKind::kPicture;
//   auto* dialog = new CRSFileDialogWindow(root, request);
//   dialog->Browser().sigFileChosen.connect(this, &CPuzzleCanvas::OnPictureChosen);
//
// Each dialog is two halves. The half that decides (CRSFileBrowser,
// CRSColourChooser) holds the folder, rows, selection, names and colours,
// and emits the answer; the drawn half (CRSFileDialogWindow,
// CRSColourDialogWindow) lays out the controls, forwards clicks and keys to
// it, and closes itself from its own slot on the answer, after the caller's
// slots have run. Folders are read on a CRSFolderReader's worker thread, so
// a huge folder or a slow mount never stops the game. Where each part goes and what lies under the mouse comes
// from dialog_layout.h. Pictures in the file list get thumbnails from the shared
// CRSThumbnailService.

#include "canvas/dialogs/colour_chooser.h"
#include "canvas/dialogs/colour_dialog_window.h"
#include "canvas/dialogs/dialog_layout.h"
#include "canvas/dialogs/dialog_requests.h"
#include "canvas/dialogs/file_browser.h"
#include "canvas/dialogs/file_dialog_window.h"
#include "canvas/dialogs/file_filter.h"
#include "canvas/dialogs/folder_reader.h"
#include "canvas/dialogs/save_name.h"
#include "canvas/dialogs/start_folders.h"
#include "canvas/dialogs/thumbnails.h"

// The drawn file dialog (open and save), a CRSControlWindow, completed with
// the controls: the caller's title; a places column (GetPlaces); the path
// segments (GetSegments) and an edit for a typed path (EnterTypedPath on
// Enter; a "/" or "~" typed anywhere else starts one there); the filter choice list; the list of rows with thumbnails, one
// click selecting, a double click or Enter opening, Backspace going up,
// Escape cancelling, arrows moving and the wheel scrolling; the message
// line (GetMessage); for saving, the name edit and a Yes/No message box on
// sigAskOverwrite whose "&Yes" calls AnswerOverwrite(true) and whose "&No"
// calls AnswerOverwrite(false); OK and Cancel buttons. It owns its
// CRSFileBrowser and gives it out through Browser(). Defined in
// file_dialog_window.h.

// The drawn colour dialog, a CRSControlWindow, completed with the controls:
// the 48-colour palette (PickPalette), the hue/saturation field
// (PickField), the brightness slider (SetBrightness), the hexadecimal edit
// (SetHexText, RestoreHexText when it loses the keyboard), a preview swatch
// of GetColour(), OK and Cancel. It owns its CRSColourChooser and gives it
// out through Chooser(). Defined in colour_dialog_window.h.

// The entry points the game calls. Each opens its dialog as a modal window
// in `parent` (the root's client area, say) and returns at once; the answer
// comes later through the returned window's signals:
//   open, save:  ->Browser().sigFileChosen (the raw path) or .sigCancelled
//   colour:      ->Chooser().sigColourChosen (alpha 255) or .sigCancelled
// The window is gone after the answer's delivery, so keep no pointer to it
// beyond connecting.
CRSFileDialogWindow* OpenFileDialog(CRSCanvasItem* parent, const CRSOpenFileRequest& request);
CRSFileDialogWindow* SaveFileDialog(CRSCanvasItem* parent, const CRSSaveFileRequest& request);
CRSColourDialogWindow* ChooseColourDialog(CRSCanvasItem* parent, const CRSColourRequest& request);
