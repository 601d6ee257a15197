#include "platform/http_download.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

namespace platform {
namespace {

// The name the transfer introduces itself with.
constexpr const char* kUserAgent = "InetURL/1.0";

std::uint64_t NowMs() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

// For tests: the option that fails as if the library lacked it (-1: none),
// and how many options the last transfer set.
std::atomic<int> s_failingOption{-1};
std::atomic<int> s_lastOptionCount{0};

// Sets the transfer's options one by one and remembers whether every one
// was taken. An option the library refuses (an older library that lacks
// it) is a failure: without it a rule such as "https only, also on
// redirect" would silently not hold, so the transfer must not run at all.
class OptionSetter {
 public:
  explicit OptionSetter(CURL* curl) : m_curl(curl) {}
  ~OptionSetter() { s_lastOptionCount = m_count; }
  OptionSetter(const OptionSetter&) = delete;
  OptionSetter& operator=(const OptionSetter&) = delete;

  template <typename Value>
  void operator()(CURLoption option, Value value) {
    if (!m_ok) return;
    const bool refused = m_count++ == s_failingOption.load();
    m_ok = !refused && curl_easy_setopt(m_curl, option, value) == CURLE_OK;
  }
  bool AllTaken() const { return m_ok; }

 private:
  CURL* m_curl;
  int m_count = 0;
  bool m_ok = true;
};

bool InitialiseCurl() {
  static const bool s_ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return s_ok;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool IsLoopbackHost(std::string host) {
  host = Lower(host);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  if (host == "localhost" || host == "::1") return true;
  // 127.0.0.0/8, written as four decimal parts.
  if (host.rfind("127.", 0) != 0) return false;
  int dots = 0;
  for (char c : host) {
    if (c == '.') ++dots;
    else if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return dots == 3;
}

// The scheme and host of an address; false when it does not parse.
bool SplitAddress(const std::string& url, std::string& scheme, std::string& host) {
  CURLU* parts = curl_url();
  if (!parts) return false;
  bool ok = false;
  char* schemePart = nullptr;
  char* hostPart = nullptr;
  if (curl_url_set(parts, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
      curl_url_get(parts, CURLUPART_SCHEME, &schemePart, 0) == CURLUE_OK &&
      curl_url_get(parts, CURLUPART_HOST, &hostPart, 0) == CURLUE_OK) {
    scheme = Lower(schemePart);
    host = hostPart;
    ok = true;
  }
  curl_free(schemePart);
  curl_free(hostPart);
  curl_url_cleanup(parts);
  return ok;
}

}  // namespace

bool IsAllowedDownloadAddress(const std::string& url) {
  if (!InitialiseCurl()) return false;
  std::string scheme;
  std::string host;
  if (!SplitAddress(url, scheme, host)) return false;
  return scheme == "https" || (scheme == "http" && IsLoopbackHost(host));
}

HttpDownload::~HttpDownload() {
  Cancel();
  if (m_thread.joinable()) m_thread.join();
}

HttpDownload::Result HttpDownload::Start(const std::string& url, const std::string& path, const HttpLimits& limits) {
  if (!IsAllowedDownloadAddress(url)) return m_result = Result::kRefused;
  if (!InitialiseCurl()) return m_result = Result::kNoSession;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
  if (!file) {
    if (fd >= 0) {
      ::close(fd);
      std::remove(path.c_str());
    }
    return m_result = Result::kFileError;
  }
  m_path = path;
  m_file = file;
  m_limits = limits;
  m_thread = std::thread(&HttpDownload::Run, this, url, limits);
  return Result::kRunning;
}

void HttpDownload::Cancel() {
  m_cancel = true;
  Notify();
}

void HttpDownload::WaitForChange(unsigned timeoutMs) {
  std::unique_lock lock(m_mutex);
  if (m_result.load() != Result::kRunning) return;
  m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs));
}

void HttpDownload::Notify() {
  std::lock_guard lock(m_mutex);
  m_changed.notify_all();
}

struct HttpDownloadCallbacks {
  static std::size_t OnWrite(char* data, std::size_t size, std::size_t count, void* user);
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user);
  static int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t);
};

std::size_t HttpDownloadCallbacks::OnWrite(char* data, std::size_t size, std::size_t count, void* user) {
  auto* self = static_cast<HttpDownload*>(user);
  const std::size_t bytes = size * count;
  const std::uint64_t after = self->m_received.load() + bytes;
  if (after > self->m_limits.maxBytes) {
    // Returning less than was given ends the transfer with a write error.
    self->m_tooLarge = true;
    return 0;
  }
  if (std::fwrite(data, 1, bytes, static_cast<std::FILE*>(self->m_file)) != bytes) return 0;
  self->m_received = after;
  self->Notify();
  return bytes;
}

