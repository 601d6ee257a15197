#pragma once
// The drawn colour dialog: a modal control window over a CRSColourChooser.
// The palette, the hue/saturation field, the brightness bar and the preview
// are painted by one item (CRSColourDialogBody), which turns presses and
// drags into the chooser's calls; the hexadecimal field and the buttons are
// ordinary controls. Like the file dialog, the window closes itself once the
// chooser has answered and the caller's slots have run.

#include <memory>
#include <string>

#include "canvas/controls/control_window.h"
#include "canvas/dialogs/colour_chooser.h"
#include "canvas/dialogs/dialog_layout.h"

class CRSEdit;
class CRSColourDialogWindow;

class CRSColourDialogBody : public CRSCanvasItem {
 public:
  enum class Drag { kNone, kField, kSlider };

  CRSColourDialogBody(CRSColourDialogWindow& window, CRSObject* parent);

  void PaintContent(Gdiplus::Graphics& g, bool useCache) override;
  void OnMouse(int message, PointF local, int keyFlags, bool* handled) override;

 private:
  void DragTo(const PointF& local);

  CRSColourDialogWindow& m_window;
  // Hue across and saturation down at full brightness, made once.
  std::unique_ptr<Gdiplus::Bitmap> m_field;
  Drag m_drag = Drag::kNone;
};

class CRSColourDialogWindow : public CRSControlWindow {
 public:
  CRSColourDialogWindow(CRSCanvasItem* parent, const CRSColourRequest& request);
  ~CRSColourDialogWindow() override;

  CRSColourChooser& Chooser() { return m_chooser; }
  const CRSColourDialogLayout& GetLayout() const { return m_layout; }
  CRSColourDialogBody* GetBody() const { return m_body; }
  CRSEdit* GetHexEdit() const { return m_hexEdit; }
  CRSControlButton* GetOkButton() const { return m_ok; }
  CRSControlButton* GetCancelButton() const { return m_cancel; }

  // Closing the window without an answer cancels the dialog.
  void Close() override;
  void OnKey(int message, unsigned virtualKey, long keyData, bool* handled) override;

 private:
  void OnChanged();
  void OnAnswered();
  void OnColourChosen(ARGB) { OnAnswered(); }
  void OnHexTyped(CRSEdit* edit, const std::string& text);
  void OnOk() { m_chooser.Accept(); }
  void OnCancel() { m_chooser.Cancel(); }

  CRSColourChooser m_chooser;
  CRSColourDialogLayout m_layout;
  CRSColourDialogBody* m_body = nullptr;
  CRSEdit* m_hexEdit = nullptr;
  CRSControlButton* m_ok = nullptr;
  CRSControlButton* m_cancel = nullptr;
  bool m_syncing = false;
};
