// The keyboard focus of the view: key and character messages reach the item
// that holds the keyboard first and climb to the root's key handler when it
// leaves them; the platform's text input is on only while a text field
// holds the keyboard.

#include <gtest/gtest.h>

#include <vector>

#include "item_test_support.h"
#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/event_dispatcher.h"
#include "canvas/events.h"
#include "canvas/view.h"
#include "platform/messages.h"

namespace {

using item_test::SolidPicture;
using platform::Message;

class KeyRecorder : public CRSEventReceiver {
 public:
  int FilterEvent(CRSEventReceiver*, CRSEvents::BasicEvent& e) override {
    if (e.GetType() == CRSEvents::kEventKey) {
      auto& key = static_cast<CRSCanvasEvents::Key&>(e);
      seen.push_back({e.GetMessage(), key.m_virtualKey});
    }
    return kVerdictContinue;
  }
  struct Seen {
    int message;
    unsigned code;
    bool operator==(const Seen&) const = default;
  };
  std::vector<Seen> seen;
};

class ViewFocusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(view.Create("focus"));
    root = new CRSCanvasItem(PointF(), nullptr, "root");
    root->SetSize(SizeF(300, 200));
    new CRSCanvasImage(PointF(0, 0), root, "background", SolidPicture(300, 200, 0xFF204060));
    edit = new CRSEdit(PointF(20, 20), root, "name");
    other = new CRSEdit(PointF(20, 60), root, "other");
    handler = CBehaviourMessageHandler::GetOrCreate(root);
    AddFilter(handler, recorder, CRSEvents::kEventKey);
    view.SetRoot(root);
    view.GetWindow()->Show();
  }
  void TearDown() override {
    if (handler) RemoveFilter(handler, recorder, 0);
    view.SetRoot(nullptr);
    root = nullptr;
  }
  void Click(int x, int y) {
    Send(platform::kMsgLButtonDown, platform::kKeyStateLButton, platform::MakeMousePosition(x, y));
    Send(platform::kMsgLButtonUp, 0, platform::MakeMousePosition(x, y));
  }
  void Send(unsigned message, std::uintptr_t w, std::intptr_t l) {
    view.OnWindowMessage(Message{view.GetWindow()->GetTargetId(), message, w, l});
  }

  platform::MessageLoop loop;
  CRSCanvasView view;
  CRSAutoPtrPolymorphic<CRSCanvasItem> root;
  CRSEdit* edit = nullptr;
  CRSEdit* other = nullptr;
  CBehaviourMessageHandler* handler = nullptr;
  CRSAutoPtrPolymorphic<KeyRecorder> recorder{new KeyRecorder};
};

TEST_F(ViewFocusTest, KeysReachTheFocusedFieldAndTheRestClimbsToTheRootsHandler) {
  EXPECT_EQ(view.GetFocusItem(), nullptr);
  EXPECT_FALSE(view.IsTextInputOn());
  Send(platform::kMsgKeyDown, 'P', 0);
  EXPECT_EQ(recorder->seen, (std::vector<KeyRecorder::Seen>{{256, 'P'}})) << "without a holder keys go to the root";

  Click(30, 30);
  EXPECT_EQ(view.GetFocusItem(), edit);
  EXPECT_TRUE(edit->HasFocus());
  EXPECT_TRUE(edit->GetCaretItem()->IsVisible());
  EXPECT_TRUE(view.IsTextInputOn());
  recorder->seen.clear();
  Send(platform::kMsgKeyDown, 'E', 0);
  Send(platform::kMsgChar, 0xE9, 1);
  Send(platform::kMsgKeyUp, 'E', 0);
  Send(platform::kMsgKeyDown, platform::kVkEscape, 0);
  Send(platform::kMsgSysKeyDown, 'O', 1 << 29);
  EXPECT_EQ(edit->GetText(), "\xC3\xA9");
  EXPECT_EQ(recorder->seen, (std::vector<KeyRecorder::Seen>{{256, platform::kVkEscape}, {260, 'O'}}))
      << "typing stays in the field; Escape and Alt keys still reach the root";

  // Another field takes the keyboard over: the first one's caret goes.
  Click(30, 70);
  EXPECT_EQ(view.GetFocusItem(), other);
  EXPECT_FALSE(edit->HasFocus());
  EXPECT_FALSE(edit->GetCaretItem()->IsVisible());
  EXPECT_TRUE(view.IsTextInputOn());
  Send(platform::kMsgChar, 'x', 1);
  EXPECT_EQ(other->GetText(), "x");
  EXPECT_EQ(edit->GetText(), "\xC3\xA9");
}

TEST_F(ViewFocusTest, TextInputIsOnOnlyWhileAFieldHoldsTheKeyboard) {
  Click(30, 30);
  ASSERT_TRUE(view.IsTextInputOn());
  Click(250, 180);  // the background takes no keyboard
  EXPECT_EQ(view.GetFocusItem(), nullptr);
  EXPECT_FALSE(view.IsTextInputOn());
  EXPECT_FALSE(edit->HasFocus());
  recorder->seen.clear();
  Send(platform::kMsgChar, 'q', 1);
  EXPECT_EQ(edit->GetText(), "");
  EXPECT_EQ(recorder->seen.size(), 1u);

  // A field of another tree cannot take the keyboard.
  CRSAutoPtrPolymorphic<CRSCanvasItem> elsewhere(new CRSCanvasItem(PointF(), nullptr, "elsewhere"));
  auto* stray = new CRSEdit(PointF(), elsewhere, "stray");
  view.SetFocusItem(stray);
  EXPECT_EQ(view.GetFocusItem(), nullptr);
  EXPECT_FALSE(view.IsTextInputOn());

  // A holder that is hidden, or taken out of the tree, loses the keyboard
  // at the next key instead of taking typing nobody sees.
  Click(30, 70);
  other->SetVisible(false);
  Send(platform::kMsgChar, 'h', 1);
  EXPECT_EQ(other->GetText(), "");
  EXPECT_EQ(view.GetFocusItem(), nullptr);
  EXPECT_FALSE(view.IsTextInputOn());
  other->SetVisible(true);
  Click(30, 70);
  CRSAutoPtrPolymorphic<CRSCanvasItem> keep(other);
  other->SetParent(nullptr);
  Send(platform::kMsgChar, 'd', 1);
  EXPECT_EQ(other->GetText(), "");
  EXPECT_EQ(view.GetFocusItem(), nullptr);
  other->SetParent(root);

  // The holder is destroyed: the keyboard and the text input go with it, and
  // keys reach the root again.
  Click(30, 30);
  ASSERT_TRUE(view.IsTextInputOn());
  edit->Delete();
  edit = nullptr;
  EXPECT_EQ(view.GetFocusItem(), nullptr);
  EXPECT_FALSE(view.IsTextInputOn());
  recorder->seen.clear();
  Send(platform::kMsgChar, 'z', 1);
  EXPECT_EQ(recorder->seen.size(), 1u);

  // A new root starts without a holder.
  Click(30, 70);
  ASSERT_TRUE(view.IsTextInputOn());
  RemoveFilter(handler, recorder, 0);
  handler = nullptr;
  view.SetRoot(nullptr);
  EXPECT_FALSE(view.IsTextInputOn());
}

}  // namespace
