#pragma once
// Reads folders on a worker thread, so a folder of a hundred thousand
// entries, or one on a slow network mount, never stops the user-interface
// thread. Only the newest request matters: a dialog that moves on before a
// folder has been read never hears of it. The listing comes back sorted,
// through a posted message, and sigRead is emitted on the user-interface
// thread with the request's ticket; Take hands the listing over.

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "canvas/sigslot.h"
#include "platform/folders.h"
#include "platform/message_loop.h"
#include "platform/messages.h"

class CRSFolderReader : public platform::MessageTarget {
 public:
  static constexpr unsigned kMsgFolderRead = platform::kMsgUser + 101;

  struct Listing {
    std::string folder;
    platform::FolderResult result = platform::FolderResult::kNotFound;
    std::vector<platform::FolderEntry> entries;  // in natural order
  };

  // Created on the user-interface thread.
  CRSFolderReader();
  // Waits for the folder being read, if any, and drops the rest.
  ~CRSFolderReader() override;
  CRSFolderReader(const CRSFolderReader&) = delete;
  CRSFolderReader& operator=(const CRSFolderReader&) = delete;

  // Starts reading a folder and returns the request's ticket (never 0).
  unsigned Read(const std::string& folder);
  // Takes the listing of a ticket that sigRead announced; false when the
  // ticket is not the newest one or was taken already.
  bool Take(unsigned ticket, Listing& out);

  // The newest request's listing is ready (user-interface thread).
  sigslot::signal1<unsigned> sigRead;

 private:
  void OnMessage(const platform::Message& msg) override;
  void WorkerLoop();

  platform::TargetId m_target = platform::kNoTarget;
  std::mutex m_lock;
  std::condition_variable m_wake;
  unsigned m_latest = 0;      // the newest ticket handed out
  std::string m_wanted;       // the folder of m_latest, while not yet started
  bool m_haveWork = false;
  unsigned m_doneTicket = 0;  // the ticket of m_done
  Listing m_done;
  bool m_stop = false;
  std::thread m_worker;
};
