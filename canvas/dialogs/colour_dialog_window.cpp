// The drawn colour dialog: palette, field, brightness bar, hexadecimal field
// and preview.

#include "canvas/dialogs/colour_dialog_window.h"

#include <cmath>

#include "canvas/behaviours.h"
#include "canvas/controls/edit.h"
#include "canvas/dialogs/dialog_look.h"
#include "canvas/styles/style_parts.h"
#include "platform/bitmap.h"
#include "platform/brush.h"
#include "platform/messages.h"
#include "platform/pen.h"

namespace {

constexpr float kPaletteCell = 24.0f;

CRSDialogMetrics ColourDialogMetrics() {
  CRSDialogMetrics m;
  m.margin = 12;
  m.gap = 8;
  m.buttonWidth = 96;
  m.buttonHeight = CRSControlStyleBase::Style().GetButtonHeight();
  m.editHeight = m.buttonHeight;
  return m;
}

void Ring(Gdiplus::Graphics& g, const RectF& r, ARGB colour, float width) {
  Gdiplus::Pen pen(Gdiplus::Color(colour), width);
  std::unique_ptr<Gdiplus::GraphicsPath> path(style_parts::RoundedRect(r, 4.0f));
  g.DrawPath(&pen, path.get());
}

}  // namespace

// --- the painted body ------------------------------------------------------------

CRSColourDialogBody::CRSColourDialogBody(CRSColourDialogWindow& window, CRSObject* parent)
    : CRSCanvasItem(PointF(), parent, "body"), m_window(window) {
  SetDrawsItself(true);
  SetZOrder(0);
  const RectF field = window.GetLayout().field;
  const int w = std::max(1, static_cast<int>(field.Width)), h = std::max(1, static_cast<int>(field.Height));
  m_field = std::make_unique<Gdiplus::Bitmap>(w, h, Gdiplus::PixelFormat::Format32bppARGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      m_field->SetPixel(x, y, HsvToRgb(CRSHsv{360.0 * x / w, 1.0 - static_cast<double>(y) / (h - 1 > 0 ? h - 1 : 1), 1.0}));
}

void CRSColourDialogBody::PaintContent(Gdiplus::Graphics& g, bool) {
  const CRSColourDialogLayout& l = m_window.GetLayout();
  const CRSColourChooser& c = m_window.Chooser();
  const CRSStylePalette& palette = dialog_look::Palette();
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);

  // The palette: rounded swatches with a gap, the chosen one ringed.
  const int chosen = c.GetPaletteIndex();
  for (int i = 0; i < kPaletteSize; ++i) {
    RectF cell = PaletteCellRect(l, i);
    cell.Inflate(-2, -2);
    Gdiplus::SolidBrush fill{Gdiplus::Color(BasicPalette()[i])};
    std::unique_ptr<Gdiplus::GraphicsPath> path(style_parts::RoundedRect(cell, 3.0f));
    g.FillPath(&fill, path.get());
    Ring(g, cell, palette.swatchRim, 1.0f);
  }
  if (chosen >= 0) {
    RectF ring = PaletteCellRect(l, chosen);
    ring.Inflate(-0.5f, -0.5f);
    Ring(g, ring, palette.chosenRing, 2.0f);
  }

  // The field and its cross-hair.
  g.DrawImage(m_field.get(), l.field);
  Ring(g, l.field, palette.fieldRim, 1.0f);
  const PointF at = FieldPointOf(l, c.GetHsv());
  Gdiplus::Pen dark(Gdiplus::Color(palette.markDark), 3.0f), light(Gdiplus::Color(palette.markLight), 1.5f);
  g.DrawEllipse(&dark, RectF(at.X - 6, at.Y - 6, 12, 12));
  g.DrawEllipse(&light, RectF(at.X - 6, at.Y - 6, 12, 12));

  // The brightness bar: the chosen hue and saturation from full to black.
  CRSHsv top = c.GetHsv();
  top.value = 1.0;
  Gdiplus::LinearGradientBrush shade(PointF(0, l.slider.Y), PointF(0, l.slider.GetBottom()),
                                     Gdiplus::Color(HsvToRgb(top)), Gdiplus::Color(palette.brightnessDark));
  std::unique_ptr<Gdiplus::GraphicsPath> bar(style_parts::RoundedRect(l.slider, 4.0f));
  g.FillPath(&shade, bar.get());
  Ring(g, l.slider, palette.fieldRim, 1.0f);
  const float y = SliderYOf(l, c.GetHsv().value);
  const RectF thumb(l.slider.X - 3, y - 3, l.slider.Width + 6, 6);
  Gdiplus::SolidBrush thumbFill{Gdiplus::Color(palette.markLight)};
  std::unique_ptr<Gdiplus::GraphicsPath> thumbPath(style_parts::RoundedRect(thumb, 3.0f));
  g.FillPath(&thumbFill, thumbPath.get());
  Gdiplus::Pen thumbRim(Gdiplus::Color(palette.markDark), 1.0f);
  g.DrawPath(&thumbRim, thumbPath.get());

  // The preview swatch.
  Gdiplus::SolidBrush preview{Gdiplus::Color(c.GetColour())};
  std::unique_ptr<Gdiplus::GraphicsPath> swatch(style_parts::RoundedRect(l.preview, 4.0f));
  g.FillPath(&preview, swatch.get());
  Ring(g, l.preview, palette.previewRim, 1.0f);
}

