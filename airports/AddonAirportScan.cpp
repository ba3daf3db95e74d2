#include "airports/AddonAirportScan.h"

#include <chrono>
#include <fstream>
#include <set>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "airports/AirportFileLocator.h"
#include "airports/AirportFileXml.h"
#include "airports/BglReader.h"
#include "airports/IcaoCodes.h"
#include "airports/PackageManifest.h"
#include "airports/ScannedAirport.h"
#include "common/Charset.h"
#include "common/Folders.h"
#include "common/Log.h"
#include "common/SafeWrite.h"
#include "common/TextCase.h"
#include "common/ZipArchive.h"
#include "common/platform.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

constexpr std::size_t kMaxFolderPath = 250;
constexpr const char* kSkippedFolders[] = {"tutorials",   "aircraft",      "bushtrip",     "discovery",
                                           "point-of-interest", "simobjects", "vcockpits", "aig-aitraffic",
                                           "justflight-aircraft", "fsltl", "gsx-pro", "gsx-world",
                                           "landingchallenge"};
constexpr const char* kSkippedFiles[] = {"statics",     "afcad updates",   "_heliports",        "duijffmedia-eham-remove",
                                         "immersivelights", "immersive-lights", "bksq-scenery-"};

bool lf_containsAny(const std::string& lowered, const auto& parts) {
    for (const char* part : parts)
        if (lowered.find(part) != std::string::npos) return true;
    return false;
}

bool lf_isSkippedFolder(const fs::path& folder) {
    return folder.string().size() >= kMaxFolderPath || lf_containsAny(gf_lowerCase(folder.filename().string()), kSkippedFolders);
}

bool lf_isAirportBgl(const fs::path& file) {
    return gf_lowerCase(file.extension().string()) == ".bgl" && !lf_containsAny(gf_lowerCase(file.string()), kSkippedFiles);
}

// Removes what an earlier scan wrote: airport files naming their BGL file, and redirects into
// the archive. Files the user made stay.
std::vector<std::string> lf_removeGeneratedFiles(const fs::path& folder) {
    std::vector<std::string> failed;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const fs::path& file = entry.path();
        const std::string ext = gf_lowerCase(file.extension().string());
        bool generated = false;
        if (ext == ".txt") generated = gf_readRedirect(file).rfind("archive/", 0) == 0;
        else if (ext == ".xml") {
            try {
                generated = gf_readFileBytes(file).find("name=\"BGLpath\"") != std::string::npos;
            } catch (const std::exception&) {
                // A file that cannot be read is no file of ours to remove.
            }
        }
        if (generated && !fs::remove(file, ec)) failed.push_back(file.filename().string());
    }
    return failed;
}

class Scan {
public:
    Scan(const AirportScanSettings& settings, const AirportDatabase& database)
        : s_(settings), db_(database), lastStatus_(std::chrono::steady_clock::now()) {}

    AirportScanResult run();

private:
    void scanFolder(const AirportScanFolder& folder);
    void scanFile(const fs::path& file, const AirportScanFolder& folder);
    std::optional<std::string> airportOf(const fs::path& file, const fs::path& folder,
                                         const std::optional<PackageManifest>& manifest);
    std::optional<std::string> supported(std::optional<IcaoCode> code, const char* found, const char* unsupported);
    bool readStands(const std::string& icao, const fs::path& file, ScannedAirport& airport);
    void writeAndLink(const ScannedAirport& airport);
    void offlineLearning();
    void progress(bool force = false);

    const AirportScanSettings& s_;
    const AirportDatabase& db_;
    IcaoSet icaoList_;
    AirportScanResult result_;
    std::set<std::string> done_; // package + ICAO already written
    std::vector<fs::path> generated_;
    std::vector<std::string> scanLog_;
    std::size_t files_ = 0;
    int writtenInFolder_ = 0;
    std::chrono::steady_clock::time_point lastStatus_;
};

