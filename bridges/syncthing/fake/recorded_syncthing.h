// A Syncthing for tests: an HTTP server on 127.0.0.1 that answers each
// request with the recorded response of the longest path prefix it was
// given, and 404 otherwise. One connection at a time, closed after each
// answer. It can stop (nothing listens) and start again on the same port,
// as a Syncthing that restarts.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tessvik::syncthing::testing {

class RecordedSyncthing {
 public:
  RecordedSyncthing();  // listening on a port of its own
  ~RecordedSyncthing();

  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
  // Answers requests whose path and query begin with `prefix` with `body`.
  void answer(const std::string& prefix, std::string body);
  // Every request line received ("GET /rest/…"), in order.
  std::vector<std::string> requests();
  void stop();
  void start();

 private:
  void serve(int listener);

  int port_ = 0;
  int listener_ = -1;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::map<std::string, std::string> answers_;
  std::vector<std::string> requests_;
};

}  // namespace tessvik::syncthing::testing
