#include "common/Downloader.h"

#include <cstdio>
#include <memory>
#include <system_error>

#include <curl/curl.h>
#include <fmt/format.h>

#include "common/Log.h"
#include "common/platform.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::size_t lf_writeToFile(char* data, std::size_t size, std::size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}

} // namespace

std::string gf_downloadUrl(const std::string& serverBase, const std::string& folder, const std::string& fileName) {
    return fmt::format("{}{}/{}", serverBase, folder, fileName);
}

bool gf_downloadFile(const std::string& url, const fs::path& target) {
    const fs::path partial = target.string() + fmt::format(".{}.download", gf_processId());
    try {
        std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
        if (!curl) throw std::runtime_error("curl_easy_init() failed");
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(partial.string().c_str(), "wb"));
        if (!file) {
            logLine("Could not open output file: {}", target.string());
            return false;
        }
        curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, lf_writeToFile);
        curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, file.get());
        curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl.get(), CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT, 10L);
        curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 300L);
        curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
        const CURLcode result = curl_easy_perform(curl.get());
        const bool closed = std::fclose(file.release()) == 0;
        std::error_code ec;
        if (result != CURLE_OK) {
            logLine("Download error: '{}' for {}", curl_easy_strerror(result), url);
            fs::remove(partial, ec);
            return false;
        }
        if (!closed) {
            logLine("Could not open output file: {}", target.string());
            fs::remove(partial, ec);
            return false;
        }
        fs::rename(partial, target, ec);
        if (ec) {
            logLine("Downloader exception: '{}', {} => {}", ec.message(), url, target.string());
            fs::remove(partial, ec);
            return false;
        }
        logLine("Downloaded '{}' to '{}'", url, target.string());
        return true;
    } catch (const std::exception& e) {
        logLine("Downloader exception: '{}', {} => {}", e.what(), url, target.string());
        std::error_code ec;
        fs::remove(partial, ec);
        return false;
    }
}

} // namespace vorl
