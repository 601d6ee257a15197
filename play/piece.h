#pragma once
// CPuzzlePiece: one piece of a puzzle on the play canvas. It knows its four
// possible neighbours, the direction in which each lies and whether it is
// joined to it already; when it is put down it tests whether it now lies
// beside a neighbour at the same angle and, if so, joins it (see group.h for
// the groups that joined pieces live in).
//
// Ownership: a piece belongs to its parent item (the floor or a group).
// Neighbour slots refer to other pieces weakly, so a neighbour that is gone
// reads null and never keeps another piece alive.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "canvas/items.h"
#include "canvas/signal_through_event.h"
#include "canvas/weak_ref.h"

class CPuzzlePiece : public CRSCanvasImage {
 public:
  static constexpr const char* kItemName = "puzzlePiece";
  // Directions of the neighbour slots, in degrees (y grows downwards).
  static constexpr float kRight = 0.0f;
  static constexpr float kBelow = 90.0f;
  static constexpr float kLeft = 180.0f;
  static constexpr float kAbove = 270.0f;
  // Two pieces join when their anchors lie closer than this, in scene units,
  // and their total angles differ by no more than kMaxAngleDifference.
  static constexpr float kSnapDistance = 10.0f;
  static constexpr float kMaxAngleDifference = 0.5f;
  static constexpr const char* kConnectSound = "SOUND_PIECE_CONNECT.WAV";
  static constexpr const char* kRotateSound = "SOUND_PIECE_ROTATE.WAV";
  static constexpr const char* kRaiseSound = "SOUND_PIECE_UP.WAV";
  static constexpr const char* kLowerSound = "SOUND_PIECE_DOWN.WAV";

  struct NeighbourSlot {
    float angle = 0.0f;  // normalised
    bool connected = false;
    CRSWeakRef<CPuzzlePiece> piece;
  };

  using PieceSet = std::unordered_set<CPuzzlePiece*>;

  // The bitmap may be null and given later (SetImage with resizing).
  CPuzzlePiece(const std::string& name, std::shared_ptr<Gdiplus::Bitmap> bitmap, float neighbourDistance);
  ~CPuzzlePiece() override;

  // Adds an empty slot for the direction unless one exists.
  void AddNeighbourSlot(float angle);
  // other's slot at `angle` points to this piece and this piece's slot at
  // `angle` + 180 points to other; missing slots are made.
  void LinkNeighbour(CPuzzlePiece* other, float angle);
  // Sets the flag of every slot of this piece that points to other, and of
  // every slot of other that points back.
  void SetConnected(CPuzzlePiece* other, bool connected);
  // Clears every connected flag of this piece, in both directions.
  void DisconnectAll();
  // The connected flags of the slots, bit i for slot i. Setting them sets
  // this piece's flags only: whoever sets them sets the neighbours' too.
  std::uint8_t GetJoinedMask() const;
  void SetJoinedMask(std::uint8_t mask);

  // The connect test: joins every neighbour that lies in its place beside
  // this piece. Emits the solved signal (later, through the event queue)
  // when that made the puzzle whole. Plays no sound. True when anything
  // connected.
  bool TryConnect();

  // Adds this piece and every piece reachable through connected slots to
  // `visited`; true when every slot of every piece it reached is connected
  // (the whole puzzle is one group).
  bool CollectConnected(PieceSet& visited);
  // What CollectConnected answers, without gathering: it stops at the first
  // open slot, which in a puzzle not yet whole lies a few pieces away, so
  // the test after each join does not cost the size of the group.
  bool IsWhole();

  const PointF& GetAnchor() const { return m_anchor; }
  void SetAnchor(const PointF& anchor) { m_anchor = anchor; }
  const PointF& GetCellCentre() const { return m_cellCentre; }
  void SetCellCentre(const PointF& centre) { m_cellCentre = centre; }
  float GetNeighbourDistance() const { return m_neighbourDistance; }
  const std::vector<NeighbourSlot>& GetNeighbourSlots() const { return m_neighbours; }
  // The slot for a direction (exact match of the normalised angle), or null.
  const NeighbourSlot* FindSlot(float angle) const;

  // Shared so that whoever listens can keep it while the piece goes away.
  const std::shared_ptr<CRSSignalEmittedTroughEvent0>& GetSolvedSignal() const { return m_solved; }

  // Emitted each time the put-down handler joined something and played the
  // connect sound (not for the build-time pass, which calls TryConnect).
  sigslot::signal1<CPuzzlePiece*> sigConnectSound;

  // Sum of the rotations of the item and all of its ancestors, without any
  // reduction modulo 360.
  static float TotalAngle(const CRSCanvasItem* item);

 private:
  NeighbourSlot& SlotFor(float angle);
  // The raiseable behaviour reports the piece (or its group) put down.
  void OnLowered(CRSCanvasItem* item);

  std::shared_ptr<CRSSignalEmittedTroughEvent0> m_solved;
  std::vector<NeighbourSlot> m_neighbours;
  float m_neighbourDistance;
  PointF m_anchor;
  PointF m_cellCentre;
};

// Joins piece a (the one that moved) and its neighbour b into one group so
// that they lie exactly as in the solved picture; the pieces that join an
// existing group jump into place, the group they join stays where it is.
void MergePieces(CPuzzlePiece* a, CPuzzlePiece* b);

class CPuzzleGroup;
// Puts a piece into a group at its place in the solved picture.
void PlaceInGroup(CPuzzlePiece* piece, CPuzzleGroup* group);

// Progress in percent over the given pieces: with N pieces in G groups of
// joined pieces (a loose piece counts as a group of one), 100 for a single
// piece, else (N - G) x 100 / (N - 1); 0 without pieces.
int ComputeProgress(const std::vector<CPuzzlePiece*>& pieces);
