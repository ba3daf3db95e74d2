#include "common/Folders.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "common/Log.h"

namespace fs = std::filesystem;

namespace vorl {

std::string gf_upperAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
    return text;
}

namespace {

bool lf_hasXmlExtension(const fs::path& path) { return gf_upperAscii(path.extension().string()) == ".XML"; }

template <typename Wanted> void lf_removeFiles(const char* name, const fs::path& folder, Wanted wanted) {
    try {
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file() || !wanted(entry.path())) continue;
            std::error_code ec;
            fs::remove(entry.path(), ec);
            if (ec) logLine("Failed to remove {} ({})", entry.path().string(), ec.message());
        }
    } catch (const std::exception& e) {
        logLine("{} exception: {}", name, e.what());
    }
}

} // namespace

std::vector<fs::path> gf_listXmlFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && lf_hasXmlExtension(it->path())) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

int gf_countEntries(const fs::path& folder) {
    std::error_code ec;
    int count = 0;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) ++count;
    return count;
}

void gf_removeFilesFromDirectory(const fs::path& folder) {
    lf_removeFiles("gf_removeFilesFromDirectory", folder, [](const fs::path&) { return true; });
}

void gf_removeXMLFilesFromDirectory(const fs::path& folder) {
    lf_removeFiles("gf_removeXMLFilesFromDirectory", folder, lf_hasXmlExtension);
}

bool gf_isFolderWritable(const fs::path& folder) {
    const fs::path probe = folder / ".write_test.tmp";
    {
        std::ofstream out(probe, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << "x";
        if (!out.flush()) return false;
    }
    std::error_code ec;
    return fs::remove(probe, ec) && !ec;
}

fs::path gf_utf8Path(std::string_view utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string gf_utf8Text(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace vorl
