#include "support/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <stdexcept>

#include "common/text.h"

namespace vodare::testing {

const std::string* ReceivedRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : headers)
    if (EqualsNoCase(key, name)) return &value;
  return nullptr;
}

std::vector<std::string> ReceivedRequest::HeaderNames() const {
  std::vector<std::string> names;
  for (const auto& [key, value] : headers) names.push_back(key);
  return names;
}

LoopbackHttpServer::LoopbackHttpServer() {
  listen_fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  if (listen_fd_ < 0) throw std::runtime_error("socket failed");
  int one = 1;
  ::setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
      ::listen(listen_fd_, 16) != 0)
    throw std::runtime_error("bind/listen failed");
  socklen_t len = sizeof(addr);
  ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  responses_.push_back(ScriptedResponse{});
  thread_ = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  ::close(listen_fd_);
}

std::string LoopbackHttpServer::endpoint() const { return "127.0.0.1:" + std::to_string(port_); }

void LoopbackHttpServer::Respond(ScriptedResponse response) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!scripted_) responses_.clear();
  scripted_ = true;
  responses_.push_back(std::move(response));
}

std::vector<ReceivedRequest> LoopbackHttpServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LoopbackHttpServer::Serve() {
  while (!stop_) {
    pollfd pfd{listen_fd_, POLLIN, 0};
    if (::poll(&pfd, 1, 50) <= 0) continue;
    int fd = ::accept(listen_fd_, nullptr, nullptr);
    if (fd < 0) continue;
    Handle(fd);
    ::close(fd);
  }
}

void LoopbackHttpServer::Handle(int fd) {
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
    response = responses_.front();
    if (responses_.size() > 1) responses_.erase(responses_.begin());
  }
  if (response.delay_ms > 0) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(response.delay_ms);
    while (!stop_ && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const std::string reply =
      "HTTP/1.1 " + std::to_string(response.status) + " OK\r\nContent-Type: text/plain\r\n" +
      (response.description.empty() ? "" : "Description: " + response.description + "\r\n") +
      "Content-Length: " + std::to_string(response.body.size()) + "\r\nConnection: close\r\n\r\n" +
      response.body;
  size_t sent = 0;
  while (sent < reply.size()) {
    ssize_t n = ::send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }
}

}  // namespace vodare::testing