void Scan::progress(bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (!s_.status || (!force && now - lastStatus_ < std::chrono::seconds(1))) return;
    lastStatus_ = now;
    s_.status(fmt::format("Scanning for airports ... {} BGL file{}, {} airport{}", files_, gf_pluralS(files_),
                          result_.simaddon + result_.thirdparty, gf_pluralS(result_.simaddon + result_.thirdparty)));
}

std::optional<std::string> Scan::supported(std::optional<IcaoCode> code, const char* found, const char* unsupported) {
    if (!code) return std::nullopt;
    const std::string text = code->str();
    if (db_.isKnownAirport(*code)) {
        logLine(fmt::runtime(found), text);
        return text;
    }
    logLine(fmt::runtime(unsupported), text);
    return std::nullopt;
}

std::optional<std::string> Scan::airportOf(const fs::path& file, const fs::path& folder,
                                           const std::optional<PackageManifest>& manifest) {
    // Only the part below the scan folder: the user's own folder names are no airport codes.
    const auto inPath = gf_extractIcaoCode(file.parent_path().lexically_relative(folder).string(), icaoList_, db_);
    if (!inPath) logLine("no airport code found in BGL path");
    if (auto code = supported(inPath, "airport has code '{}' in BGL path", "no supported airport '{}' in BGL path"))
        return code;
    const std::string stem = gf_upperAscii(file.stem().string());
    std::optional<IcaoCode> stemCode;
    if (IcaoCode::isValid(stem) && icaoList_.count(IcaoCode(stem))) stemCode = IcaoCode(stem);
    if (auto code = supported(stemCode, "code '{}' as stem", "no supported airport code '{}' as stem")) return code;
    if (manifest) {
        const auto inTitle = gf_extractIcaoCode(manifest->title, icaoList_, db_);
        if (auto code = supported(inTitle, "airport has code '{}' in title of manifest",
                                  "no supported airport '{}' in title of manifest"))
            return code;
    }
    logLine("{} is not an airport supported by RealTraffic", inPath ? inPath->str() : file.stem().string());
    return std::nullopt;
}

bool Scan::readStands(const std::string& icao, const fs::path& file, ScannedAirport& airport) {
    if (s_.readFacilities) {
        if (const auto data = s_.readFacilities(icao)) {
            gf_takeFacilityData(*data, airport);
            if (!airport.file.stands.empty()) return true;
            logLine("Fac: {} has no stands", icao);
        } else {
            logLine("Reading Facilites data for {} via SimConnect failed, is MSFS connected?", icao);
        }
    }
    logLine("Facilities reader did not succeed, trying the BGL file reader ...");
    airport.file.stands.clear();
    return gf_readBglAirport(file, icao, airport);
}

std::string lf_versionWithoutDots(std::string version) {
    std::erase(version, '.');
    return version;
}

void Scan::writeAndLink(const ScannedAirport& airport) {
    const AirportState& a = airport.file;
    if (a.stands.empty()) {
        logLine("{} has no stands", a.icao);
        return;
    }
    const bool simaddon = a.publisher == "simaddon";
    const fs::path folder = s_.airportsFolder / (simaddon ? "my_simaddon" : "my_thirdparty");
    std::error_code ec;
    fs::create_directories(folder, ec);
    const fs::path file = folder / (a.icao + ".xml");
    std::string error;
    if (!gf_writeAirportFile(a, file, AirportFileKind::AirportFile, &error)) {
        logLine("{}Writing {} did not succeed", "   ", file.string());
        return;
    }
    std::size_t helipads = 0;
    for (const Stand& stand : a.stands) helipads += stand.heli ? 1 : 0;
    logLine("Generated {}: {} position{}{}", file.string(), a.stands.size(), gf_pluralS(a.stands.size()),
            helipads ? fmt::format(" of which {} helipad{}", helipads, gf_pluralS(helipads)) : std::string());
    ++(simaddon ? result_.simaddon : result_.thirdparty);
    ++writtenInFolder_;
    const std::string archivePath = gf_archivePathFor(a.icao, a.publisher, a.version);
    const bool known = s_.archived && s_.archived(archivePath);
    std::string link = "generated file";
    if (!known) {
        if (simaddon) logLine("{} does not exist as simaddon", archivePath);
        else logLine("thirdparty {} {} does not exist", a.publisher, a.icao);
        result_.unknownToArchive.push_back(a.icao);
        generated_.push_back(file);
    } else if (gf_writeFileAtomically(folder / (a.icao + ".txt"), archivePath + "\n", &error)) {
        if (simaddon) logLine("{} airport {} linked to {}\n", "simaddon", a.icao, archivePath);
        else logLine("thirdparty airport {} linked to {}\n", a.icao, archivePath);
        ++result_.linked;
        link = "linked to " + archivePath;
    } else {
        logLine("{}Writing {} did not succeed", "   ", (folder / (a.icao + ".txt")).string());
    }
    scanLog_.push_back(fmt::format("{} {:<24} {:4} stand{:<1} {:<10} {} ({})", a.icao, a.publisher, a.stands.size(),
                                   gf_pluralS(a.stands.size()), a.facilities ? "facilities" : "BGL", link, a.bglPath));
}

