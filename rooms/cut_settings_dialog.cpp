// The "Configure Puzzle" window: building and placing its controls. The
// values, the slider mappings and the buttons' work are in
// cut_settings_values.cpp.

#include "rooms/cut_settings_dialog.h"

#include "canvas/behaviours.h"
#include "data/cutter_shapes.h"

namespace {

// Every group box keeps 10 units free on either side of the dialog.
constexpr float kBoxX = 10.0f;
constexpr float kBoxWidth = CPuzzleCutSettingsDlg::kWidth - 2 * kBoxX;
// Space between rows inside a box, and between the caption and the first row.
constexpr float kRowGap = 8.0f;
// Labels and the controls beside them are this far apart.
constexpr float kLabelGap = 15.0f;
// Controls that reach to a box's right edge stop this far short of it.
constexpr float kRightInset = 10.0f;
// The second check box of the flags row starts here, whatever the box width,
// so it lines up under the middle of the sliders.
constexpr float kSecondCheckX = 150.0f;
constexpr float kMusicButtonWidth = 30.0f;
constexpr float kPlayButtonWidth = 50.0f;
constexpr float kOkButtonWidth = 60.0f;

// A button is a group of faces, so its height is its faces' height.
float Bottom(const CRSCanvasItem* item) {
  if (const auto* button = dynamic_cast<const CRSControlButton*>(item))
    return button->GetPosition().Y + button->GetFaceSize().Height;
  return item->GetPosition().Y + item->GetSize().Height;
}

// Where a box's first row starts: below the caption's text.
float FirstRow(const CRSGroupBox* box) {
  const CRSCanvasText* caption = box->GetCaptionItem();
  const float captionBottom = caption ? caption->GetPosition().Y + caption->GetSize().Height : 0.0f;
  return captionBottom + kRowGap;
}

// x positions that split a row of `row` units into three equal gaps around
// two controls of `width`.
float ThirdSplit(float row, float width, int index) {
  const float gap = (row - 2 * width) / 3.0f;
  return gap + index * (gap + width);
}

CRSStatic* AddLabel(CRSCanvasItem* parent, const PointF& at, const std::string& text) {
  return new CRSStatic(at, parent, "label", text);
}

// A label with a slider beside it, the slider ending 10 short of the box.
CRSSlider* AddSliderRow(CRSCanvasItem* box, float y, const std::string& label, float sliderX) {
  CRSStatic* text = AddLabel(box, PointF(kBoxX, y), label);
  auto* slider = new CRSSlider(PointF(sliderX, y), box, label);
  slider->SetSize(SizeF(kBoxWidth - kRightInset - sliderX, slider->GetSize().Height));
  // The label sits on the slider's middle line.
  const float tallest = std::max(text->GetSize().Height, slider->GetSize().Height);
  text->SetPosition(PointF(kBoxX, y + (tallest - text->GetSize().Height) / 2));
  slider->SetPosition(PointF(sliderX, y + (tallest - slider->GetSize().Height) / 2));
  return slider;
}

// A label with a choice list beside it, the list ending 10 short of the box.
// `bottom` becomes the lower of the two controls' bottoms.
CRSMultiChoices* AddChoiceRow(CRSCanvasItem* box, float y, const std::string& label, const std::string& name,
                              float& bottom) {
  CRSStatic* text = AddLabel(box, PointF(kBoxX, y), label);
  const float listX = text->GetSize().Width + kLabelGap;
  auto* list = new CRSMultiChoices(PointF(listX, y), box, name);
  list->SetSize(SizeF(kBoxWidth - kRightInset - listX, list->GetSize().Height));
  bottom = std::max(Bottom(text), Bottom(list));
  return list;
}

}  // namespace

CPuzzleCutSettingsDlg::CPuzzleCutSettingsDlg(CRSCanvasItem* root, const std::vector<std::string>& categories,
                                             bool withGiftBox)
    : CRSControlWindow(PointF(), root, "cutSettingsDialog", SizeF(kWidth, 400)) {
  SetCaption(kTitle);
  SetCloseButton(false);
  SetClientSize(SizeF(kWidth, 400));
  CRSCanvasItem* client = GetClientArea();

  float bottom = BuildNameRow(client);
  bottom = BuildPiecesBox(client, bottom + 18.0f, withGiftBox);
  bottom = BuildCategoryBox(client, bottom + kRowGap, categories);
  bottom = BuildMusicBox(client, bottom + kRowGap);

  const float okTop = bottom + 28.0f;
  CRSControlButton* ok = AddButton(client, PointF(ThirdSplit(kWidth, kOkButtonWidth, 0), okTop), kOkButtonWidth, "&Ok");
  ok->sigClicked.connect(this, &CPuzzleCutSettingsDlg::OnOk);
  CRSControlButton* cancel =
      AddButton(client, PointF(ThirdSplit(kWidth, kOkButtonWidth, 1), okTop), kOkButtonWidth, "&Cancel");
  cancel->sigClicked.connect(this, &CPuzzleCutSettingsDlg::OnCancel);
  SetClientSize(SizeF(kWidth, Bottom(ok) + 6.0f));

  PlaceAtTopRight(nullptr);
}

