#pragma once
// One HTTP transfer into a file, on a worker thread of its own, so the
// window that shows it keeps working. The transfer is bounded in every way
// a stranger's server could abuse: a connection that never comes, a server
// that stops sending, a body larger than expected, endless redirects. Only
// https addresses are fetched, and plain http only from this machine's own
// loopback address (a local server, as tests use).
//
// A transfer that does not complete deletes its file, so no partial file is
// ever left behind.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace platform {

struct HttpLimits {
  long connectTimeoutMs = 15000;
  // A transfer that receives nothing for this long is cut off, whether the
  // server never answers or stops half-way.
  long stallTimeoutMs = 30000;
  // A body larger than this is refused before or while it arrives.
  std::uint64_t maxBytes = 256u * 1024u * 1024u;
  long maxRedirects = 5;
};

// Whether an address may be fetched: https anywhere, http only on a loopback
// host (localhost, 127.0.0.0/8, ::1).
bool IsAllowedDownloadAddress(const std::string& url);

class HttpDownload {
 public:
  enum class Result {
    kRunning,       // the transfer goes on
    kCompleted,     // the whole body is in the file
    kNoSession,     // the transfer library could not start
    kNoConnection,  // no answer from the server, or an error status
    kFileError,     // the file could not be created
    kReadFailed,    // the transfer broke off after the body began
    kTooLarge,      // the body exceeded the limit
    kCancelled,     // Cancel() was called
    kRefused,       // the address is not one we fetch from
  };

  HttpDownload() = default;
  // Cancels a running transfer and waits for its thread.
  ~HttpDownload();
  HttpDownload(const HttpDownload&) = delete;
  HttpDownload& operator=(const HttpDownload&) = delete;

  // Creates (or truncates) `path`, readable and writable by the owner only,
  // and starts fetching `url` into it. Returns kRunning, or at once the
  // reason it could not start. Call once.
  Result Start(const std::string& url, const std::string& path, const HttpLimits& limits);
  // Asks the transfer to stop; it ends with kCancelled soon after.
  void Cancel();
  // Waits up to `timeoutMs` for progress or the end; the state may be read
  // any time without waiting.
  void WaitForChange(unsigned timeoutMs);

  Result GetResult() const { return m_result.load(); }
  std::uint64_t GetReceived() const { return m_received.load(); }
  // The length the server announced, 0 when it announced none.
  std::uint64_t GetTotal() const { return m_total.load(); }
  // Whether the server answered with a status line.
  bool HasResponse() const { return m_responded.load(); }

 private:
  void Run(std::string url, HttpLimits limits);
  void Notify();
  // The transfer library's callbacks, in its own signatures (http_download.cpp).
  friend struct HttpDownloadCallbacks;

  std::string m_path;
  void* m_file = nullptr;  // std::FILE*, owned by the worker while it runs
  HttpLimits m_limits;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::atomic<Result> m_result{Result::kRunning};
  std::atomic<std::uint64_t> m_received{0};
  std::atomic<std::uint64_t> m_total{0};
  std::atomic<bool> m_responded{false};
  std::atomic<bool> m_cancel{false};
  bool m_tooLarge = false;  // worker only
  std::uint64_t m_lastReceived = 0;  // worker only
  std::uint64_t m_lastChangeMs = 0;  // worker only
  bool m_stalled = false;  // worker only
};

// For tests: makes the option the transfer sets at `index` (counting from
// 0, in the order it sets them) fail as it would with a transfer library
// that lacks it; -1 lets every option through. The count tells how many
// options the last transfer set.
void FailTransferOptionForTesting(int index);
int TransferOptionCountForTesting();

// The SHA-256 of a file's bytes as 64 lower-case hex digits; empty when the
// file cannot be read.
std::string Sha256OfFile(const std::string& path);

}  // namespace platform
