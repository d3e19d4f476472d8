#include "bridges/syncthing/rest_client.h"

#include <curl/curl.h>

#include <cerrno>
#include <mutex>

namespace tessvik::syncthing {
namespace {

// curl_global_init is not thread-safe before libcurl 7.84: once per process.
void initCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t appendBody(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

// Called about once a second while a transfer waits (the events' long
// poll), so that a stop never waits for Syncthing's answer.
int abortWhenStopped(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
}

int errnoOf(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
      return ECONNREFUSED;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
      return ECONNRESET;
    case CURLE_OPERATION_TIMEDOUT:
      return ETIMEDOUT;
    case CURLE_ABORTED_BY_CALLBACK:
      return ECANCELED;
    default:
      return 0;
  }
}

// libcurl's own texts are English; the ones a user meets, in French.
std::string describe(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_CONNECT:
      return "connexion impossible (Syncthing est-il démarré ?)";
    case CURLE_COULDNT_RESOLVE_HOST:
      return "adresse introuvable";
    case CURLE_OPERATION_TIMEDOUT:
      return "pas de réponse à temps";
    case CURLE_ABORTED_BY_CALLBACK:
      return "interrompu";
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
      return "certificat de Syncthing refusé";
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
      return "connexion coupée";
    default:
      return std::string("échec du transfert (libcurl : ") + curl_easy_strerror(code) + ")";
  }
}

}  // namespace

std::string escapeQueryValue(std::string_view value) {
  initCurlOnce();
  char* escaped = curl_easy_escape(nullptr, value.data(), static_cast<int>(value.size()));
  if (!escaped) return {};
  std::string out(escaped);
  curl_free(escaped);
  return out;
}

struct RestClient::Handle {
  CURL* curl = nullptr;
  curl_slist* headers = nullptr;
  ~Handle() {
    curl_slist_free_all(headers);
    if (curl) curl_easy_cleanup(curl);
  }
};

RestClient::RestClient(Endpoint endpoint, const std::atomic<bool>& stop)
    : endpoint_(std::move(endpoint)), stop_(stop), handle_(std::make_unique<Handle>()) {
  initCurlOnce();
  CURL* curl = handle_->curl = curl_easy_init();
  if (!curl) return;  // get() says so
  handle_->headers = curl_slist_append(nullptr, ("X-API-Key: " + endpoint_.apiKey).c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, handle_->headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &appendBody);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &abortWhenStopped);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &stop_);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 5L);
  // Signals stay with the program: no SIGALRM-based name resolution.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  // The API key must never follow a redirect to another host.
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
#if LIBCURL_VERSION_NUM >= 0x075500  // 7.85: the older option is deprecated
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
#else
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  if (!endpoint_.unixSocket.empty())
    curl_easy_setopt(curl, CURLOPT_UNIX_SOCKET_PATH, endpoint_.unixSocket.c_str());
  if (!endpoint_.certificateFile.empty()) {
    // Syncthing's own certificate names "syncthing", not the address.
    curl_easy_setopt(curl, CURLOPT_CAINFO, endpoint_.certificateFile.c_str());
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
  }
}

RestClient::~RestClient() = default;

Result<std::string> RestClient::get(std::string_view pathAndQuery, std::chrono::seconds timeout) {
  // Named without its query: the events' one is long, and says little.
  std::string request = "GET " + std::string(pathAndQuery.substr(0, pathAndQuery.find('?')));
  auto failure = [&](int code, std::string_view why) {
    Error error;
    error.code = code;
    error.operation = request;
    error.path = endpoint_.baseUrl;
    error.description = "« " + request + " » : " + std::string(why);
    return error;
  };
  CURL* curl = handle_->curl;
  if (!curl) return failure(0, "libcurl n'a pas pu démarrer");
  std::string url = endpoint_.baseUrl + std::string(pathAndQuery);
  std::string body;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(timeout.count()));
  CURLcode code = curl_easy_perform(curl);
  if (code != CURLE_OK) return failure(errnoOf(code), describe(code));
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  if (status == 200) return body;
  if (status == 403)
    return failure(0, "accès refusé (HTTP 403) : la clé d'API n'est pas celle de ce Syncthing");
  return failure(0, "réponse HTTP " + std::to_string(status));
}

}  // namespace tessvik::syncthing
