#pragma once
// A play-room scene for the benchmarks: the real main window (headless) with
// one puzzle in its library, saved once with every piece placed so that each
// opening restores a saved game, as a player's second visit does.

#include <memory>
#include <string>

#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "platform/bitmap.h"
#include "platform/message_loop.h"

class CPuzzlePlayRoom;

namespace bench_play {

inline constexpr int kPieceSize = 40;

// The process's peak resident memory (VmHWM), in KiB; -1 when unknown.
long PeakMemoryKiB();
// CPU time of all of the process's threads, in milliseconds.
double CpuMs();
// A picture of gradients and squares, different everywhere.
std::shared_ptr<Gdiplus::Bitmap> MakePicture(int width, int height);

class Scene {
 public:
  // A puzzle of width x height pixels cut into pieces of `pieceSize`, in a
  // window of windowWidth x windowHeight (0: the picture's size and a margin).
  Scene(int width, int height, int pieceSize = kPieceSize, int windowWidth = 0, int windowHeight = 0);
  ~Scene();

  bool Ok() const { return m_ok; }
  CPuzzleCanvas* Canvas() const { return m_canvas; }
  CPuzzlePlayRoom* Room() const;
  // Play, then the first frame.
  CPuzzlePlayRoom* Open();
  void Frame();
  void Leave();
  void Pump(unsigned ms = 0);
  platform::MessageLoop& Loop() { return m_loop; }

 private:
  // A data folder of the scene's own, removed after everything else of
  // the scene (the root writes its library as it goes).
  struct Folder {
    Folder();
    ~Folder();
    std::string path;
  } m_folder;
  platform::MessageLoop m_loop;
  CPuzzleView m_view;
  CPuzzleCanvas* m_canvas = nullptr;
  bool m_ok = false;
};

}  // namespace bench_play
