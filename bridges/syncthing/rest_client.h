// Syncthing's REST API over HTTP, with libcurl: one connection, kept open
// between requests, to one Syncthing.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "base/error.h"

namespace tessvik::syncthing {

// Where a Syncthing answers and how to prove we may ask.
struct Endpoint {
  // "http://127.0.0.1:8384" or "https://…"; for a Unix socket, the URL that
  // goes with it ("http://localhost").
  std::string baseUrl;
  // A Unix socket's path, when Syncthing listens on one; empty otherwise.
  std::string unixSocket;
  std::string apiKey;
  // For https: the certificate that Syncthing made for its GUI
  // (https-cert.pem in its home), trusted for this address alone. Empty: the
  // system's authorities.
  std::string certificateFile;
};

// `value` percent-encoded for a URL's query.
std::string escapeQueryValue(std::string_view value);

// Not thread-safe, but `stop` may be set from any thread or a signal
// handler: a request under way then ends within about a second.
class RestClient {
 public:
  // `stop` must outlive the client.
  RestClient(Endpoint endpoint, const std::atomic<bool>& stop);
  ~RestClient();
  RestClient(const RestClient&) = delete;
  RestClient& operator=(const RestClient&) = delete;

  // GETs `pathAndQuery` ("/rest/db/need?folder=x") and returns the body of a
  // 200 answer. Fails when no answer came within `timeout`, with code
  // ETIMEDOUT; when Syncthing could not be reached (nothing listens, the
  // name does not resolve), ECONNREFUSED; when the connection broke before
  // an answer (Syncthing stopping), ECONNRESET; when `stop` was set, ECANCELED;
  // for any other answer or transfer failure, code 0. Descriptions are
  // French and name the request.
  Result<std::string> get(std::string_view pathAndQuery, std::chrono::seconds timeout);

  const Endpoint& endpoint() const { return endpoint_; }

 private:
  Endpoint endpoint_;
  const std::atomic<bool>& stop_;
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

}  // namespace tessvik::syncthing
