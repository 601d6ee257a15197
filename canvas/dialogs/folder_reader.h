#pragma once
// Reads folders on a worker thread, so a folder of a hundred thousand
// entries, or one on a slow network mount, never stops the user-interface
// thread. Only the newest request matters: a dialog that moves on before a
// folder has been read never hears of it. The listing comes back sorted,
// through a posted message, and sigRead is emitted on the user-interface
// thread with the request's ticket; Take hands the listing over.
//
// The reader never waits for its worker. A listing can hang for minutes on
// a stalled network folder, and the dialog that owns the reader must close
// at once all the same: the worker owns its own share of what it works on,
// so when the reader goes first the worker is let go, finishes its listing
// whenever the folder answers, drops it and ends.

#include <functional>
#include <memory>
#include <string>
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

  // How a folder is listed: platform::ListFolder unless a test gives its
  // own. It runs on the worker thread and may outlive the reader.
  using Lister = std::function<platform::FolderResult(const std::string&, std::vector<platform::FolderEntry>&)>;

  // Created on the user-interface thread.
  explicit CRSFolderReader(Lister lister = {});
  // Returns at once: a listing still running is dropped when it ends.
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

  // What the reader and its worker share; defined beside the worker.
  struct Shared;

 private:
  void OnMessage(const platform::Message& msg) override;

  // Shared with the worker, which keeps it alive as long as it runs.
  std::shared_ptr<Shared> m_shared;
};