std::size_t HttpDownloadCallbacks::OnHeader(char*, std::size_t size, std::size_t count, void* user) {
  static_cast<HttpDownload*>(user)->m_responded = true;
  return size * count;
}

int HttpDownloadCallbacks::OnProgress(void* user, curl_off_t total, curl_off_t, curl_off_t, curl_off_t) {
  auto* self = static_cast<HttpDownload*>(user);
  if (total > 0 && static_cast<std::uint64_t>(total) != self->m_total.load()) {
    self->m_total = static_cast<std::uint64_t>(total);
    self->Notify();
  }
  if (self->m_cancel.load()) return 1;
  // The transfer library calls this about once a second even while nothing
  // arrives, which is what lets a silent server be cut off.
  const std::uint64_t now = NowMs();
  const std::uint64_t received = self->m_received.load();
  if (received != self->m_lastReceived) {
    self->m_lastReceived = received;
    self->m_lastChangeMs = now;
  } else if (now - self->m_lastChangeMs > static_cast<std::uint64_t>(self->m_limits.stallTimeoutMs)) {
    self->m_stalled = true;
    return 1;
  }
  return 0;
}

void HttpDownload::Run(std::string url, HttpLimits limits) {
  Result result = Result::kNoSession;
  m_lastChangeMs = NowMs();
  if (CURL* curl = curl_easy_init()) {
    std::string scheme;
    std::string host;
    SplitAddress(url, scheme, host);
    // Redirects may only lead to https, except that a loopback test server
    // may redirect to itself over plain http.
    const char* protocols = scheme == "http" ? "http,https" : "https";
    OptionSetter set(curl);
    set(CURLOPT_URL, url.c_str());
    set(CURLOPT_PROTOCOLS_STR, protocols);
    set(CURLOPT_REDIR_PROTOCOLS_STR, protocols);
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, limits.maxRedirects);
    set(CURLOPT_USERAGENT, kUserAgent);
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_FAILONERROR, 1L);
    set(CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
    set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    set(CURLOPT_WRITEFUNCTION, &HttpDownloadCallbacks::OnWrite);
    set(CURLOPT_WRITEDATA, static_cast<void*>(this));
    set(CURLOPT_HEADERFUNCTION, &HttpDownloadCallbacks::OnHeader);
    set(CURLOPT_HEADERDATA, static_cast<void*>(this));
    set(CURLOPT_XFERINFOFUNCTION, &HttpDownloadCallbacks::OnProgress);
    set(CURLOPT_XFERINFODATA, static_cast<void*>(this));
    set(CURLOPT_NOPROGRESS, 0L);
    const CURLcode code = set.AllTaken() ? curl_easy_perform(curl) : CURLE_UNKNOWN_OPTION;
    if (code == CURLE_OK) {
      result = Result::kCompleted;
    } else if (!set.AllTaken()) {
      // The transfer library cannot keep the rules: no session as we need it.
      result = Result::kNoSession;
    } else if (m_cancel.load()) {
      result = Result::kCancelled;
    } else if (m_tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
      result = Result::kTooLarge;
    } else if (code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_CONNECT ||
               code == CURLE_HTTP_RETURNED_ERROR || code == CURLE_TOO_MANY_REDIRECTS ||
               code == CURLE_UNSUPPORTED_PROTOCOL || code == CURLE_SSL_CONNECT_ERROR ||
               code == CURLE_PEER_FAILED_VERIFICATION || !m_responded.load()) {
      result = Result::kNoConnection;
    } else {
      result = Result::kReadFailed;
    }
    curl_easy_cleanup(curl);
  }
  auto* file = static_cast<std::FILE*>(m_file);
  m_file = nullptr;
  if (std::fclose(file) != 0 && result == Result::kCompleted) result = Result::kReadFailed;
  if (result != Result::kCompleted) std::remove(m_path.c_str());
  {
    std::lock_guard lock(m_mutex);
    m_result = result;
    m_changed.notify_all();
  }
}

void FailTransferOptionForTesting(int index) { s_failingOption = index; }
int TransferOptionCountForTesting() { return s_lastOptionCount.load(); }

std::string Sha256OfFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return {};
  std::vector<char> buffer(64 * 1024);
  while (file) {
    file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const std::streamsize got = file.gcount();
    if (got > 0 && EVP_DigestUpdate(context.get(), buffer.data(), static_cast<std::size_t>(got)) != 1) return {};
  }
  if (!file.eof()) return {};
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return {};
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

}  // namespace platform
