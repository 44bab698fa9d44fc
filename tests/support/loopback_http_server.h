#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests: it answers every request with the scripted
// body (and Description header), one connection per request, and keeps each request's line and
// headers in the order they arrived.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vodare::testing {

struct ReceivedRequest {
  std::string method;
  std::string target;
  std::vector<std::pair<std::string, std::string>> headers;  // in arrival order

  // The value of the first header of that name (ignoring case), or nullptr.
  const std::string* Header(const std::string& name) const;
  // The header names in order.
  std::vector<std::string> HeaderNames() const;
};

struct ScriptedResponse {
  std::string body = "T";
  std::string description;  // sent as the Description header when not empty
  int status = 200;
  int delay_ms = 0;  // waits this long before answering
};

class LoopbackHttpServer {
 public:
  LoopbackHttpServer();
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  int port() const { return port_; }
  // "127.0.0.1:port", as the usage endpoint is given.
  std::string endpoint() const;
  // The answer to the next requests (each request takes the first queued one; the last one
  // stays for all later requests).
  void Respond(ScriptedResponse response);
  std::vector<ReceivedRequest> requests() const;

 private:
  void Serve();
  void Handle(int fd);

  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<ScriptedResponse> responses_;
  bool scripted_ = false;
  std::vector<ReceivedRequest> requests_;
  std::thread thread_;
};

}  // namespace vodare::testing
