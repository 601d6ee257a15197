#include "canvas/dialogs/thumbnails.h"

#include <algorithm>

#include "platform/folders.h"
#include "platform/image_codec.h"
#include "platform/image_codec_probe.h"
#include "platform/image_helpers.h"

namespace {

// The shared service is held by a static that is first touched only after
// the first service has registered its message target. Statics end in the
// reverse order of their construction, so the service stops (and leaves the
// target registry) before the registry itself is destroyed at exit.
struct SharedHolder {
  std::unique_ptr<CRSThumbnailService> service;
};
SharedHolder* s_holder = nullptr;

}  // namespace

CRSThumbnailService::CRSThumbnailService(int side, std::int64_t maxPixels)
    : m_side(std::max(1, side)), m_maxPixels(maxPixels) {
  m_target = platform::RegisterMessageTarget(this);
  m_worker = std::thread([this] { WorkerLoop(); });
}

CRSThumbnailService::~CRSThumbnailService() {
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_stop = true;
    m_queue.clear();
  }
  m_wake.notify_all();
  if (m_worker.joinable()) m_worker.join();
  // A message still in flight finds no target and is dropped.
  platform::UnregisterMessageTarget(m_target);
}

CRSThumbnailService& CRSThumbnailService::Shared() {
  if (!s_holder || !s_holder->service) {
    auto service = std::make_unique<CRSThumbnailService>();
    static SharedHolder holder;
    s_holder = &holder;
    holder.service = std::move(service);
  }
  return *s_holder->service;
}

void CRSThumbnailService::ShutdownShared() {
  if (s_holder) s_holder->service.reset();
}

CRSThumbnailService::State CRSThumbnailService::Request(const std::string& path) {
  // One look at the file (no reading) tells whether a cached picture is
  // still the file's: a photo edited while the game runs gets a new one.
  const platform::PathInfo info = platform::GetPathInfo(path);
  Cached& entry = m_cache[path];
  const bool changed = entry.size != info.size || entry.modified != info.modified;
  if (entry.state == State::kPending || (entry.state != State::kUnknown && !changed)) return entry.state;
  entry.state = State::kPending;
  entry.size = info.size;
  entry.modified = info.modified;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_queue.push_back(path);
  }
  m_wake.notify_one();
  return State::kPending;
}

CRSThumbnailService::State CRSThumbnailService::Find(const std::string& path,
                                                     std::shared_ptr<const Gdiplus::Bitmap>* thumbnail) const {
  const auto it = m_cache.find(path);
  if (thumbnail) *thumbnail = it == m_cache.end() ? nullptr : it->second.thumbnail;
  return it == m_cache.end() ? State::kUnknown : it->second.state;
}

void CRSThumbnailService::CancelPending() {
  std::deque<std::string> dropped;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    dropped.swap(m_queue);
  }
  for (const std::string& path : dropped) {
    const auto it = m_cache.find(path);
    if (it == m_cache.end() || it->second.state != State::kPending) continue;
    // A path asked for again after its file changed leaves the age list
    // with its entry, so the list never names a path twice.
    if (it->second.finished) m_age.erase(it->second.age);
    m_cache.erase(it);
  }
}

std::unique_ptr<Gdiplus::Bitmap> CRSThumbnailService::MakeThumbnail(const std::string& path, int side,
                                                                    std::int64_t maxPixels) {
  std::string bytes;
  if (!platform::ReadPlainFile(path, kMaxFileBytes, bytes)) return nullptr;
  const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  // The header tells the size before anything is decoded, so a picture that
  // claims to be enormous costs nothing.
  const platform::ImageProbe probe = platform::ProbeImage(data);
  if (probe.type == platform::ImageType::kUnknown || !platform::DeclaresAtMost(probe, maxPixels)) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> picture = platform::DecodeImage(data);
  bytes.clear();
  bytes.shrink_to_fit();
  if (!picture || !picture->IsValid() || picture->GetWidth() <= 0 || picture->GetHeight() <= 0) return nullptr;
  if (std::int64_t(picture->GetWidth()) * picture->GetHeight() > maxPixels) return nullptr;
  // Small pictures are not enlarged: a 16-pixel icon stays 16 pixels.
  const int w = std::min(side, picture->GetWidth());
  const int h = std::min(side, picture->GetHeight());
  return platform::ScaledCopy(*picture, w, h, Gdiplus::PixelFormat::Format32bppARGB, true);
}

void CRSThumbnailService::WorkerLoop() {
  for (;;) {
    std::string path;
    {
      std::unique_lock<std::mutex> hold(m_lock);
      m_wake.wait(hold, [this] { return m_stop || !m_queue.empty(); });
      if (m_stop) return;
      path = std::move(m_queue.back());
      m_queue.pop_back();
    }
    std::unique_ptr<Gdiplus::Bitmap> thumbnail = MakeThumbnail(path, m_side, m_maxPixels);
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_stop) return;
    m_done.push_back({std::move(path), std::move(thumbnail)});
    // One message carries every result finished before it is delivered, so
    // a fast worker never floods the loop.
    if (!m_messagePosted) m_messagePosted = platform::PostMessage(m_target, kMsgThumbnailsReady);
  }
}

void CRSThumbnailService::OnMessage(const platform::Message& msg) {
  if (msg.message != kMsgThumbnailsReady) return;
  std::vector<Done> done;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    done.swap(m_done);
    m_messagePosted = false;
  }
  for (Done& d : done) {
    const bool ok = d.thumbnail != nullptr;
    // A request cancelled while it was being made still lands in the
    // cache: the work is done, and the dialog may come back to it.
    Store(d.path, std::move(d.thumbnail));
    sigThumbnailDone.emit(d.path, ok);
  }
}

void CRSThumbnailService::Store(const std::string& path, std::unique_ptr<Gdiplus::Bitmap> thumbnail) {
  Cached& entry = m_cache[path];
  entry.state = thumbnail ? State::kReady : State::kFailed;
  entry.thumbnail = std::shared_ptr<const Gdiplus::Bitmap>(std::move(thumbnail));
  if (entry.finished) return;
  entry.finished = true;
  entry.age = m_age.insert(m_age.end(), path);
  while (m_age.size() > kMaxCachedThumbnails) {
    m_cache.erase(m_age.front());
    m_age.pop_front();
  }
}
