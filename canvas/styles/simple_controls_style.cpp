#include "canvas/styles.h"

// Placeholders until the controls work fills them in.
void CRSControlStylesDrawn::LayoutStatic(CRSStatic&) {}
void CRSControlStylesDrawn::DrawGroupBox(CRSGroupBox&) {}
void CRSControlStylesDrawn::DrawCheckBox(CRSCheckBox&) {}
void CRSControlStylesDrawn::DrawMultiChoices(CRSMultiChoices&) {}
void CRSControlStylesDrawn::DrawProgressBar(CRSProgressBar&) {}
void CRSControlStylesDrawn::DrawSlider(CRSSlider&) {}
RectF CRSControlStylesDrawn::GetSliderTrack(CRSSlider&) { return {}; }
float CRSControlStylesDrawn::GetSliderValueAt(CRSSlider&, const PointF&) { return 0; }