void CPuzzleCutSettingsDlg::PlaceAtTopRight(CRSCanvasItem* area) {
  // Placed once, then only kept inside the view, so the player can move it
  // off the part of the picture they want to see.
  CRSCanvasItem* parent = GetParentItem();
  float right = 0.0f, top = 0.0f;
  if (parent && area && area != parent) {
    const RectF inner = area->GetBoundsIn(parent);
    right = std::max(0.0f, parent->GetSize().Width - (inner.X + inner.Width));
    top = std::max(0.0f, inner.Y);
  }
  auto* place = new CBehaviourAlign(this, CBehaviourAlign::kRight | CBehaviourAlign::kTop);
  place->SetMargins(right, top);
  (new CBehaviourAlign(this, CBehaviourAlign::kKeepInside))->Align();
}

float CPuzzleCutSettingsDlg::BuildNameRow(CRSCanvasItem* client) {
  CRSStatic* label = AddLabel(client, PointF(10, 10), "Puzzle Name:");
  const float x = label->GetSize().Width + 12.0f;
  m_nameEdit = new CRSEdit(PointF(x, 10), client, "nameEdit");
  m_nameEdit->SetAutoSize(false);
  m_nameEdit->SetSize(SizeF(kWidth - kBoxX - x, label->GetSize().Height));
  return Bottom(label);
}

float CPuzzleCutSettingsDlg::BuildPiecesBox(CRSCanvasItem* client, float top, bool withGiftBox) {
  m_piecesBox = new CRSGroupBox(PointF(kBoxX, top), client, "piecesBox", cut_settings::PiecesCaption(0, 0));
  m_piecesBox->SetSize(SizeF(kBoxWidth, 100));
  float y = FirstRow(m_piecesBox);

  // The three sliders line up after the widest of their labels' column;
  // they all start after "Difficulty:", the longest of the three.
  CRSStatic probe(PointF(), nullptr, "", "Difficulty:");
  const float sliderX = probe.GetSize().Width + kLabelGap;
  m_difficulty = AddSliderRow(m_piecesBox, y, "Difficulty:", sliderX);
  m_difficulty->sigValueChanged.connect(this, &CPuzzleCutSettingsDlg::OnDifficulty);
  y = Bottom(m_difficulty) + kRowGap;
  m_chaos = AddSliderRow(m_piecesBox, y, "Chaos:", sliderX);
  m_chaos->SetRange(0, 100);
  m_chaos->sigValueChanged.connect(this, &CPuzzleCutSettingsDlg::OnChaos);
  y = Bottom(m_chaos) + kRowGap;
  m_zoom = AddSliderRow(m_piecesBox, y, "Zoom:", sliderX);
  m_zoom->SetRange(0.5f, 2.0f);
  m_zoom->SetValue(1.0f);
  m_zoom->sigValueChanged.connect(this, &CPuzzleCutSettingsDlg::OnZoom);
  y = Bottom(m_zoom) + kRowGap;

  float rowBottom = 0.0f;
  m_shapes = AddChoiceRow(m_piecesBox, y, "Piece Shapes:", "shapeList", rowBottom);
  for (int i = 0; i < cutter_shapes::kShapeCount; ++i) m_shapes->AddChoice(cutter_shapes::GetShapeName(i));
  m_shapes->SetSelection(m_values.shape);
  m_shapes->sigSelectionChanged.connect(this, &CPuzzleCutSettingsDlg::OnShape);
  y = rowBottom + kRowGap;

  m_pictureSize = AddChoiceRow(m_piecesBox, y, "Picture size:", "pictureSizeList", rowBottom);
  m_pictureSize->AddChoice(kFitTheScreen);
  m_pictureSize->AddChoice(kFullPicture);
  m_pictureSize->SetSelection(m_values.fullPicture ? 1 : 0);
  m_pictureSize->sigSelectionChanged.connect(this, &CPuzzleCutSettingsDlg::OnPictureSize);
  y = rowBottom + kRowGap;

  m_rotate = new CRSCheckBox(PointF(kBoxX, y), m_piecesBox, "rotateBox", "Rotate pieces");
  m_rotate->sigCheckedChanged.connect(this, &CPuzzleCutSettingsDlg::OnRotate);
  m_surprise = new CRSCheckBox(PointF(kSecondCheckX, y), m_piecesBox, "surpriseBox", "Puzzle is a surprise");
  m_surprise->sigCheckedChanged.connect(this, &CPuzzleCutSettingsDlg::OnSurprise);
  float last = std::max(Bottom(m_rotate), Bottom(m_surprise));
  if (withGiftBox) {
    m_gift = new CRSCheckBox(PointF(kBoxX, last + kRowGap), m_piecesBox, "giftBox", "It can be a gift");
    m_gift->sigCheckedChanged.connect(this, &CPuzzleCutSettingsDlg::OnGift);
    last = Bottom(m_gift);
  }
  m_piecesBox->SetSize(SizeF(kBoxWidth, last + kRowGap));
  return Bottom(m_piecesBox);
}

