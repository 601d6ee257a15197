#pragma once
// Picture thumbnails for the file dialogs, made in the background.
//
// The user-interface thread asks for a thumbnail by path and goes on at
// once; a worker thread reads the file, decodes it with the platform's image
// codec and scales it down; the result comes back to the user-interface
// thread through a posted message, where it is cached and sigThumbnailDone
// is emitted. Nothing the user-interface thread does here waits for a
// decode: it only takes a short lock on the queues.
//
// Pictures that cannot be read, are broken, are larger than the limits
// below or are not pictures at all end as failures, which are cached too, so
// a broken file is tried once. The cache lasts while the game runs (the
// shared service) and holds at most kMaxCachedThumbnails pictures; the
// oldest are dropped first.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "canvas/sigslot.h"
#include "platform/bitmap.h"
#include "platform/message_loop.h"
#include "platform/messages.h"

class CRSThumbnailService : public platform::MessageTarget {
 public:
  static constexpr int kDefaultSide = 96;
  // Decoding is refused above this many pixels (a 64-megapixel photo still
  // gets a thumbnail; its decoded form takes 256 MiB for a moment).
  static constexpr std::int64_t kDefaultMaxPixels = std::int64_t(64) << 20;
  // Files larger than this are not read at all.
  static constexpr std::size_t kMaxFileBytes = std::size_t(128) << 20;
  static constexpr std::size_t kMaxCachedThumbnails = 2048;
  // The private message that carries finished thumbnails to the
  // user-interface thread. It goes to the service's own target, so it only
  // has to stay clear of the loop's general messages.
  static constexpr unsigned kMsgThumbnailsReady = platform::kMsgUser + 100;

  enum class State { kUnknown, kPending, kReady, kFailed };

  // Thumbnails fit in a square of `side` pixels; pictures that are smaller
  // keep their size. Must be created on the user-interface thread.
  explicit CRSThumbnailService(int side = kDefaultSide, std::int64_t maxPixels = kDefaultMaxPixels);
  // Stops the worker (waiting for the picture it is decoding) and drops
  // whatever was not delivered.
  ~CRSThumbnailService() override;
  CRSThumbnailService(const CRSThumbnailService&) = delete;
  CRSThumbnailService& operator=(const CRSThumbnailService&) = delete;

  // The service the dialogs share, created on first use.
  static CRSThumbnailService& Shared();
  // Ends the shared service (at program end, before the platform stops).
  static void ShutdownShared();

  // Asks for the thumbnail of a file; returns its state now. A thumbnail that
  // is cached, failed or already on its way is not asked for again, unless
  // the file's size or time changed since it was made. The
  // newest requests are served first, so the rows the user looks at now
  // come before those scrolled past.
  State Request(const std::string& path);
  // The state of a path and, when ready, its thumbnail (shared, so a list
  // that shows it keeps it alive even if the cache drops it).
  State Find(const std::string& path, std::shared_ptr<const Gdiplus::Bitmap>* thumbnail = nullptr) const;
  // Drops the requests the worker has not started (the dialog left the
  // folder). Their state becomes kUnknown again.
  void CancelPending();

  int GetSide() const { return m_side; }
  std::size_t GetCachedCount() const { return m_age.size(); }

  // Emitted on the user-interface thread for each finished request: the
  // path and whether a thumbnail was made.
  sigslot::signal2<std::string, bool> sigThumbnailDone;

  // Makes one thumbnail now, on the calling thread; null on failure. This is
  // what the worker runs.
  static std::unique_ptr<Gdiplus::Bitmap> MakeThumbnail(const std::string& path, int side, std::int64_t maxPixels);

 private:
  struct Done {
    std::string path;
    std::unique_ptr<Gdiplus::Bitmap> thumbnail;
  };
  struct Cached {
    State state = State::kUnknown;
    std::shared_ptr<const Gdiplus::Bitmap> thumbnail;
    std::uint64_t size = 0;      // of the file when it was asked for
    std::int64_t modified = 0;
    // Finished once (ready or failed): the path has its place in m_age.
    bool finished = false;
    std::list<std::string>::iterator age;
  };

  void OnMessage(const platform::Message& msg) override;
  void WorkerLoop();
  void Store(const std::string& path, std::unique_ptr<Gdiplus::Bitmap> thumbnail);

  const int m_side;
  const std::int64_t m_maxPixels;
  platform::TargetId m_target = platform::kNoTarget;

  // User-interface thread only.
  // Ready, failed and pending paths, found by hashing: a dialog looks up
  // every row it paints, and every result that arrives.
  std::unordered_map<std::string, Cached> m_cache;
  std::list<std::string> m_age;  // finished paths, oldest first

  // Shared with the worker, under m_lock.
  std::mutex m_lock;
  std::condition_variable m_wake;
  std::deque<std::string> m_queue;  // served from the back
  std::vector<Done> m_done;
  bool m_messagePosted = false;
  bool m_stop = false;
  std::thread m_worker;
};
