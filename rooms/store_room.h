#pragma once
// The store room: the home room, where the player's puzzles and categories
// lie on the floor. This is its frame: it takes over the floor from the
// previous room and names itself; the panels, folders and thumbnails are
// added by the store room's own work.

#include <string>

#include "canvas/object.h"

class CPuzzleRoomHost;

class CPuzzleStoreRoom : public CRSObject {
 public:
  static constexpr float kMinWidth = 500.0f;
  static constexpr float kMinHeight = 400.0f;

  CPuzzleStoreRoom(CPuzzleRoomHost* root, const std::string& name);
  ~CPuzzleStoreRoom() override;

 private:
  CPuzzleRoomHost* m_root;
};
