#include "rt/CurlHandle.h"

#include <mutex>
#include <stdexcept>

#include <fmt/format.h>

namespace vorl {

CurlHandle gf_makeCurlHandle(const char* prefix) {
    // curl_easy_init would initialise the library itself, but not in a thread-safe way.
    static std::once_flag globalInit;
    std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CurlHandle handle(curl_easy_init());
    if (!handle) throw std::runtime_error(fmt::format("{} curl_easy_init() failed", prefix));
    return handle;
}

} // namespace vorl
