#include "airports/AirportFileLocator.h"

#include <fstream>
#include <system_error>

#include <fmt/format.h>

#include "airports/AirportFilesContext.h"
#include "common/Downloader.h"
#include "common/Log.h"
#include "common/platform.h"

namespace vorl {
namespace fs = std::filesystem;
namespace {

const char* const kUserFolders[] = {"airports/my_thirdparty", "airports/my_simaddon"};

bool lf_endsWithXml(std::string_view line) {
    if (line.size() < 4) return false;
    const std::string_view tail = line.substr(line.size() - 4);
    return tail.size() == 4 && tail[0] == '.' && (tail[1] | 0x20) == 'x' && (tail[2] | 0x20) == 'm' &&
           (tail[3] | 0x20) == 'l';
}

bool lf_listedWithStands(std::string_view icao) {
    const auto& context = gf_airportFilesContext();
    if (!context.standClass) return false;
    const auto standClass = context.standClass(icao);
    return standClass && *standClass >= 1;
}

} // namespace

std::string gf_readRedirect(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return {};
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    return line.size() >= 4 && lf_endsWithXml(line) ? line : std::string{};
}

std::string gf_locateAirportFile(std::string_view icao) {
    const auto& context = gf_airportFilesContext();
    std::error_code ec;
    for (const char* folder : kUserFolders) {
        const std::string redirect = gf_readRedirect(context.resolve(fmt::format("{}/{}.txt", folder, icao)));
        if (!redirect.empty()) return redirect;
        const std::string xml = fmt::format("{}/{}.xml", folder, icao);
        if (fs::exists(context.resolve(xml), ec)) return xml;
    }
    if (lf_listedWithStands(icao)) return fmt::format("archive/stock/{}.xml", icao);
    return {};
}

bool gf_hasAirportFile(std::string_view icao) {
    const auto& context = gf_airportFilesContext();
    std::error_code ec;
    for (const char* folder : kUserFolders) {
        for (const char* extension : {"xml", "txt"})
            if (fs::exists(context.resolve(fmt::format("{}/{}.{}", folder, icao, extension)), ec)) return true;
    }
    return lf_listedWithStands(icao);
}

bool gf_isLocalAirportPath(std::string_view path) { return path.substr(0, 8) == "airports"; }

std::string gf_downloadAirportFile(const std::string& archivePath, const fs::path& target) {
    const auto& context = gf_airportFilesContext();
    const std::string url =
        fmt::format("{}/downloads/{}/{}", context.serverBase, context.msfs2020 ? "MSFS" : "MSFS2024", archivePath);
    std::error_code ec;
    if (!context.serverBase.empty()) {
        if (gf_downloadFile(url, target)) return {};
        fs::remove(target, ec);
        logLine("failed to download: '{}'", url);
    }
    // The install folder ships the archive, so a user without a server, or whose server fails,
    // still gets the archived airports. The server comes first since it may hold newer files.
    const fs::path shipped = context.resolve(archivePath);
    if (fs::is_regular_file(shipped, ec) && gf_copyFileReplacing(shipped, target, ec)) {
        logLine("archived airport file '{}' taken from the install folder", archivePath);
        return {};
    }
    fs::remove(target, ec);
    if (context.serverBase.empty()) logLine("failed to download: '{}'", url);
    return url;
}

} // namespace vorl