float CPuzzleCutSettingsDlg::BuildCategoryBox(CRSCanvasItem* client, float top,
                                              const std::vector<std::string>& categories) {
  auto* box = new CRSGroupBox(PointF(kBoxX, top), client, "categoryBox", "Category:");
  box->SetSize(SizeF(kBoxWidth, 60));
  const float captionBottom = FirstRow(box) - kRowGap;
  m_categories = new CRSMultiChoices(PointF(kBoxX, captionBottom + 6.0f), box, "categoryList");
  m_categories->SetSize(SizeF(kBoxWidth - kBoxX - kRightInset, m_categories->GetSize().Height));
  // The empty first entry stands for "no category".
  m_categories->AddChoice(std::string());
  for (const std::string& title : categories) m_categories->AddChoice(title);
  box->SetSize(SizeF(kBoxWidth, Bottom(m_categories) + kRowGap));
  return Bottom(box);
}

float CPuzzleCutSettingsDlg::BuildMusicBox(CRSCanvasItem* client, float top) {
  auto* box = new CRSGroupBox(PointF(kBoxX, top), client, "musicBox", "Puzzle Music File:");
  box->SetSize(SizeF(kBoxWidth, 80));
  const float y = FirstRow(box);
  const float browseX = kBoxWidth - kRightInset - kMusicButtonWidth;
  CRSControlButton* browse = AddButton(box, PointF(browseX, y), kMusicButtonWidth, "...");
  browse->sigClicked.connect(this, &CPuzzleCutSettingsDlg::OnBrowseMusic);
  m_music = new CRSStatic(PointF(kBoxX, y), box, "musicFile");
  m_music->SetAutoSize(false);
  m_music->SetSize(SizeF(browseX - kBoxX - 4.0f, browse->GetFaceSize().Height));

  const float buttonsY = Bottom(browse) + kRowGap;
  CRSControlButton* play =
      AddButton(box, PointF(ThirdSplit(kBoxWidth, kPlayButtonWidth, 0), buttonsY), kPlayButtonWidth, " &Play");
  play->sigClicked.connect(this, &CPuzzleCutSettingsDlg::OnPlay);
  CRSControlButton* stop =
      AddButton(box, PointF(ThirdSplit(kBoxWidth, kPlayButtonWidth, 1), buttonsY), kPlayButtonWidth, " &Stop");
  stop->sigClicked.connect(this, &CPuzzleCutSettingsDlg::OnStop);
  box->SetSize(SizeF(kBoxWidth, Bottom(play) + 6.0f));
  return Bottom(box);
}

CRSControlButton* CPuzzleCutSettingsDlg::AddButton(CRSCanvasItem* parent, const PointF& at, float width,
                                                   const std::string& caption) {
  auto* button = new CRSControlButton(at, parent, "button", SizeF(width, 0), caption);
  m_buttons.push_back(button);
  return button;
}

CRSControlButton* CPuzzleCutSettingsDlg::GetButton(const std::string& caption) const {
  for (CRSControlButton* button : m_buttons) {
    if (button->GetCaption() == caption) return button;
  }
  return nullptr;
}
