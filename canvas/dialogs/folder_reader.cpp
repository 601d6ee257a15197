#include "canvas/dialogs/folder_reader.h"

#include "canvas/dialogs/folder_model.h"

CRSFolderReader::CRSFolderReader() {
  m_target = platform::RegisterMessageTarget(this);
  m_worker = std::thread([this] { WorkerLoop(); });
}

CRSFolderReader::~CRSFolderReader() {
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_stop = true;
  }
  m_wake.notify_all();
  if (m_worker.joinable()) m_worker.join();
  platform::UnregisterMessageTarget(m_target);
}

unsigned CRSFolderReader::Read(const std::string& folder) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (++m_latest == 0) ++m_latest;
  m_wanted = folder;
  m_haveWork = true;
  m_wake.notify_one();
  return m_latest;
}

bool CRSFolderReader::Take(unsigned ticket, Listing& out) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (ticket == 0 || ticket != m_latest || m_doneTicket != ticket) return false;
  out = std::move(m_done);
  m_done = Listing();
  m_doneTicket = 0;
  return true;
}

void CRSFolderReader::WorkerLoop() {
  for (;;) {
    std::string folder;
    unsigned ticket;
    {
      std::unique_lock<std::mutex> hold(m_lock);
      m_wake.wait(hold, [this] { return m_stop || m_haveWork; });
      if (m_stop) return;
      folder = m_wanted;
      ticket = m_latest;
      m_haveWork = false;
    }
    Listing listing;
    listing.folder = folder;
    listing.result = platform::ListFolder(folder, listing.entries);
    SortEntries(listing.entries);
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_stop) return;
    // A newer request has come in meanwhile: this listing is nobody's.
    if (ticket != m_latest) continue;
    m_done = std::move(listing);
    m_doneTicket = ticket;
    platform::PostMessage(m_target, kMsgFolderRead, ticket);
  }
}

void CRSFolderReader::OnMessage(const platform::Message& msg) {
  if (msg.message != kMsgFolderRead) return;
  const auto ticket = static_cast<unsigned>(msg.wParam);
  {
    std::lock_guard<std::mutex> hold(m_lock);
    if (ticket != m_latest || m_doneTicket != ticket) return;
  }
  sigRead.emit(ticket);
}