void CRSColourDialogBody::DragTo(const PointF& local) {
  const CRSColourDialogLayout& l = m_window.GetLayout();
  if (m_drag == Drag::kField) {
    double x = 0, y = 0;
    FieldFractionsAt(l, local, x, y);
    m_window.Chooser().PickField(x, y);
  } else if (m_drag == Drag::kSlider) {
    m_window.Chooser().SetBrightness(SliderValueAt(l, local.Y));
  }
}

void CRSColourDialogBody::OnMouse(int message, PointF local, int keyFlags, bool* handled) {
  CRSColourChooser& c = m_window.Chooser();
  if (c.IsFinished()) return;
  const CRSColourDialogLayout& l = m_window.GetLayout();
  switch (static_cast<unsigned>(message)) {
    case platform::kMsgLButtonDown:
    case platform::kMsgLButtonDblClk: {
      *handled = true;
      // A press anywhere here leaves the hexadecimal field: a half-typed
      // text gives way to the colour's own.
      c.RestoreHexText();
      const int cell = PaletteCellAt(l, local);
      if (cell >= 0) {
        c.PickPalette(cell);
        // A double click on a swatch is the quick way to choose it.
        if (message == static_cast<int>(platform::kMsgLButtonDblClk)) c.Accept();
        return;
      }
      RectF sliderGrab = l.slider;
      sliderGrab.Inflate(4, 4);
      m_drag = l.field.Contains(local) ? Drag::kField : sliderGrab.Contains(local) ? Drag::kSlider : Drag::kNone;
      DragTo(local);
      break;
    }
    case platform::kMsgMouseMove:
      if (m_drag != Drag::kNone && (keyFlags & platform::kKeyStateLButton)) {
        *handled = true;
        DragTo(local);
      } else {
        m_drag = Drag::kNone;
      }
      break;
    case platform::kMsgLButtonUp:
      if (m_drag != Drag::kNone) DragTo(local);
      m_drag = Drag::kNone;
      break;
    default:
      break;
  }
}

// --- the window --------------------------------------------------------------------

CRSColourDialogWindow::CRSColourDialogWindow(CRSCanvasItem* parent, const CRSColourRequest& request)
    : CRSControlWindow(PointF(), parent, "colourDialog", SizeF(300, 200)),
      m_chooser(request),
      m_layout(LayOutColourDialog(ColourDialogMetrics(), kPaletteCell)) {
  SetCaption(m_chooser.GetTitle());
  SetClientSize(m_layout.client);
  CRSCanvasItem* area = GetClientArea();
  m_body = new CRSColourDialogBody(*this, area);
  m_body->SetSize(m_layout.client);
  m_hexEdit = new CRSEdit(m_layout.hexEdit.GetLocation(), area, "hexEdit", m_chooser.GetHexText());
  m_hexEdit->SetSize(m_layout.hexEdit.GetSize());
  m_hexEdit->sigTextChanged.connect(this, &CRSColourDialogWindow::OnHexTyped);
  m_ok = new CRSControlButton(m_layout.ok.GetLocation(), area, "ok", m_layout.ok.GetSize(), "&OK");
  m_ok->sigClicked.connect(this, &CRSColourDialogWindow::OnOk);
  m_cancel = new CRSControlButton(m_layout.cancel.GetLocation(), area, "cancel", m_layout.cancel.GetSize(), "&Cancel");
  m_cancel->sigClicked.connect(this, &CRSColourDialogWindow::OnCancel);
  // The window's slots come before the caller's (see the file dialog).
  m_chooser.sigChanged.connect(this, &CRSColourDialogWindow::OnChanged);
  m_chooser.sigColourChosen.connect(this, &CRSColourDialogWindow::OnColourChosen);
  m_chooser.sigCancelled.connect(this, &CRSColourDialogWindow::OnAnswered);
  SetFocusable(true);
  SetModal(true);
  new CBehaviourAlign(this, CBehaviourAlign::kCentre);
  if (CRSCanvasItem* root = GetRootItem()) root->sigFocusRequest(this);
}

CRSColourDialogWindow::~CRSColourDialogWindow() = default;

void CRSColourDialogWindow::OnChanged() {
  if (m_hexEdit && m_hexEdit->GetText() != m_chooser.GetHexText()) {
    m_syncing = true;
    m_hexEdit->SetText(m_chooser.GetHexText());
    m_syncing = false;
  }
  if (m_body) m_body->Invalidate();
}

void CRSColourDialogWindow::OnHexTyped(CRSEdit*, const std::string& text) {
  if (!m_syncing) m_chooser.SetHexText(text);
}

void CRSColourDialogWindow::OnAnswered() {
  if (!IsClosing()) CRSControlWindow::Close();
}

void CRSColourDialogWindow::Close() {
  if (IsClosing()) return;
  if (!m_chooser.IsFinished()) m_chooser.Cancel();
  CRSControlWindow::Close();
}

void CRSColourDialogWindow::OnKey(int message, unsigned vk, long keyData, bool* handled) {
  if (m_chooser.IsFinished() || IsClosing()) return;
  if (static_cast<unsigned>(message) == platform::kMsgKeyDown && m_chooser.OnKey(vk)) {
    *handled = true;
    return;
  }
  CRSControlWindow::OnKey(message, vk, keyData, handled);
}
