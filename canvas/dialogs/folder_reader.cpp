#include "canvas/dialogs/folder_reader.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "canvas/dialogs/folder_model.h"

// What the reader and its worker share, under one lock. The message target
// is only posted to while the reader lives: it is unregistered after
// `stop` is set, and a message already queued for it finds no target and
// is dropped by the loop.
struct CRSFolderReader::Shared {
  Lister lister;
  platform::TargetId target = platform::kNoTarget;
  std::mutex lock;
  std::condition_variable wake;
  unsigned latest = 0;      // the newest ticket handed out
  std::string wanted;       // the folder of `latest`, while not yet started
  bool haveWork = false;
  unsigned doneTicket = 0;  // the ticket of `done`
  Listing done;
  bool stop = false;
};

namespace {

void WorkerLoop(const std::shared_ptr<CRSFolderReader::Shared>& shared) {
  CRSFolderReader::Shared& s = *shared;
  for (;;) {
    std::string folder;
    unsigned ticket;
    {
      std::unique_lock<std::mutex> hold(s.lock);
      s.wake.wait(hold, [&s] { return s.stop || s.haveWork; });
      if (s.stop) return;
      folder = s.wanted;
      ticket = s.latest;
      s.haveWork = false;
    }
    CRSFolderReader::Listing listing;
    listing.folder = folder;
    listing.result = s.lister(folder, listing.entries);
    SortEntries(listing.entries);
    std::lock_guard<std::mutex> hold(s.lock);
    // The reader has gone (its dialog closed) while the folder was read:
    // the listing is nobody's.
    if (s.stop) return;
    // A newer request has come in meanwhile: this listing is nobody's.
    if (ticket != s.latest) continue;
    s.done = std::move(listing);
    s.doneTicket = ticket;
    platform::PostMessage(s.target, CRSFolderReader::kMsgFolderRead, ticket);
  }
}

}  // namespace

CRSFolderReader::CRSFolderReader(Lister lister) : m_shared(std::make_shared<Shared>()) {
  m_shared->lister = lister ? std::move(lister) : [](const std::string& folder,
                                                     std::vector<platform::FolderEntry>& entries) {
    return platform::ListFolder(folder, entries);
  };
  m_shared->target = platform::RegisterMessageTarget(this);
  std::thread(WorkerLoop, m_shared).detach();
}

CRSFolderReader::~CRSFolderReader() {
  {
    std::lock_guard<std::mutex> hold(m_shared->lock);
    m_shared->stop = true;
  }
  m_shared->wake.notify_all();
  platform::UnregisterMessageTarget(m_shared->target);
}

unsigned CRSFolderReader::Read(const std::string& folder) {
  Shared& s = *m_shared;
  std::lock_guard<std::mutex> hold(s.lock);
  if (++s.latest == 0) ++s.latest;
  s.wanted = folder;
  s.haveWork = true;
  s.wake.notify_one();
  return s.latest;
}

bool CRSFolderReader::Take(unsigned ticket, Listing& out) {
  Shared& s = *m_shared;
  std::lock_guard<std::mutex> hold(s.lock);
  if (ticket == 0 || ticket != s.latest || s.doneTicket != ticket) return false;
  out = std::move(s.done);
  s.done = Listing();
  s.doneTicket = 0;
  return true;
}

void CRSFolderReader::OnMessage(const platform::Message& msg) {
  if (msg.message != kMsgFolderRead) return;
  const auto ticket = static_cast<unsigned>(msg.wParam);
  {
    Shared& s = *m_shared;
    std::lock_guard<std::mutex> hold(s.lock);
    if (ticket != s.latest || s.doneTicket != ticket) return;
  }
  sigRead.emit(ticket);
}
