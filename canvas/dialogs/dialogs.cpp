#include "canvas/dialogs/dialogs.h"

CRSFileDialogWindow* OpenFileDialog(CRSCanvasItem* parent, const CRSOpenFileRequest& request) {
  return new CRSFileDialogWindow(parent, request);
}

CRSFileDialogWindow* SaveFileDialog(CRSCanvasItem* parent, const CRSSaveFileRequest& request) {
  return new CRSFileDialogWindow(parent, request);
}

CRSColourDialogWindow* ChooseColourDialog(CRSCanvasItem* parent, const CRSColourRequest& request) {
  return new CRSColourDialogWindow(parent, request);
}
