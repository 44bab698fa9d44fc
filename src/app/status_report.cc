#include "app/status_report.h"

#include <curl/curl.h>

#include <cstdlib>
#include <mutex>
#include <string_view>

#include "common/helpers.h"
#include "common/text.h"

namespace vodare {

namespace {

// The text of a missing response header, as the request object words it.
constexpr const char* kHeaderNotFound = "The requested header was not found";

struct Response {
  std::string body;
  std::string description;
  bool has_description = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  static_cast<Response*>(user)->body.append(data, size * count);
  return size * count;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  std::string_view line(data, size * count);
  auto* response = static_cast<Response*>(user);
  size_t colon = line.find(':');
  if (colon != std::string_view::npos && EqualsNoCase(line.substr(0, colon), "Description")) {
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && (value.back() == '\r' || value.back() == '\n')) value.remove_suffix(1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
      value.remove_prefix(1);
    response->description = std::string(value);
    response->has_description = true;
  }
  return size * count;
}

struct HeaderList {
  curl_slist* list = nullptr;
  bool ok = true;
  void Add(const std::string& line) {
    curl_slist* next = curl_slist_append(list, line.c_str());
    if (!next) {
      ok = false;
      return;
    }
    list = next;
  }
  ~HeaderList() { curl_slist_free_all(list); }
};

struct Easy {
  CURL* handle = curl_easy_init();
  ~Easy() {
    if (handle) curl_easy_cleanup(handle);
  }
};

// A header value may not carry a line break of its own: that would end the request's headers.
std::string HeaderValue(std::string_view value) {
  std::string out;
  for (char c : value)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

}  // namespace

bool ReportRunStatusTo(const std::string& endpoint, const std::string& app_name,
                       const std::string& module_name, const std::string& status,
                       std::string& error_out, const std::string& identity) {
  static std::once_flag init_once;
  static CURLcode init_code = CURLE_OK;
  std::call_once(init_once, [] { init_code = curl_global_init(CURL_GLOBAL_DEFAULT); });
  if (init_code != CURLE_OK) {
    error_out = curl_easy_strerror(init_code);
    return false;
  }
  Easy easy;
  if (!easy.handle) {
    error_out = "The usage report could not be prepared.";
    return false;
  }
  HeaderList headers;
  // Only the headers of the report go out (the client's own Accept header is left off).
  headers.Add("Accept:");
  headers.Add("SC: 501");
  headers.Add("AppName: " + HeaderValue(app_name));
  headers.Add("ModuleName: " + HeaderValue(module_name));
  headers.Add("ModuleSubName: " + HeaderValue(status));
  if (!IsBlank(Trim(identity))) headers.Add("Identity: " + HeaderValue(identity));
  headers.Add("DontUpdateBlankIdentityKeyCtr: Y");
  if (!headers.ok) {
    error_out = "The usage report could not be prepared.";
    return false;
  }
  const std::string url = "http://" + Trim(endpoint) + kUsagePath;
  Response response;
  char error_buffer[CURL_ERROR_SIZE] = {0};
  CURL* h = easy.handle;
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.list);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, kUsageTimeoutMs);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, kUsageTimeoutMs);
  curl_easy_setopt(h, CURLOPT_PROXY, "");
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &response);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &response);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error_buffer);
  CURLcode rc = curl_easy_perform(h);
  if (rc != CURLE_OK) {
    error_out = error_buffer[0] ? error_buffer : curl_easy_strerror(rc);
    return false;
  }
  if (response.body == "T") return true;
  error_out = response.has_description ? response.description : kHeaderNotFound;
  return false;
}

bool ReportRunStatus(const std::string& app_name, const std::string& module_name,
                     const std::string& status, std::string& error_out,
                     const std::string& identity) {
  const char* endpoint = std::getenv(kUsageEndpointVariable);
  if (!endpoint || IsBlank(Trim(endpoint))) return true;  // switched off
  return ReportRunStatusTo(endpoint, app_name, module_name, status, error_out, identity);
}

}  // namespace vodare
