#pragma once
// A push or toggle button drawn by the current style. It keeps four faces as
// children (normal, mouse over, pressed, disabled), exactly one of them
// visible, and shows either its caption or its pictures on them. The caption
// marks its hot key with "&": Alt with that letter clicks the button.
//
// Clicked and toggled are emitted through the event queue, so their handlers
// run after the input that caused them and may destroy the button.

#include <memory>
#include <string>

#include "canvas/items.h"
#include "canvas/signal_through_event.h"
#include "canvas/styles.h"

namespace Gdiplus {
class Bitmap;
}

class CRSControlButton : public CRSCanvasGroup, public CRSControlStyleBase {
 public:
  enum Face : int { kFaceNormal = 0, kFaceOver = 1, kFacePressed = 2, kFaceDisabled = 3, kFaceCount = 4 };

  static constexpr const char* kSoundClick = "SOUND_BUTTON_CLICK.WAV";
  static constexpr const char* kSoundOver = "SOUND_BUTTON_UP.WAV";

  // A button of the given size; a height of 0 takes the style's button height.
  CRSControlButton(const PointF& position, CRSObject* parent, const std::string& name, const SizeF& size,
                   const std::string& caption = std::string());
  ~CRSControlButton() override;

  // Rebuilds the faces through the style, then takes the hot key from the
  // letter after the first "&".
  void SetCaption(const std::string& caption);
  // Pictures replacing the caption: the faces show the first, the pressed
  // face the second when there is one. Any may be null.
  void SetImages(std::shared_ptr<Gdiplus::Bitmap> first, std::shared_ptr<Gdiplus::Bitmap> second,
                 std::shared_ptr<Gdiplus::Bitmap> third);
  // Loads stem + "0" + extension, stem + "1" + extension and stem + "2" +
  // extension for the file name stem + extension (split at its last "."),
  // and hands them to SetImages. False when the first one cannot be loaded.
  bool LoadImages(const std::string& fileName);
  void SetEnabled(bool enabled);
  // Clears the checked state.
  void SetToggle(bool toggle);
  // For a toggle button: shows face 2 (checked) or 0 and emits toggled.
  void SetChecked(bool checked);
  // Plays the click sound, emits clicked and inverts a toggle button.
  void Click();

  // The size the faces are built for (the button's size as a group is the
  // union of its visible face).
  const SizeF& GetFaceSize() const { return m_faceSize; }
  void SetFaceSize(const SizeF& size);

  const std::string& GetCaption() const { return m_caption; }
  // The upper-case letter after the first "&", or 0.
  unsigned GetHotKey() const { return m_hotKey; }
  bool IsEnabled() const { return m_enabled; }
  bool IsToggle() const { return m_toggle; }
  bool IsChecked() const { return m_checked; }
  bool IsTracking() const { return m_tracking; }
  int GetCurrentFace() const { return m_currentFace; }
  CRSCanvasItem* GetFace(int index) const;
  const std::shared_ptr<Gdiplus::Bitmap>& GetImage(int index) const { return m_images[index < 0 || index > 2 ? 0 : index]; }
  bool HasImages() const { return m_images[0] != nullptr; }

  void OnMouse(int message, PointF local, int keyFlags, bool* handled) override;
  // Space and Enter click it.
  void OnKey(int message, unsigned virtualKey, long keyData, bool* handled) override;
  int FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;

  CRSSignalEmittedTroughEvent0 sigClicked;
  CRSSignalEmittedTroughEvent1<bool> sigToggled;

  // The letter after the first "&" that is not itself doubled, upper-cased
  // when it is a plain letter; 0 when there is none.
  static unsigned FindHotKey(const std::string& caption);

 private:
  void RebuildFaces();
  void ShowFace(int face);
  // The face a button at rest shows: 2 for a checked toggle button, else 0.
  int RestingFace() const { return m_toggle && m_checked ? kFacePressed : kFaceNormal; }
  bool IsOver(const PointF& local);
  void UpdateHotKeyListening();
  // Whether a modal window other than the one holding this button has the
  // input now.
  bool IsBlockedByModal() const;

  CRSAutoPtrPolymorphic<CRSCanvasItem> m_faces[kFaceCount];
  int m_currentFace = kFaceNormal;
  SizeF m_faceSize;
  bool m_enabled = true;
  bool m_tracking = false;
  bool m_leaveTracking = false;
  bool m_toggle = false;
  bool m_checked = false;
  std::string m_caption;
  unsigned m_hotKey = 0;
  bool m_listening = false;
  std::shared_ptr<Gdiplus::Bitmap> m_images[3];
};
