#include "rt/RtRequest.h"

#include <exception>
#include <stdexcept>
#include <string>

#include <fmt/format.h>

#include "common/Log.h"

namespace vorl {

std::size_t lf_callbackwriter(char* data, std::size_t size, std::size_t count, void* target) {
    if (target == nullptr) return 0;
    const std::size_t bytes = size * count;
    try {
        static_cast<std::string*>(target)->append(data, bytes);
    } catch (const std::exception& e) {
        logImportant("{}: append exception: {}", "lf_callbackwriter", e.what());
        return 0;
    }
    return bytes;
}

std::string gf_urlErrorOf(const char* prefix) { return fmt::format("{}: failed to set URL", prefix); }

namespace {

void lf_require(CURLcode code, const char* prefix, const char* what) {
    if (code != CURLE_OK) throw std::runtime_error(fmt::format(fmt::runtime(what), prefix));
}

} // namespace

void gf_setUpRequest(CURL* handle, const RtRequest& request, const std::string& url, const std::string& body,
                     std::string& responseBuffer) {
    if (request.resetHandle) curl_easy_reset(handle);
    if (curl_easy_setopt(handle, CURLOPT_URL, url.c_str()) != CURLE_OK) throw std::runtime_error(request.urlError);
    lf_require(curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "deflate,gzip"), request.prefix,
               "{} failed to set CURLOPT_ACCEPT_ENCODING");
    lf_require(curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.c_str()), request.prefix,
               "{}: failed to set POSTFIELDS");
    lf_require(curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size())), request.prefix,
               "{}: failed to set POSTFIELDSIZE");
    lf_require(curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &lf_callbackwriter), request.prefix,
               "{} failed to set CURLOPT_WRITEFUNCTION");
    lf_require(curl_easy_setopt(handle, CURLOPT_WRITEDATA, &responseBuffer), request.prefix,
               "{} failed to set CURLOPT_WRITEDATA");
    // A fresh connection per request: the server drops idle ones anyway, and a stale pooled one
    // would turn into a spurious transfer failure.
    curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(handle, CURLOPT_FRESH_CONNECT, 1L);
}

} // namespace vorl
