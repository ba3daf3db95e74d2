#include "common/SafeWrite.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <system_error>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "common/platform.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

fs::path lf_temporarySibling(const fs::path& path) {
    static std::atomic<unsigned> counter{0};
    return path.parent_path() /
           fmt::format(".{}.{}.{}.tmp", path.filename().string(), gf_processId(), counter.fetch_add(1));
}

void lf_setError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

} // namespace

bool gf_writeFileAtomically(const fs::path& path, std::string_view content, std::string* error) {
    const fs::path temporary = lf_temporarySibling(path);
    std::FILE* file = std::fopen(temporary.string().c_str(), "wb");
    if (!file) {
        lf_setError(error, std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    const int writeErrno = errno;
    const bool flushed = written && std::fflush(file) == 0 && gf_syncFile(file);
    const int flushErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !flushed || !closed) {
        lf_setError(error, std::strerror(!written ? writeErrno : flushErrno));
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) {
        lf_setError(error, ec.message());
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

bool gf_saveXmlAtomically(const pugi::xml_document& doc, const fs::path& path, std::string* error, const char* indent) {
    std::ostringstream text;
    doc.save(text, indent, pugi::format_default, pugi::encoding_utf8);
    return gf_writeFileAtomically(path, text.str(), error);
}

} // namespace vorl
