#pragma once
// Control styles: one process-wide object gives every drawn control its
// colours, fonts and sizes, and for most controls their whole drawing.
// Controls hold their state and ask the style to build or lay out their
// parts; no colour, font or stroke width is written inside a control.
//
// The interface's operations are listed in the order of their slots. The
// drawing implementation (`CRSControlStylesDrawn`) reads its values from a
// plain record; the values' XML element is read and written one layer up
// (data/control_styles_default.h), since the framework knows nothing of the
// file formats. The current style lives in one shared slot and is replaced
// as a whole; controls made afterwards draw with the new one.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/types.h"

class CRSCanvasItem;
class CRSControlButton;
class CRSControlWindow;
class CRSStatic;
class CRSGroupBox;
class CRSCheckBox;
class CRSMultiChoices;
class CRSProgressBar;
class CRSScrollBar;
class CRSSlider;
class CRSXMLWriter;

// A font as a style names it: family, size in points, style bits
// (1 bold, 2 italic, 4 underline, 8 strikeout).
struct CRSStyleFont {
  std::string family = "Times New Roman";
  float size = 15.0f;
  int style = 1;
  bool operator==(const CRSStyleFont&) const = default;
};

// Every value of the default style, with the defaults its constructor sets.
// Colours are ARGB (0xAARRGGBB).
struct CRSControlStyleValues {
  float roundedCornersRadius = 15.0f;

  uint32_t staticTextColor = 0xFFFFFFFF;
  CRSStyleFont staticTextFont;

  uint32_t buttonBackground = 0x880000FF;
  uint32_t buttonBackgroundUp = 0xAAFFFFFF;
  uint32_t buttonBackgroundDown = 0xDD0000FF;
  uint32_t buttonBackgroundDisabled = 0x550000FF;
  uint32_t buttonText = 0xFFFFFFFF;
  uint32_t buttonTextDisabled = 0x66CCCCCC;
  float buttonHeight = 22.0f;
  CRSStyleFont buttonFont;

  uint32_t windowBackground = 0x9900008F;
  uint32_t windowBackgroundTitle = 0x993366CC;
  uint32_t windowBorder = 0x99FFFFFF;
  uint32_t windowText = 0xFFFFFF00;
  float windowHeightTitle = 26.0f;
  float windowHeightToolTitle = 19.0f;
  float windowWidthButton = 26.0f;
  float windowMargin = 3.0f;
  CRSStyleFont windowFont;

  bool operator==(const CRSControlStyleValues&) const = default;
};

// The colours of what the style's file element does not cover: the drawn
// open, save and colour dialogs, and the play room's clock and tips. They
// are named here once, so no dialog or room writes a colour of its own.
struct CRSStylePalette {
  // Dialog text and the wells of the places column and the file list.
  uint32_t dialogText = 0xFFFFFFFF;
  uint32_t dialogDimText = 0xB8D8E2F2;
  uint32_t dialogMessageText = 0xFFFFD27A;  // the message line's warm yellow
  uint32_t dialogPanel = 0x70000018;
  uint32_t dialogPanelRim = 0x38FFFFFF;
  // Highlights: the selected row or current place, the one under the
  // mouse, and a path segment at rest.
  uint32_t dialogSelection = 0xD83670D8;
  uint32_t dialogHover = 0x30FFFFFF;
  uint32_t dialogSegment = 0x22FFFFFF;
  // The file list's icons: folders (and home), the drive, pages, and the
  // backing under a thumbnail.
  uint32_t folderBack = 0xFFC8962E;
  uint32_t folderFront = 0xFFF0BE4A;
  uint32_t folderLight = 0xFFFFDE8A;
  uint32_t driveLight = 0xFFE4E8EE;
  uint32_t driveDark = 0xFF9AA4B2;
  uint32_t driveLamp = 0xFF50D070;
  uint32_t paper = 0xFFF4F6FA;
  uint32_t paperFold = 0xFFC9D1DD;
  uint32_t paperLines = 0xFFB8C2D0;
  uint32_t brokenLinkMark = 0xFFD04040;
  uint32_t thumbnailBacking = 0x30000000;
  // The colour dialog: rims of the swatches, field, bar and preview, the
  // chosen swatch's ring, the marks on the field and the bar, and the dark
  // end of the brightness bar.
  uint32_t swatchRim = 0x50FFFFFF;
  uint32_t chosenRing = 0xFFFFFFFF;
  uint32_t fieldRim = 0x60FFFFFF;
  uint32_t previewRim = 0xA0FFFFFF;
  uint32_t markLight = 0xFFFFFFFF;
  uint32_t markDark = 0xC0000000;
  uint32_t brightnessDark = 0xFF000000;
  // The play room's clock, and the tip line under its band.
  uint32_t clockText = 0xFFFFFFFF;
  uint32_t clockOutline = 0x88000000;
  uint32_t tipBand = 0x88FFFFFF;
  uint32_t tipText = 0xFF0000FF;
  uint32_t tipOutline = 0x88FFFF00;
};

