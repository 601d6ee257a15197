// The drawn style's button faces.

#include <algorithm>

#include "canvas/controls/button.h"
#include "canvas/styles.h"
#include "canvas/styles/style_parts.h"
#include "platform/bitmap.h"

CRSCanvasItem* CRSControlStylesDrawn::CreateButtonFace(CRSControlButton& button, int state) {
  const CRSControlStyleValues& v = m_values;
  static constexpr const char* kNames[] = {"faceNormal", "faceOver", "facePressed", "faceDisabled"};
  state = std::clamp(state, 0, 3);
  const uint32_t colours[] = {v.buttonBackground, v.buttonBackgroundUp, v.buttonBackgroundDown,
                              v.buttonBackgroundDisabled};
  const SizeF size(std::max(1.0f, button.GetFaceSize().Width), std::max(1.0f, button.GetFaceSize().Height));
  // A pressed face is lit from below (no sheen) and a disabled one is flat,
  // so the states differ in shape as well as colour.
  const float gloss = state == 2 ? 0.0f : state == 3 ? 0.3f : 1.0f;
  const uint32_t rim = state == 3 ? 0x40FFFFFFu : state == 2 ? 0x90FFFFFFu : 0x70FFFFFFu;
  CRSCanvasShape* face = style_parts::MakePanel(&button, kNames[state], RectF(0, 0, size.Width, size.Height),
                                                v.roundedCornersRadius, colours[state], gloss, rim);
  if (state == 2) {
    // A soft inner shadow along the top edge reads as pressed in.
    const Gdiplus::Color colours[] = {Gdiplus::Color(0x60000000u), Gdiplus::Color(0x00000000u),
                                      Gdiplus::Color(0x00000000u)};
    const float positions[] = {0.0f, std::min(0.4f, 6.0f / size.Height), 1.0f};
    face->AddBrush(style_parts::VerticalGradient(size.Height, colours, positions, 3));
  }

  CRSCanvasItem* content = nullptr;
  const std::shared_ptr<Gdiplus::Bitmap>& picture =
      state == 2 && button.GetImage(1) ? button.GetImage(1) : button.GetImage(0);
  if (picture) {
    auto* image = new CRSCanvasImage(PointF(), face, "image", picture);
    image->SetSize(SizeF(picture->GetUnitWidth(), picture->GetUnitHeight()));
    if (state == 3) {
      // Disabled pictures are faded to a third of their opacity.
      Gdiplus::ColorMatrix fade{};
      for (int i = 0; i < 5; ++i) fade.m[i][i] = 1.0f;
      fade.m[3][3] = 0.35f;
      image->SetColorMatrix(fade);
    }
    content = image;
  } else if (!button.GetCaption().empty()) {
    const uint32_t text = state == 3 ? v.buttonTextDisabled : v.buttonText;
    // Light text on a face that is light over a dark window gets an
    // outline; elsewhere a drop shadow is enough, and disabled text none.
    const bool lightFace = style_parts::Luminance(colours[state], 0xFF202040u) > 0.45f;
    const style_parts::Shadow shadow = state == 3 ? style_parts::kShadowNone
                                       : lightFace ? style_parts::kShadowOutline
                                                   : style_parts::kShadowDrop;
    content = style_parts::MakeCaption(face, "caption", button.GetCaption(), v.buttonFont, text, true, shadow,
                                       size.Height - 2.0f);
  }
  if (content) {
    PointF centre(size.Width * 0.5f, size.Height * 0.5f);
    // The hovered face lifts its content toward the light.
    if (state == 1) centre = PointF(centre.X - 1.0f, centre.Y - 1.0f);
    // Text boxes hold room for descenders, which most captions lack: half a
    // pixel up looks centred.
    if (!picture) centre.Y -= 0.5f;
    style_parts::CentreOn(*content, centre);
  }
  return face;
}
