// Buttons: four faces built by the style, mouse tracking with capture, hot
// keys through the global key listeners, toggling and the button sounds.

#include "canvas/controls/button.h"

#include <cctype>

#include "canvas/behaviours.h"
#include "canvas/controls/control_window.h"
#include "canvas/event_dispatcher.h"
#include "canvas/events.h"
#include "canvas/mouse_leave_dispatcher.h"
#include "canvas/sound.h"
#include "platform/bitmap.h"
#include "platform/image_codec.h"
#include "platform/messages.h"

CRSControlButton::CRSControlButton(const PointF& position, CRSObject* parent, const std::string& name,
                                   const SizeF& size, const std::string& caption)
    : CRSCanvasGroup(position, parent, name),
      m_faceSize(size.Width, size.Height > 0.0f ? size.Height : Style().GetButtonHeight()) {
  m_caption = caption;
  SetTabStop(true);
  RebuildFaces();
  m_hotKey = FindHotKey(m_caption);
  UpdateHotKeyListening();
}

CRSControlButton::~CRSControlButton() {
  if (m_listening) RemoveGlobalListener(this, CRSEvents::kEventKey);
  RemoveHover(this);
  // The faces are children and go with the group; the signals are members
  // and drop any emission still queued for them.
}

unsigned CRSControlButton::FindHotKey(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;  // "&&" is a plain ampersand
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(caption[i + 1]);
    // Keys arrive as virtual-key codes, which name letters in upper case;
    // a byte of a longer UTF-8 sequence has no key of its own.
    if (c >= 0x80) return 0;
    return static_cast<unsigned>(std::toupper(c));
  }
  return 0;
}

CRSCanvasItem* CRSControlButton::GetFace(int index) const {
  if (index < 0 || index >= kFaceCount) return nullptr;
  return m_faces[index].get();
}

void CRSControlButton::RebuildFaces() {
  for (auto& face : m_faces) {
    if (CRSCanvasItem* old = face.get()) old->Delete();
    face = nullptr;
  }
  for (int i = 0; i < kFaceCount; ++i) {
    CRSCanvasItem* face = Style().CreateButtonFace(*this, i);
    m_faces[i] = face;
    if (face) face->SetVisible(false);
  }
  const int current = m_currentFace;
  m_currentFace = -1;
  ShowFace(current);
}

void CRSControlButton::ShowFace(int face) {
  if (face == m_currentFace) return;
  if (CRSCanvasItem* old = GetFace(m_currentFace)) old->SetVisible(false);
  m_currentFace = face;
  if (CRSCanvasItem* now = GetFace(face)) now->SetVisible(true);
}

void CRSControlButton::SetFaceSize(const SizeF& size) {
  if (size.Equals(m_faceSize)) return;
  m_faceSize = size;
  RebuildFaces();
}

void CRSControlButton::SetCaption(const std::string& caption) {
  if (caption == m_caption) return;
  m_caption = caption;
  RebuildFaces();
  m_hotKey = FindHotKey(m_caption);
  UpdateHotKeyListening();
}

void CRSControlButton::SetImages(std::shared_ptr<Gdiplus::Bitmap> first, std::shared_ptr<Gdiplus::Bitmap> second,
                                 std::shared_ptr<Gdiplus::Bitmap> third) {
  m_images[0] = std::move(first);
  m_images[1] = std::move(second);
  m_images[2] = std::move(third);
  RebuildFaces();
}

bool CRSControlButton::LoadImages(const std::string& fileName) {
  // Only a dot in the last path component starts the extension.
  const size_t slash = fileName.find_last_of('/');
  size_t dot = fileName.find_last_of('.');
  if (dot != std::string::npos && slash != std::string::npos && dot < slash) dot = std::string::npos;
  const std::string stem = dot == std::string::npos ? fileName : fileName.substr(0, dot);
  const std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot);
  std::shared_ptr<Gdiplus::Bitmap> pictures[3];
  for (int i = 0; i < 3; ++i) {
    std::unique_ptr<Gdiplus::Bitmap> loaded = platform::LoadImageFile(stem + std::to_string(i) + extension);
    if (loaded && loaded->IsValid()) pictures[i] = std::move(loaded);
  }
  if (!pictures[0]) return false;
  SetImages(pictures[0], pictures[1], pictures[2]);
  return true;
}

void CRSControlButton::SetEnabled(bool enabled) {
  if (enabled == m_enabled) return;
  m_enabled = enabled;
  if (!enabled) {
    // A press in progress ends here; the view lets go of the capture when
    // the button is released.
    m_tracking = false;
    ShowFace(kFaceDisabled);
  } else {
    ShowFace(kFaceNormal);
  }
}