// How a control window is framed; the numbers are those the window's
// options have always carried.
enum class CRSFrameMode : int {
  kNone = 0,       // no frame: no border, no margin, square corners
  kFixed = 1,      // a border the user cannot drag
  kResizable = 2,  // resized by dragging its edges and its grip
};

// What a window's frame depends on, so sizes can be computed for a window
// that does not exist yet (the largest picture size, the preview window).
struct CRSWindowFrameOptions {
  bool titleBar = true;
  bool toolWindow = false;  // the shorter title bar
  CRSFrameMode frameMode = CRSFrameMode::kFixed;
};

class CRSControlStyles {
 public:
  // Slot 0.
  virtual ~CRSControlStyles() = default;

  // Slot 1: the standard button height; also the thickness of scroll bars.
  virtual float GetButtonHeight() const = 0;
  // Slot 2: builds one face of a button as a new child of the button, for a
  // state 0 normal, 1 mouse over, 2 pressed, 3 disabled. Returns the face.
  virtual CRSCanvasItem* CreateButtonFace(CRSControlButton& button, int state) = 0;
  // Slot 3: (re)builds a control window's frame: background, border, title
  // bar with the caption, title-bar buttons and the resize grip.
  virtual void BuildWindowFrame(CRSControlWindow& window) = 0;
  // Slot 4: the window size for a client size.
  virtual SizeF GetWindowSize(const SizeF& clientSize, const CRSWindowFrameOptions& options) const = 0;
  // Slot 5: the client size for a window size.
  virtual SizeF GetClientSize(const SizeF& windowSize, const CRSWindowFrameOptions& options) const = 0;
  // Slot 6: the client area's rectangle inside a window of the given size.
  virtual RectF GetClientRect(const SizeF& windowSize, const CRSWindowFrameOptions& options) const = 0;
  // Slot 7: the title bar's height for a window kind.
  virtual float GetTitleHeight(bool toolWindow) const = 0;
  // Slot 8: the colour of static text and of choice lists.
  virtual uint32_t GetStaticTextColor() const = 0;
  // Slot 9: the font of static text.
  virtual CRSStyleFont GetStaticTextFont() const = 0;
  // Slot 10: lays out a static text's parts after its text or size changed.
  virtual void LayoutStatic(CRSStatic& control) = 0;
  // Slot 11.
  virtual void DrawGroupBox(CRSGroupBox& control) = 0;
  // Slot 12.
  virtual void DrawCheckBox(CRSCheckBox& control) = 0;
  // Slot 13: draws a choice list and places its text and its two buttons.
  virtual void DrawMultiChoices(CRSMultiChoices& control) = 0;
  // Slot 14.
  virtual void DrawProgressBar(CRSProgressBar& control) = 0;
  // Slot 15: draws a scroll bar and places its thumb for its value.
  virtual void DrawScrollBar(CRSScrollBar& control) = 0;
  // Slot 16: the track's rectangle, in the scroll bar's coordinates.
  virtual RectF GetScrollBarTrack(CRSScrollBar& control) = 0;
  // Slot 17: the value a thumb placed at the given position stands for.
  virtual float GetScrollBarValueAt(CRSScrollBar& control, const PointF& thumbPosition) = 0;
  // Slot 18: draws a slider and places its thumb for its value.
  virtual void DrawSlider(CRSSlider& control) = 0;
  // Slot 19: the track's rectangle, in the slider's coordinates.
  virtual RectF GetSliderTrack(CRSSlider& control) = 0;
  // Slot 20: the value a thumb placed at the given position stands for.
  virtual float GetSliderValueAt(CRSSlider& control, const PointF& thumbPosition) = 0;
  // Slot 21: writes the style as its XML element.
  virtual void Write(CRSXMLWriter& out) = 0;
  // Slot 22: the style's element name.
  virtual std::string_view GetElementName() const = 0;
  // After the slots: the colours of the dialogs, clock and tips.
  virtual const CRSStylePalette& GetPalette() const = 0;

