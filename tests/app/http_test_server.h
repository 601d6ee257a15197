#pragma once
// A small HTTP server on 127.0.0.1 for tests: each path answers in one of a
// few ways a real server (or a hostile one) might. It runs on threads of its
// own and stops, closing every connection, when destroyed.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HttpTestServer {
 public:
  enum class Mode {
    kBody,          // status 200, the body, with its length
    kBodyNoLength,  // status 200, the body, ended by closing the connection
    kNotFound,      // status 404
    kSilent,        // reads the request and never answers
    kTrickle,       // announces the body's length, then sends a byte now and then
    kRedirectLoop,  // redirects to itself forever
    kHalf,          // announces the body's length, sends half and hangs up
  };

  HttpTestServer() {
    m_listen = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(m_listen, 16);
    socklen_t length = sizeof address;
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { Accept(); });
  }

  ~HttpTestServer() {
    m_stop = true;
    m_acceptor.join();
    for (auto& worker : m_workers) worker.join();
    close(m_listen);
  }

  void Serve(const std::string& path, Mode mode, std::string body = {}) {
    std::lock_guard lock(m_mutex);
    m_routes[path] = {mode, std::move(body)};
  }

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
  }

 private:
  struct Route {
    Mode mode = Mode::kNotFound;
    std::string body;
  };

  void Accept() {
    while (!m_stop) {
      pollfd waiting{m_listen, POLLIN, 0};
      if (poll(&waiting, 1, 20) <= 0) continue;
      const int client = accept(m_listen, nullptr, nullptr);
      if (client < 0) continue;
      m_workers.emplace_back([this, client] {
        Answer(client);
        close(client);
      });
    }
  }

  void Send(int client, const std::string& bytes) { (void)!send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

  void Answer(int client) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && !m_stop) {
      pollfd waiting{client, POLLIN, 0};
      if (poll(&waiting, 1, 20) <= 0) continue;
      const ssize_t got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) return;
      request.append(buffer, static_cast<std::size_t>(got));
    }
    const auto start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    Route route;
    {
      std::lock_guard lock(m_mutex);
      if (auto found = m_routes.find(path); found != m_routes.end()) route = found->second;
    }
    const std::string length = "Content-Length: " + std::to_string(route.body.size()) + "\r\n";
    switch (route.mode) {
      case Mode::kBody:
        Send(client, "HTTP/1.1 200 OK\r\n" + length + "Connection: close\r\n\r\n" + route.body);
        break;
      case Mode::kBodyNoLength:
        Send(client, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + route.body);
        break;
      case Mode::kNotFound:
        Send(client, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        break;
      case Mode::kSilent:
        while (!m_stop) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        break;
      case Mode::kTrickle:
        Send(client, "HTTP/1.1 200 OK\r\n" + length + "Connection: close\r\n\r\n");
        for (std::size_t i = 0; i < route.body.size() && !m_stop; ++i) {
          Send(client, route.body.substr(i, 1));
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        break;
      case Mode::kHalf:
        Send(client, "HTTP/1.1 200 OK\r\n" + length + "Connection: close\r\n\r\n" +
                         route.body.substr(0, route.body.size() / 2));
        break;
      case Mode::kRedirectLoop:
        Send(client, "HTTP/1.1 302 Found\r\nLocation: " + path + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        break;
    }
  }

  int m_listen = -1;
  int m_port = 0;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::map<std::string, Route> m_routes;
  std::thread m_acceptor;
  std::vector<std::thread> m_workers;
};