void Scan::scanFile(const fs::path& file, const AirportScanFolder& folder) {
    ++files_;
    progress();
    const auto package = gf_packageFolderOf(file, folder.path);
    const auto manifest = package ? gf_searchManifest(*package) : std::nullopt;
    const auto icao = airportOf(file, folder.path, manifest);
    if (!icao) return;
    const std::string key = (package ? package->string() : file.parent_path().string()) + "|" + *icao;
    if (done_.count(key)) return;
    ScannedAirport airport;
    airport.file.icao = *icao;
    airport.file.name = *icao;
    airport.file.bglPath = file.string();
    if (manifest) {
        airport.file.publisher = gf_packagePublisher(*manifest);
        airport.file.version = manifest->packageVersion.empty() ? manifest->version : manifest->packageVersion;
        airport.file.manufacturer = manifest->manufacturer;
        airport.file.creator = manifest->creator;
        logLine("publisher: {}", airport.file.publisher);
    } else {
        airport.file.publisher = folder.addon ? "unknown" : "simaddon";
        logLine("publisher '{}'", airport.file.publisher);
    }
    if (!readStands(*icao, file, airport)) return;
    done_.insert(key);
    writeAndLink(airport);
}

void Scan::scanFolder(const AirportScanFolder& folder) {
    const char* kind = folder.addon ? "addon" : "stock";
    if (folder.streamed) {
        if (s_.status) s_.status("Scanning for streamed airports ...");
        logLine("\n***** Scanning for streamed airports in:\n{}\n", folder.path.string());
    } else {
        logLine("\n***** Scanning for {} airports in:\n{}\n", kind, folder.path.string());
    }
    writtenInFolder_ = 0;
    try {
        std::error_code ec;
        fs::recursive_directory_iterator it(folder.path, fs::directory_options::skip_permission_denied, ec);
        if (ec) throw fs::filesystem_error("cannot read the folder", folder.path, ec);
        for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (ec) throw fs::filesystem_error("cannot walk the folder", folder.path, ec);
            const fs::path& path = it->path();
            if (it->is_directory(ec)) {
                if (lf_isSkippedFolder(path)) it.disable_recursion_pending();
                continue;
            }
            if (lf_isAirportBgl(path)) scanFile(path, folder);
        }
    } catch (const std::exception& e) {
        logLine("{} airports search in folder {} aborted, cause: {}", kind, folder.path.string(), e.what());
    }
    logLine("{:5} airport{} written for {}", writtenInFolder_, gf_pluralS(writtenInFolder_), folder.path.string());
}

