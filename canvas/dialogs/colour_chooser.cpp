#include "canvas/dialogs/colour_chooser.h"

#include <algorithm>
#include <cmath>

#include "platform/messages.h"

CRSColourChooser::CRSColourChooser(const CRSColourRequest& request) : m_title(request.title) {
  m_colour = 0xFF000000u | (request.initial & 0xFFFFFFu);
  m_hsv = RgbToHsv(m_colour);
  m_hexText = FormatHexColour(m_colour);
}

void CRSColourChooser::SetColour(ARGB colour) {
  colour = 0xFF000000u | (colour & 0xFFFFFFu);
  if (m_finished) return;
  const std::string hex = FormatHexColour(colour);
  if (colour == m_colour && hex == m_hexText) return;
  m_colour = colour;
  m_hsv = RgbToHsv(colour);
  m_hexText = hex;
  sigChanged.emit();
}

void CRSColourChooser::PickPalette(int index) {
  if (index < 0 || index >= kPaletteSize) return;
  SetColour(BasicPalette()[index]);
}

void CRSColourChooser::SetHsv(const CRSHsv& hsv) {
  if (m_finished) return;
  m_hsv = hsv;
  m_colour = HsvToRgb(hsv);
  m_hexText = FormatHexColour(m_colour);
  sigChanged.emit();
}

void CRSColourChooser::PickField(double x, double y) {
  x = std::isfinite(x) ? std::clamp(x, 0.0, 1.0) : 0;
  y = std::isfinite(y) ? std::clamp(y, 0.0, 1.0) : 0;
  CRSHsv hsv = m_hsv;
  // The right edge is the same red as the left one; keep hue below 360.
  hsv.hue = x >= 1 ? 0 : x * 360;
  hsv.saturation = 1 - y;
  SetHsv(hsv);
}

void CRSColourChooser::SetBrightness(double value) {
  CRSHsv hsv = m_hsv;
  hsv.value = std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0;
  SetHsv(hsv);
}

void CRSColourChooser::SetHexText(const std::string& text) {
  if (m_finished || text == m_hexText) return;
  ARGB colour;
  m_hexText = text;
  if (ParseHexColour(text, colour) && (colour & 0xFFFFFFu) != (m_colour & 0xFFFFFFu)) {
    m_colour = colour;
    m_hsv = RgbToHsv(colour);
  }
  sigChanged.emit();
}

void CRSColourChooser::RestoreHexText() {
  if (m_finished) return;
  const std::string hex = FormatHexColour(m_colour);
  if (hex == m_hexText) return;
  m_hexText = hex;
  sigChanged.emit();
}

void CRSColourChooser::Accept() {
  if (m_finished) return;
  m_finished = true;
  sigColourChosen.EmitLater(0xFF000000u | (m_colour & 0xFFFFFFu));
}

void CRSColourChooser::Cancel() {
  if (m_finished) return;
  m_finished = true;
  sigCancelled.EmitLater();
}

bool CRSColourChooser::OnKey(unsigned vk) {
  if (m_finished) return false;
  if (vk == platform::kVkReturn) {
    Accept();
    return true;
  }
  if (vk == platform::kVkEscape) {
    Cancel();
    return true;
  }
  return false;
}
