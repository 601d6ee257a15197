#pragma once
// The colour dialog without its drawing: the chosen colour seen through the
// palette, the hue/saturation field, the brightness slider and the
// hexadecimal field, kept consistent with each other, and the answer.
//
// The chooser keeps HSV as its own state rather than deriving it from the
// colour each time: at brightness 0 every hue is black, and the field must
// not forget the hue the user picked just because the slider touched the
// bottom.

#include <string>

#include "canvas/dialogs/colours.h"
#include "canvas/dialogs/dialog_requests.h"
#include "canvas/signal_through_event.h"
#include "canvas/sigslot.h"

class CRSColourChooser {
 public:
  explicit CRSColourChooser(const CRSColourRequest& request);

  const std::string& GetTitle() const { return m_title; }
  ARGB GetColour() const { return m_colour; }  // always opaque
  const CRSHsv& GetHsv() const { return m_hsv; }
  const std::string& GetHexText() const { return m_hexText; }
  // The palette cell showing the colour, or -1.
  int GetPaletteIndex() const { return PaletteIndexOf(m_colour); }
  bool IsFinished() const { return m_finished; }

  void SetColour(ARGB colour);  // alpha ignored
  void PickPalette(int index);
  // The field: x is the hue (0 at the left edge, 360 at the right), y the
  // saturation (1 at the top, 0 at the bottom), both given as fractions of
  // the field's size and clamped to it.
  void PickField(double xFraction, double yFraction);
  // The slider: 0 (black) to 1 (full brightness).
  void SetBrightness(double value);
  // The hexadecimal field as the user types. A text that is a colour sets
  // it; anything else is kept as typed until it is one (or the field is
  // left, see RestoreHexText) and the colour stays.
  void SetHexText(const std::string& text);
  // The field lost the keyboard: show the colour's own text again.
  void RestoreHexText();

  // OK answers the colour with alpha 255; Cancel answers nothing.
  void Accept();
  void Cancel();
  // Enter accepts, Escape cancels; true when the key was used.
  bool OnKey(unsigned virtualKey);

  CRSSignalEmittedTroughEvent1<ARGB> sigColourChosen;
  CRSSignalEmittedTroughEvent0 sigCancelled;
  // At once: anything shown changed.
  sigslot::signal0 sigChanged;

 private:
  void SetHsv(const CRSHsv& hsv);

  std::string m_title;
  ARGB m_colour = 0xFFFFFFFF;
  CRSHsv m_hsv;
  std::string m_hexText;
  bool m_finished = false;
};
