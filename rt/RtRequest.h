#pragma once
#include <cstddef>
#include <string>

#include <curl/curl.h>

namespace vorl {

// The libcurl write callback of every API request: appends the bytes to the std::string given as
// target. Returns 0 (libcurl then aborts the transfer) for a null target or when appending fails.
std::size_t lf_callbackwriter(char* data, std::size_t size, std::size_t count, void* target);

// The options every API POST shares. `prefix` names the handle in error messages ("trcurl_", ...);
// `urlError` is the message thrown when the URL cannot be set. The body must stay alive until the
// request has been performed (libcurl does not copy it).
struct RtRequest {
    const char* prefix;
    const char* urlError;
    bool resetHandle; // the reader handles start each request from a clean handle
};

// Applies the common request set-up to `handle`; throws std::runtime_error when an option fails.
void gf_setUpRequest(CURL* handle, const RtRequest& request, const std::string& url, const std::string& body,
                     std::string& responseBuffer);

// The error text of a URL option that failed for a reader handle: "<prefix>: failed to set URL".
std::string gf_urlErrorOf(const char* prefix);

} // namespace vorl
