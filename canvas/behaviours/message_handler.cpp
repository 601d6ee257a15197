// The keyboard entry point of an item tree.

#include "canvas/behaviours.h"

#include "canvas/event_dispatcher.h"
#include "canvas/events.h"
#include "canvas/key_focus.h"
#include "platform/keyboard.h"
#include "platform/messages.h"

CBehaviourMessageHandler::CBehaviourMessageHandler(CRSCanvasItem* root, const std::string& name)
    : CRSCanvasBehaviour(root, name) {
  ReplaceOthers<CBehaviourMessageHandler>();
  if (root) root->sigParentChanged.connect(this, &CBehaviourMessageHandler::OnRootParentChanged);
}

CBehaviourMessageHandler::~CBehaviourMessageHandler() = default;

void CBehaviourMessageHandler::OnEvent(CRSEvents::BasicEvent& event) {
  if (event.GetType() != CRSEvents::kEventKey || event.GetMessage() != static_cast<int>(platform::kMsgKeyDown)) return;
  auto& key = static_cast<CRSCanvasEvents::Key&>(event);
  if (platform::CurrentModifierFlags() & platform::kKeyStateControl) return;
  if (key.m_virtualKey == platform::kVkEscape) {
    CloseFrontWindow(GetItem(), key.m_focusItem.get());
    return;
  }
  if (key.m_virtualKey != platform::kVkTab) return;
  MoveKeyFocus(GetItem(), key.m_focusItem.get(), (platform::CurrentModifierFlags() & platform::kKeyStateShift) != 0);
}

CBehaviourMessageHandler* CBehaviourMessageHandler::GetOrCreate(CRSCanvasItem* item) {
  if (!item) return nullptr;
  CRSCanvasItem* root = item->GetRootItem();
  if (auto* existing = Find<CBehaviourMessageHandler>(root)) return existing;
  return new CBehaviourMessageHandler(root);
}

void CBehaviourMessageHandler::OnRootParentChanged(CRSObject*, CRSObject*, CRSObject*) {
  CRSCanvasItem* item = GetItem();
  if (!item || !item->GetParentItem()) return;
  // The tree joined a larger one: whoever listened for keys here now
  // listens at the new root, and this handler goes.
  item->sigParentChanged.disconnect(this);
  CBehaviourMessageHandler* successor = GetOrCreate(item->GetRootItem());
  if (successor && successor != this) {
    static constexpr int kTypes[] = {CRSEvents::kEventAll,        CRSEvents::kEventForceDeleteReceiver,
                                     CRSEvents::kEventSignalEmit0, CRSEvents::kEventSignalEmit1,
                                     CRSEvents::kEventSignalEmit2, CRSEvents::kEventMouse,
                                     CRSEvents::kEventMouseLeave,  CRSEvents::kEventKey};
    for (int type : kTypes) {
      std::vector<CRSEventReceiver*> receivers;
      if (CRSListenerMap::List* list = GetFilters().Find(type)) {
        for (const auto& entry : *list) {
          if (CRSEventReceiver* r = entry.get()) receivers.push_back(r);
        }
      }
      for (CRSEventReceiver* r : receivers) AddFilter(successor, r, type);
    }
  }
  DeleteLater();
}