  // The current style; a drawn style with the default values until one is
  // installed. Never null.
  static std::shared_ptr<CRSControlStyles> GetCurrent();
  // Replaces the current style as a whole; null restores the defaults.
  static void SetCurrent(std::shared_ptr<CRSControlStyles> style);
};

// The one drawing implementation, over a record of values. The XML element
// "control-style-default" is handled by the class that derives from this one
// in data/ (`CRSControlStylesDefault`); this class writes nothing.
class CRSControlStylesDrawn : public CRSControlStyles {
 public:
  static constexpr std::string_view kElementName = "control-style-default";

  CRSControlStylesDrawn() = default;
  explicit CRSControlStylesDrawn(const CRSControlStyleValues& values) : m_values(values) {}

  const CRSControlStyleValues& GetValues() const { return m_values; }
  // Values outside their sensible ranges are clamped (see ClampValues).
  void SetValues(const CRSControlStyleValues& values);
  // Brings every size, radius and font into a range a window can be drawn
  // with; values that are not finite fall back to the defaults.
  static CRSControlStyleValues ClampValues(const CRSControlStyleValues& values);

  float GetButtonHeight() const override;
  CRSCanvasItem* CreateButtonFace(CRSControlButton& button, int state) override;
  void BuildWindowFrame(CRSControlWindow& window) override;
  SizeF GetWindowSize(const SizeF& clientSize, const CRSWindowFrameOptions& options) const override;
  SizeF GetClientSize(const SizeF& windowSize, const CRSWindowFrameOptions& options) const override;
  RectF GetClientRect(const SizeF& windowSize, const CRSWindowFrameOptions& options) const override;
  float GetTitleHeight(bool toolWindow) const override;
  uint32_t GetStaticTextColor() const override;
  CRSStyleFont GetStaticTextFont() const override;
  void LayoutStatic(CRSStatic& control) override;
  void DrawGroupBox(CRSGroupBox& control) override;
  void DrawCheckBox(CRSCheckBox& control) override;
  void DrawMultiChoices(CRSMultiChoices& control) override;
  void DrawProgressBar(CRSProgressBar& control) override;
  void DrawScrollBar(CRSScrollBar& control) override;
  RectF GetScrollBarTrack(CRSScrollBar& control) override;
  float GetScrollBarValueAt(CRSScrollBar& control, const PointF& thumbPosition) override;
  void DrawSlider(CRSSlider& control) override;
  RectF GetSliderTrack(CRSSlider& control) override;
  float GetSliderValueAt(CRSSlider& control, const PointF& thumbPosition) override;
  void Write(CRSXMLWriter&) override {}
  std::string_view GetElementName() const override { return kElementName; }
  const CRSStylePalette& GetPalette() const override { return m_palette; }

 protected:
  CRSControlStyleValues& MutableValues() { return m_values; }

 private:
  CRSControlStyleValues m_values;
  CRSStylePalette m_palette;
};

// The mix-in every control derives from: access to the current style.
class CRSControlStyleBase {
 public:
  virtual ~CRSControlStyleBase() = default;
  static CRSControlStyles& Style() { return *CRSControlStyles::GetCurrent(); }
};