void Scan::offlineLearning() {
    std::error_code ec;
    fs::create_directories(s_.tbloFolder, ec);
    for (const auto& entry : fs::directory_iterator(s_.tbloFolder, ec))
        if (entry.path().extension() == ".xml" && !fs::remove(entry.path(), ec))
            logLine("remove({}) failed: {}", entry.path().string(), ec.message());
    std::size_t copied = 0;
    for (const fs::path& file : generated_) {
        const fs::path target = s_.tbloFolder / file.filename();
        if (gf_copyFileReplacing(file, target, ec)) ++copied;
        else logLine("'{}' failed to copy '{}': {}", file.string(), target.string(), ec.message());
    }
    logLine("{} simaddon file{} copied to tblo folder", copied, gf_pluralS(copied));
    result_.zipped = gf_zipFolder(s_.tbloFolder, s_.tbloFolder / "tblo.zip");
    if (!result_.zipped) {
        result_.message = "Zippen TBLO folder failed";
        return;
    }
    result_.message = fmt::format("{} of your airport{} ({}) {} not known to the maker yet. Please mail {} to the "
                                  "maker's support address, so that they can be learned off line.",
                                  result_.unknownToArchive.size(), gf_pluralS(result_.unknownToArchive.size()),
                                  fmt::join(result_.unknownToArchive, ", "),
                                  result_.unknownToArchive.size() == 1 ? "is" : "are",
                                  (s_.tbloFolder / "tblo.zip").string());
}

AirportScanResult Scan::run() {
    if (s_.status) s_.status("Scanning for airports ...");
    logLine("\n++++++++++++++++++++++++ airports scan {} starts +++++++++++++++++++++++++++++",
            s_.automatic ? "automatic " : "");
    icaoList_ = gf_readIcaoList(s_.icaoList);
    std::error_code ec;
    std::vector<std::string> notRemoved;
    for (const char* name : {"my_simaddon", "my_thirdparty"}) {
        fs::create_directories(s_.airportsFolder / name, ec);
        for (std::string& file : lf_removeGeneratedFiles(s_.airportsFolder / name)) notRemoved.push_back(std::move(file));
    }
    logLine("The scan will search {} folder{}", s_.folders.size(), gf_pluralS(s_.folders.size()));
    for (const AirportScanFolder& folder : s_.folders) {
        if (!fs::exists(folder.path, ec)) logLine("{} does not exist, skipped!", folder.path.string());
        else if (!fs::is_directory(folder.path, ec)) logLine("{} is not a folder name, skipped!", folder.path.string());
        else scanFolder(folder);
    }
    logLine("\nAirpoprts scan finished!");
    logLine("{:5} simaddon airport{} in {}", result_.simaddon, gf_pluralS(result_.simaddon),
            (s_.airportsFolder / "my_simaddon").string());
    logLine("{:5} third party airport{} in {}", result_.thirdparty, gf_pluralS(result_.thirdparty),
            (s_.airportsFolder / "my_thirdparty").string());
    if (!notRemoved.empty())
        logLine("problems with removing previous files (maybe still open?): {}", fmt::join(notRemoved, ", "));
    if (result_.simaddon + result_.thirdparty == 0) {
        result_.message = "Warning: Scan has not found any add-on airports";
    } else if (!result_.unknownToArchive.empty()) {
        offlineLearning();
    } else {
        result_.message = "All your simaddon and third party airports are recognised, no off line learning needed.";
    }
    if (!s_.scanLog.empty()) {
        std::string text;
        for (const std::string& line : scanLog_) text += line + "\n";
        fs::create_directories(s_.scanLog.parent_path(), ec);
        std::string error;
        if (!gf_writeFileAtomically(s_.scanLog, text, &error)) logLine("Error writing file {}: {}", s_.scanLog.string(), error);
    }
    logLine("{}", result_.message);
    return result_;
}

} // namespace

std::string gf_archivePathFor(const std::string& icao, const std::string& publisher, const std::string& packageVersion) {
    if (publisher == "simaddon") return fmt::format("archive/simaddon/{}.xml", icao);
    std::string escaped;
    for (const char c : publisher) escaped += c == ' ' ? std::string("%20") : std::string(1, c);
    return fmt::format("archive/thirdparty/{}/{}{}.xml", escaped, icao, lf_versionWithoutDots(packageVersion));
}

AirportScanResult gf_scanAirports(const AirportScanSettings& settings, const AirportDatabase& database) {
    return Scan(settings, database).run();
}

} // namespace vorl
