#include "bridges/syncthing/fake/recorded_syncthing.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tessvik::syncthing::testing {
namespace {
#ifdef MSG_NOSIGNAL
constexpr int kNoSignal = MSG_NOSIGNAL;  // a client gone must not kill the tests
#else
constexpr int kNoSignal = 0;  // macOS: SO_NOSIGPIPE below
#endif
}  // namespace

RecordedSyncthing::RecordedSyncthing() {
  start();
}

RecordedSyncthing::~RecordedSyncthing() {
  stop();
}

void RecordedSyncthing::start() {
  stopping_ = false;
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  int on = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port_));
  ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  ::listen(listener_, 8);
  thread_ = std::thread(&RecordedSyncthing::serve, this, listener_);
}

void RecordedSyncthing::stop() {
  if (listener_ < 0) return;
  stopping_ = true;
  thread_.join();
  ::close(listener_);
  listener_ = -1;
}

void RecordedSyncthing::answer(const std::string& prefix, std::string body) {
  std::lock_guard lock(mutex_);
  answers_[prefix] = std::move(body);
}

std::vector<std::string> RecordedSyncthing::requests() {
  std::lock_guard lock(mutex_);
  return requests_;
}

void RecordedSyncthing::serve(int listener) {
  [[maybe_unused]] int on = 1;
  // Looks at stopping_ ten times a second: closing a listening socket does
  // not wake accept() everywhere.
  while (!stopping_) {
    pollfd waiting{listener, POLLIN, 0};
    if (::poll(&waiting, 1, 100) <= 0) continue;
    int connection = ::accept(listener, nullptr, nullptr);
    if (connection < 0) continue;
#ifdef SO_NOSIGPIPE
    ::setsockopt(connection, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      ssize_t n = ::read(connection, buffer, sizeof buffer);
      if (n <= 0) break;
      request.append(buffer, static_cast<std::size_t>(n));
    }
    std::string line = request.substr(0, request.find(" HTTP/"));
    std::string target = line.substr(line.find(' ') + 1);
    std::string status = "404 Not Found", body;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(line);
      std::size_t longest = 0;
      for (const auto& [prefix, answer] : answers_) {
        if (target.starts_with(prefix) && prefix.size() >= longest) {
          longest = prefix.size();
          status = "200 OK";
          body = answer;
        }
      }
    }
    std::string response = "HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\n" +
                           "Content-Length: " + std::to_string(body.size()) +
                           "\r\nConnection: close\r\n\r\n" + body;
    for (std::size_t sent = 0; sent < response.size();) {
      ssize_t n = ::send(connection, response.data() + sent, response.size() - sent, kNoSignal);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    ::close(connection);
  }
}

}  // namespace tessvik::syncthing::testing
