#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests: it answers every request with the scripted
// body (and Description header), one connection per request, and keeps each request's line and
// headers in the order they arrived.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/text.h"

namespace vodare::testing {

struct ReceivedRequest {
  std::string method;
  std::string target;
  std::vector<std::pair<std::string, std::string>> headers;  // in arrival order

  // The value of the first header of that name (ignoring case), or nullptr.
  const std::string* Header(const std::string& name) const {
    for (const auto& [key, value] : headers)
      if (EqualsNoCase(key, name)) return &value;
    return nullptr;
  }
  std::vector<std::string> HeaderNames() const {
    std::vector<std::string> names;
    for (const auto& [key, value] : headers) names.push_back(key);
    return names;
  }
};

struct ScriptedResponse {
  std::string body = "T";
  std::string description;  // sent as the Description header when not empty
  int status = 200;
  int delay_ms = 0;  // waits this long before answering
};

class LoopbackHttpServer {
 public:
  LoopbackHttpServer() : listen_fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    if (listen_fd_ < 0) throw std::runtime_error("socket failed");
    int one = 1;
    ::setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof(addr);
    if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        ::listen(listen_fd_, 16) != 0)
      throw std::runtime_error("bind/listen failed");
    ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackHttpServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    ::close(listen_fd_);
  }
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  int port() const { return port_; }
  // "127.0.0.1:port", as the usage endpoint is given.
  std::string endpoint() const { return "127.0.0.1:" + std::to_string(port_); }
  // The answer to the next requests (each request takes the first queued one; the last one
  // stays for all later requests; before any, the default one).
  void Respond(ScriptedResponse response) {
    std::lock_guard<std::mutex> lock(mutex_);
    responses_.push_back(std::move(response));
  }
  std::vector<ReceivedRequest> requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  void Serve() {
    while (!stop_) {
      pollfd pfd{listen_fd_, POLLIN, 0};
      if (::poll(&pfd, 1, 50) <= 0) continue;
      if (int fd = ::accept(listen_fd_, nullptr, nullptr); fd >= 0) {
        Handle(fd);
        ::close(fd);
      }
    }
  }

  void Handle(int fd) {
    std::string data;
    char buffer[4096];
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (data.find("\r\n\r\n") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
      pollfd pfd{fd, POLLIN, 0};
      if (::poll(&pfd, 1, 50) <= 0) continue;
      ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
      if (n <= 0) return;
      data.append(buffer, static_cast<size_t>(n));
    }
    ReceivedRequest request;
    std::istringstream head(data.substr(0, data.find("\r\n\r\n")));
    head >> request.method >> request.target;
    for (std::string line; std::getline(head, line);) {
      if (line.ends_with('\r')) line.pop_back();
      const size_t colon = line.find(':'), value = line.find_first_not_of(' ', colon + 1);
      if (colon != std::string::npos)
        request.headers.emplace_back(line.substr(0, colon),
                                     value == std::string::npos ? "" : line.substr(value));
    }
    ScriptedResponse response;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
      if (!responses_.empty()) response = responses_.front();
      if (responses_.size() > 1) responses_.erase(responses_.begin());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(response.delay_ms));
    const std::string reply =
        "HTTP/1.1 " + std::to_string(response.status) + " OK\r\nContent-Type: text/plain\r\n" +
        (response.description.empty() ? "" : "Description: " + response.description + "\r\n") +
        "Content-Length: " + std::to_string(response.body.size()) +
        "\r\nConnection: close\r\n\r\n" + response.body;
    for (size_t sent = 0; sent < reply.size();) {
      ssize_t n = ::send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
  }

  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<ScriptedResponse> responses_;
  std::vector<ReceivedRequest> requests_;
  std::thread thread_;
};

}  // namespace vodare::testing
