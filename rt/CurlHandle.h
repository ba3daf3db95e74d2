#pragma once
#include <memory>

#include <curl/curl.h>

namespace vorl {

struct CurlDeleter {
    void operator()(CURL* handle) const noexcept { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;

// A new easy handle; throws std::runtime_error "<prefix> curl_easy_init() failed" when libcurl
// cannot make one.
CurlHandle gf_makeCurlHandle(const char* prefix);

} // namespace vorl
