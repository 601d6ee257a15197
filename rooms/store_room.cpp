#include "rooms/store_room.h"

#include "canvas/items.h"
#include "data/room_host.h"

CPuzzleStoreRoom::CPuzzleStoreRoom(CPuzzleRoomHost* root, const std::string& name)
    : CRSObject(nullptr, name.empty() ? "storeRoom" : name), m_root(root) {
  m_root->ClearFloor();
  m_root->SetFloorMinSize(SizeF(kMinWidth, kMinHeight));
  m_root->UpdateBackground();
  m_root->CreateRoomTitle(this, "Store Room");
  SetParent(m_root->GetFloor());
}

CPuzzleStoreRoom::~CPuzzleStoreRoom() = default;