void CRSControlButton::SetToggle(bool toggle) {
  m_toggle = toggle;
  m_checked = false;
  if (m_enabled) ShowFace(kFaceNormal);
}

void CRSControlButton::SetChecked(bool checked) {
  if (!m_toggle || checked == m_checked) return;
  m_checked = checked;
  if (m_enabled) ShowFace(checked ? kFacePressed : kFaceNormal);
  sigToggled.EmitLater(checked);
}

void CRSControlButton::Click() {
  CRSSoundHandler::Instance().PlayResourceSound(kSoundClick, false);
  sigClicked.EmitLater();
  if (m_toggle) SetChecked(!m_checked);
}

bool CRSControlButton::IsOver(const PointF& local) {
  return RectF(0.0f, 0.0f, m_faceSize.Width, m_faceSize.Height).Contains(local);
}

void CRSControlButton::OnMouse(int message, PointF local, int, bool* handled) {
  const unsigned msg = static_cast<unsigned>(message);
  if (msg == platform::kMsgMouseLeave) {
    // Taken even while disabled, so that a button enabled again asks for
    // the next leave afresh.
    m_leaveTracking = false;
    if (m_enabled) ShowFace(RestingFace());
    return;
  }
  if (!m_enabled) return;
  *handled = true;
  if (!m_leaveTracking) {
    m_leaveTracking = true;
    AddHover(this);
  }
  const bool checkedToggle = m_toggle && m_checked;
  switch (msg) {
    case platform::kMsgMouseMove:
      if (m_tracking) {
        // A checked toggle button shows the opposite pair, so a press
        // visibly releases it.
        const bool over = IsOver(local);
        ShowFace(over != checkedToggle ? kFacePressed : kFaceOver);
      } else if (!checkedToggle && m_currentFace != kFaceOver) {
        ShowFace(kFaceOver);
        CRSSoundHandler::Instance().PlayResourceSound(kSoundOver, false);
      }
      break;
    case platform::kMsgLButtonDown:
    case platform::kMsgLButtonDblClk:
      // The view captures the mouse for the item that took the press.
      m_tracking = true;
      ShowFace(checkedToggle ? kFaceOver : kFacePressed);
      break;
    case platform::kMsgLButtonUp:
      if (!m_tracking) break;
      m_tracking = false;
      if (!IsOver(local)) {
        ShowFace(RestingFace());
      } else {
        Click();
        ShowFace(m_toggle && m_checked ? kFacePressed : kFaceOver);
      }
      break;
    default:
      break;
  }
}

void CRSControlButton::UpdateHotKeyListening() {
  const bool want = m_hotKey != 0;
  if (want == m_listening) return;
  m_listening = want;
  if (want) {
    AddGlobalListener(this, CRSEvents::kEventKey);
    // Keys reach the listeners only in a tree that has a keyboard entry
    // point; it follows the button when the button joins a larger tree.
    CBehaviourMessageHandler::GetOrCreate(this);
  } else {
    RemoveGlobalListener(this, CRSEvents::kEventKey);
  }
}

bool CRSControlButton::IsBlockedByModal() const {
  CRSControlWindow* modal = CRSControlWindow::GetTopModal();
  if (!modal) return false;
  for (const CRSObject* o = this; o; o = o->GetParent())
    if (o == modal) return false;
  return true;
}

int CRSControlButton::FilterGlobalEvent(CRSEventReceiver*, CRSEvents::BasicEvent& event) {
  if (event.GetType() != CRSEvents::kEventKey || event.GetMessage() != static_cast<int>(platform::kMsgSysKeyDown))
    return kVerdictContinue;
  const auto& key = static_cast<const CRSCanvasEvents::Key&>(event);
  if (m_hotKey == 0 || key.m_virtualKey != m_hotKey || !m_enabled) return kVerdictContinue;
  // A hidden button, or one behind a modal window, has no say.
  for (const CRSCanvasItem* item = this; item; item = item->GetParentItem())
    if (!item->IsVisible()) return kVerdictContinue;
  if (IsBlockedByModal()) return kVerdictContinue;
  Click();
  return kVerdictStop;
}

void CRSControlButton::OnKey(int message, unsigned vk, long keyData, bool* handled) {
  if (message != static_cast<int>(platform::kMsgKeyDown) || (vk != platform::kVkSpace && vk != platform::kVkReturn))
    return;
  *handled = true;
  if (m_enabled && !(keyData & (1L << 30))) Click();
}
