#include "models/LiveryScan.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <unordered_set>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "common/Charset.h"
#include "common/Log.h"
#include "common/SafeWrite.h"
#include "common/TextCase.h"
#include "common/UserErrorException.h"
#include "models/AircraftCfg.h"
#include "models/ModelDatabase.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

constexpr int kMaxFltsimNumber = 9999;
constexpr auto kFileTaskTimeout = std::chrono::seconds(10);

struct PackageKind {
    const char* name;
    const char* logName;
    std::vector<const char*> markers;
};

const std::vector<PackageKind>& lf_packageKinds() {
    static const std::vector<PackageKind> kinds = {
        {"AIG", "AIG", {"aig-aitraffic-oci"}}, // also matches the "-beta" package
        {"FSLTL", "FSLTL", {"fsltl-traffic-base"}},
        {"MTL", "IVAO_MTL", {"IVAO_MTL"}},
        {"JF", "JF", {"justflight-aircraft-traffic-fleet", "justflight-fstraffic-module"}},
    };
    return kinds;
}

// Scenery publishers ship aircraft.cfg files of their own (ground vehicles, static props).
const std::vector<std::string>& lf_skippedPathWords() {
    static const std::vector<std::string> words = {"airport", "lvfr",     "mkstudios", "simwings", "fsdreamteam",
                                                   "navigraph", "flytampa", "inibuilds", "_cvt_"};
    return words;
}

bool lf_skippedPath(const fs::path& path) {
    const std::string lower = gf_lowerCase(path.generic_string());
    return std::any_of(lf_skippedPathWords().begin(), lf_skippedPathWords().end(),
                       [&](const std::string& word) { return lower.find(word) != std::string::npos; });
}

struct ScanFolder {
    fs::path path;
    int priority = 0;
};

// What one file task hands back; the sections are turned into liveries on the driver's thread.
struct FileScan {
    fs::path path;
    bool readable = false;
    std::string problem;
    AircraftCfg cfg;
    std::string ivaoModel;
};

FileScan lf_readCfgFile(const fs::path& path) {
    FileScan scan;
    scan.path = path;
    const Charset charset = gf_detectCharset(path);
    if (charset == Charset::none_found) {
        scan.problem = fmt::format("! No text encoding detected for {}", path.string());
        return scan;
    }
    std::vector<std::string> lines;
    try {
        if (!gf_readTextFile(charset, path, lines)) {
            scan.problem = fmt::format("! Failed reading {}", path.string());
            return scan;
        }
    } catch (const std::exception&) {
        scan.problem = fmt::format("! Failed reading {}", path.string());
        return scan;
    }
    scan.readable = true;
    scan.cfg = gf_parseAircraftCfg(lines);
    // The IVAO packages name the model in their folder; written with either separator.
    static const std::regex ivao(R"(.+[\\/](?:IVAO_MTL|ivao_x-csl)[\\/]SimObjects[\\/]Airplanes[\\/]IVAO_(\w+)[\\/]aircraft\.cfg$)",
                                 std::regex::icase);
    std::smatch match;
    const std::string text = path.string();
    if (std::regex_match(text, match, ivao)) scan.ivaoModel = match[1].str();
    return scan;
}

// The aircraft.cfg files of a folder, in a stable order.
std::vector<fs::path> lf_cfgFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path& path = it->path();
        if (lf_skippedPath(path.lexically_relative(folder))) {
            if (it->is_directory(ec)) it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file(ec) && gf_lowerCase(path.filename().string()) == "aircraft.cfg") files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Reads the files on a few workers; results come back in file order. Progress goes to the
// status line at least once a second.
std::vector<FileScan> lf_readAll(const std::vector<fs::path>& files, unsigned threads,
                                 const std::function<void(const std::string&)>& status) {
    std::vector<std::promise<FileScan>> promises(files.size());
    std::vector<std::future<FileScan>> futures;
    futures.reserve(files.size());
    for (auto& p : promises) futures.push_back(p.get_future());
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    const unsigned count = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(files.size())));
    for (unsigned w = 0; w < count; ++w)
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < files.size(); i = next++) {
                try {
                    promises[i].set_value(lf_readCfgFile(files[i]));
                } catch (...) {
                    promises[i].set_exception(std::current_exception());
                }
            }
        });
    struct Joiner {
        std::vector<std::thread>& threads;
        ~Joiner() {
            for (auto& t : threads) t.join();
        }
    } joiner{workers};

    std::vector<FileScan> results;
    results.reserve(files.size());
    auto lastStatus = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < futures.size(); ++i) {
        if (futures[i].wait_for(kFileTaskTimeout) != std::future_status::ready) {
            next = files.size(); // the workers stop taking files
            throw std::runtime_error("Future wait timed out after 10 seconds");
        }
        results.push_back(futures[i].get());
        const auto now = std::chrono::steady_clock::now();
        if (status && (now - lastStatus >= std::chrono::seconds(1) || i + 1 == futures.size())) {
            status(fmt::format("Scanning liveries: {} / {} files", i + 1, files.size()));
            lastStatus = now;
        }
    }
    return results;
}

// The entry of `folder` named `name` without regard to case (exact spelling first).
std::optional<fs::path> lf_childNoCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    if (fs::exists(folder / name, ec)) return folder / name;
    const std::string lower = gf_lowerCase(name);
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
         it.increment(ec))
        if (gf_lowerCase(it->path().filename().string()) == lower) return it->path();
    return std::nullopt;
}

// `relative` below `folder`, each part matched without regard to case.
std::optional<fs::path> lf_descendNoCase(fs::path folder, const fs::path& relative) {
    for (const fs::path& part : relative) {
        const auto next = lf_childNoCase(folder, part.string());
        if (!next) return std::nullopt;
        folder = *next;
    }
    return folder;
}

// Livery-only aircraft.cfg files name their aircraft by a base container instead of a type:
// "..\Asobo_A320_NEO" beside the livery's own folder, in the same package or, far more often,
// in another package (the simulator's own aircraft). The base's aircraft.cfg gives the type.
class BaseContainers {
public:
    // `packageParents`: folders whose sub-folders are packages; `deepParents`: folders whose
    // sub-sub-folders are (the Official folders hold them below OneStore or Steam).
    BaseContainers(std::vector<fs::path> packageParents, std::vector<fs::path> deepParents)
        : packageParents_(std::move(packageParents)), deepParents_(std::move(deepParents)) {}

    // The type of the aircraft `base` names for the livery file `cfgFile`; nothing when the base
    // cannot be found or names no type (`problem` says which).
    std::optional<std::string> typeOf(const fs::path& cfgFile, const std::string& base, std::string& problem, int depth = 0) {
        const auto file = locate(cfgFile, base);
        if (!file) {
            problem = fmt::format("base container '{}' of {} not found", base, cfgFile.string());
            return std::nullopt;
        }
        const std::string key = file->lexically_normal().string();
        if (const auto known = types_.find(key); known != types_.end()) {
            if (!known->second) problem = fmt::format("base container {} names no type", file->string());
            return known->second;
        }
        std::optional<std::string> type;
        const Charset charset = gf_detectCharset(*file);
        std::vector<std::string> lines;
        bool read = false;
        try {
            read = charset != Charset::none_found && gf_readTextFile(charset, *file, lines);
        } catch (const std::exception&) {
            read = false;
        }
        if (read) {
            const AircraftCfg cfg = gf_parseAircraftCfg(lines);
            if (!cfg.type.empty()) type = cfg.type;
            // A base may itself be a variation of another; a few steps are enough for real chains.
            else if (!cfg.baseContainer.empty() && depth < kMaxBaseSteps)
                type = typeOf(*file, cfg.baseContainer, problem, depth + 1);
        }
        if (!type && problem.empty()) problem = fmt::format("base container {} names no type", file->string());
        types_[key] = type;
        return type;
    }

private:
    static constexpr int kMaxBaseSteps = 4;
    static constexpr int kMaxPackageDepth = 3;

    std::optional<fs::path> locate(const fs::path& cfgFile, const std::string& base) {
        std::string relative = base;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        if (relative.empty()) return std::nullopt;
        const fs::path wanted = (cfgFile.parent_path() / relative).lexically_normal();
        if (const auto here = lf_childNoCase(wanted, "aircraft.cfg")) return here;
        // Else the same place below SimObjects in another package.
        fs::path simObjects;
        for (fs::path p = cfgFile.parent_path(); p.has_relative_path() && p != p.parent_path(); p = p.parent_path())
            if (gf_lowerCase(p.filename().string()) == "simobjects") {
                simObjects = p;
                break;
            }
        if (simObjects.empty()) return std::nullopt;
        const fs::path inside = wanted.lexically_relative(simObjects);
        if (inside.empty() || *inside.begin() == "..") return std::nullopt;
        for (const fs::path& package : packages()) {
            const auto folder = lf_descendNoCase(package, "SimObjects" / inside);
            if (!folder) continue;
            if (const auto found = lf_childNoCase(*folder, "aircraft.cfg")) return found;
        }
        return std::nullopt;
    }

    const std::vector<fs::path>& packages() {
        if (packagesListed_) return packages_;
        packagesListed_ = true;
        for (const fs::path& parent : packageParents_) collect(parent, 0);
        for (const fs::path& parent : deepParents_) collect(parent, 0);
        std::sort(packages_.begin(), packages_.end());
        packages_.erase(std::unique(packages_.begin(), packages_.end()), packages_.end());
        return packages_;
    }

    // The packages below `parent`: folders with a SimObjects folder, also where users keep
    // them in folders of their own or inside other packages, a few levels down.
    void collect(const fs::path& parent, int depth) {
        std::error_code ec;
        std::vector<fs::path> children;
        for (fs::directory_iterator it(parent, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
             it.increment(ec))
            if (it->is_directory(ec) && gf_lowerCase(it->path().filename().string()) != "simobjects")
                children.push_back(it->path());
        for (const fs::path& child : children) {
            if (lf_childNoCase(child, "SimObjects")) packages_.push_back(child);
            if (depth < kMaxPackageDepth) collect(child, depth + 1);
        }
    }

    std::vector<fs::path> packageParents_;
    std::vector<fs::path> deepParents_;
    bool packagesListed_ = false;
    std::vector<fs::path> packages_;
    std::map<std::string, std::optional<std::string>> types_;
};

bool lf_validRegistration(std::string_view text) {
    if (text.size() < 3 || text.size() > 10) return false;
    bool letter = false;
    for (const char c : text) {
        if (std::isupper(static_cast<unsigned char>(c)) != 0) letter = true;
        else if (std::isdigit(static_cast<unsigned char>(c)) == 0 && c != '-') return false;
    }
    return letter;
}

bool lf_validCode(std::string_view text) {
    return text.size() == 3 && std::all_of(text.begin(), text.end(), [](char c) {
               return std::isupper(static_cast<unsigned char>(c)) != 0 || std::isdigit(static_cast<unsigned char>(c)) != 0;
           });
}

// Turns parsed files into liveries, collecting the problems of the scan.
class SectionProcessor {
public:
    SectionProcessor(ModelDatabase& db, LiveryScanResult& result, const std::unordered_set<std::string>& excluded,
                     BaseContainers& bases)
        : db_(db), result_(result), excluded_(excluded), bases_(bases) {}

    std::size_t addFile(const FileScan& file, int priority) {
        ++result_.files;
        const std::string where = file.path.string();
        if (!file.readable) {
            logLine(file.problem);
            invalidFiles_.push_back(where);
            return 0;
        }
        if (file.cfg.sections.empty()) {
            noSections_.push_back(where);
            return 0;
        }
        std::string type = file.cfg.type;
        if (type.empty() && !file.ivaoModel.empty()) type = file.ivaoModel.substr(0, file.ivaoModel.find('_'));
        if (type.empty() && !file.cfg.baseContainer.empty()) {
            std::string problem;
            if (const auto base = bases_.typeOf(file.path, file.cfg.baseContainer, problem)) {
                type = *base;
            } else {
                logLine("! {}", problem);
                invalidFiles_.push_back(where);
                return 0;
            }
        }
        if (type.empty()) {
            logLine("Line icao_type_designator= is missing in [General] section of {}", where);
            invalidFiles_.push_back(where);
            return 0;
        }
        if (const auto fix = db_.typeFixes.find(type); fix != db_.typeFixes.end()) {
            const std::string line = fmt::format("Model fix: {} found in {} changed into {}", type, where, fix->second);
            logLine(line);
            fixes_.push_back(line);
            type = fix->second;
        }
        if (!db_.isKnownType(type)) invalidModels_.insert(fmt::format("{} in {}", type, where));
        std::size_t added = 0;
        for (const FltsimSection& section : file.cfg.sections) {
            try {
                if (addSection(section, type, where, priority)) ++added;
            } catch (const std::exception& e) {
                logLine("Exception in lf_procesFltSimSection: {}, file: {}", e.what(), where);
            }
        }
        return added;
    }

    void writeProblemLists(const fs::path& folder) {
        writeList(folder / "InvalidAirlineCodes.txt", invalidAirlines_);
        writeList(folder / "InvalidAircraftCodes.txt", invalidModels_);
        writeList(folder / "Fixes.txt", fixes_);
        writeList(folder / "InvalidAircraftCfgFiles.txt", invalidFiles_);
        writeList(folder / "IncompleFltsimSections.txt", incomplete_);
        writeList(folder / "AircraftCfgWithNoFltsimSection.txt", noSections_);
        result_.invalidAirlines = invalidAirlines_.size();
        result_.invalidModels = invalidModels_.size();
        result_.fixes = fixes_.size();
        result_.invalidFiles = invalidFiles_.size();
        result_.incompleteSections = incomplete_.size();
        result_.filesWithoutSections = noSections_.size();
    }

private:
    bool addSection(const FltsimSection& section, const std::string& type, const std::string& where, int priority) {
        if (section.number < 0 || section.number > kMaxFltsimNumber) {
            logLine("fltsim num {} incorrect", section.number);
            incomplete_.push_back(fmt::format("{} contains a [fltsim.x] section with a number < 0 or > {}", where, kMaxFltsimNumber));
            return false;
        }
        const std::string name = fmt::format("{} [fltsim.{}]", where, section.number);
        if (section.titles.size() > 1) logLine("{} {} has more than one title key", where, section.number);
        if (section.registrations.size() > 1) logLine("{}, {}, has more than one atc_id key", where, section.number);
        if (section.parkingTypes.size() > 1) logLine("{} {} has more than one atc_parking_types key", where, section.number);
        if (section.parkingCodeKeys > 1) logLine("{} {} has more than one atc_parking_codes key", where, section.number);
        if (section.titles.empty() || gf_trimmed(section.titles.front()).empty()) {
            logLine("{} {} misses title", where, section.number);
            incomplete_.push_back(name);
            return false;
        }
        const std::string& written = section.titles.front();
        const std::string title(gf_trimmed(written));
        if (title != written) logLine("removed spaces around title '{}' --> '{}'", written, title);
        if (title.find("PMDG 737") != std::string::npos || title.find("FenixA320") != std::string::npos ||
            title.find("Fictional") != std::string::npos || excluded_.count(title) != 0)
            return false;
        if (!titles_.insert(title).second) {
            logLine("{} {} title '{}' already exists", where, section.number, title);
            return false;
        }

        LiveryData livery;
        livery.title = title;
        livery.model = type;
        livery.priority = priority;
        if (!section.registrations.empty()) {
            const std::string registration(gf_trimmed(section.registrations.front()));
            if (lf_validRegistration(registration)) livery.registration = registration;
            else logLine("invalid atc_id={} in: {}", registration, name);
        }
        if (!section.parkingTypes.empty()) {
            const std::string& parking = section.parkingTypes.front();
            livery.cargo = parking.find("CARGO") != std::string::npos && parking.find("GATE") == std::string::npos;
        }

        std::string airline(gf_trimmed(section.airline));
        if (airline == "ZZZZ") airline.clear();
        if (!airline.empty() && !lf_validCode(airline)) {
            logLine("{} {} icao_airline is missing, or it has invalid info ", where, section.number);
            invalidAirlines_.insert(fmt::format("{} in {}", airline, name));
            airline.clear();
        }
        if (airline.empty() && !ownerless(livery, where)) return false;
        if (!airline.empty()) {
            if (db_.airlines.count(airline) == 0) invalidAirlines_.insert(fmt::format("{} in {}", airline, name));
            livery.airline = airline;
        }
        result_.liveries.push_back(std::move(livery));
        return true;
    }

    // A livery without an airline: the airline of its registration, or a private aircraft.
    // Heavy aircraft are never private, so an ownerless heavy is no use.
    bool ownerless(LiveryData& livery, const std::string& where) {
        const bool heavy = db_.category(db_.typeIndexOf(livery.model)) == AircraftCategory::Heavy;
        if (!livery.registration.empty()) {
            if (const auto code = db_.modelCodeByRegistration(livery.registration); code && code->airlineIndex != 0) {
                livery.airline = db_.airlineOf(code->airlineIndex);
                return true;
            }
            if (heavy) {
                logLine("'{}' '{}' has no airline and regcode not in dbase", livery.title, where);
                return false;
            }
            livery.airline = "PVT";
            return true;
        }
        if (heavy) {
            logLine("'{}' '{}' has no airline and no regcode info", livery.title, where);
            return false;
        }
        livery.airline = "PVT";
        livery.registration = registrationInTitle(livery.title);
        return true;
    }

    // The first short registration of the records that the title spells out as a word.
    std::string registrationInTitle(const std::string& title) const {
        std::string best;
        std::string word;
        auto consider = [&] {
            if (word.size() >= 3 && word.size() < 6 && (best.empty() || word < best)) {
                const auto it = std::lower_bound(db_.registrations.begin(), db_.registrations.end(), word,
                                                 [](const RegistrationRecord& r, const std::string& key) { return r.registration < key; });
                if (it != db_.registrations.end() && it->registration == word) best = word;
            }
            word.clear();
        };
        for (const char c : title) {
            if (std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-') word.push_back(c);
            else consider();
        }
        consider();
        return best;
    }

    template <typename List> static void writeList(const fs::path& path, const List& lines) {
        if (std::empty(lines)) return;
        std::string text;
        for (const auto& line : lines) text += line + "\n";
        std::string error;
        if (!gf_writeFileAtomically(path, text, &error)) logLine("Error writing file {}: {}", path.string(), error);
    }

    ModelDatabase& db_;
    LiveryScanResult& result_;
    const std::unordered_set<std::string>& excluded_;
    BaseContainers& bases_;
    std::unordered_set<std::string> titles_;
    std::set<std::string> invalidAirlines_, invalidModels_;
    std::vector<std::string> fixes_, invalidFiles_, incomplete_, noSections_;
};

void lf_logReport(const LiveryScanResult& r) {
    const bool errors = r.invalidAirlines + r.invalidModels + r.fixes + r.invalidFiles + r.incompleteSections > 0;
    logLine(errors ? "\nErrors:" : "\nNo errors");
    if (r.invalidAirlines > 0)
        logLine("{:5} invalid airline code{}, see {}", r.invalidAirlines, gf_pluralS(r.invalidAirlines), "InvalidAirlineCodes.txt");
    if (r.invalidModels > 0)
        logLine("{:5} invalid model code{}, see {}", r.invalidModels, gf_pluralS(r.invalidModels), "InvalidAircraftCodes.txt");
    if (r.fixes > 0) logLine("{:5} fixes, see {}", r.fixes, "Fixes.txt");
    if (r.invalidFiles > 0) logLine("{:5} invalid aircraft.cfg files, see {}", r.invalidFiles, "InvalidAircraftCfgFiles.txt");
    if (r.incompleteSections > 0)
        logLine("{:5} incomplete [fltsim.x] sections, see {}", r.incompleteSections, "IncompleFltsimSections.txt");
    if (r.filesWithoutSections > 0) {
        logLine("\nInformation:");
        logLine("{:5} empty aircraft.cfg files, see {}", r.filesWithoutSections, "AircraftCfgWithNoFltsimSection.txt");
    }
}

// Of the liveries sharing airline, operator and model, only those of the best package stay.
void lf_prioritize(std::vector<LiveryData>& liveries) {
    std::map<std::tuple<std::string, std::string, std::string>, int> best;
    for (const auto& l : liveries) {
        auto [it, added] = best.try_emplace({l.airline, l.operatorCode, l.model}, l.priority);
        if (!added) it->second = std::min(it->second, l.priority);
    }
    std::erase_if(liveries, [&](const LiveryData& l) { return l.priority > best.at({l.airline, l.operatorCode, l.model}); });
}

void lf_removePreviousProblemLists(const fs::path& folder) {
    for (const char* name : {"InvalidAirlineCodes.txt", "InvalidAircraftCodes.txt", "Fixes.txt", "InvalidAircraftCfgFiles.txt",
                             "IncompleFltsimSections.txt", "AircraftCfgWithNoFltsimSection.txt"}) {
        std::error_code ec;
        fs::remove(folder / name, ec);
        if (ec) logLine("problems with removing previous files: {}", ec.message());
    }
}

} // namespace

std::vector<std::string> gf_parsePackageSelector(const std::string& text) {
    std::vector<std::string> kinds;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) {
        const std::string kind(gf_trimmed(part));
        const bool known = std::any_of(lf_packageKinds().begin(), lf_packageKinds().end(),
                                       [&](const PackageKind& k) { return kind == k.name; });
        if (!known || std::find(kinds.begin(), kinds.end(), kind) != kinds.end()) return {};
        kinds.push_back(kind);
    }
    return kinds;
}

std::vector<fs::path> gf_liveryFolders(const LiveryScanSettings& settings) {
    std::vector<fs::path> folders;
    if (!settings.automatic) {
        for (std::size_t i = 0; i < settings.manualFolders.size(); ++i) {
            const std::string& folder = settings.manualFolders[i];
            if (folder.empty()) continue;
            const std::string name = fmt::format("lfolder{}", i);
            if (!fs::exists(folder)) {
                logLine("{}: '{}' does not exist", name, folder);
                throw UserErrorException(99, fmt::format("the path pointed to by parameter '{}' does not exist, see Log.txt!", name));
            }
            folders.emplace_back(folder);
        }
        if (folders.empty())
            throw UserErrorException(
                99, "Exit VORL first!   Then set one or more lfolder parameters to your liveries, see Manual 5.2");
        return folders;
    }

    if (settings.selector.empty()) throw UserErrorException(99, "AI_PACKAGE_SELECTOR not set");
    // The packages sit in Community and in the simulator's own Official folder tree.
    std::vector<fs::path> packageFolders;
    std::error_code ec;
    auto addChildren = [&](const fs::path& parent, bool andGrandChildren) {
        for (fs::directory_iterator it(parent, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (!it->is_directory(ec)) continue;
            packageFolders.push_back(it->path());
            if (andGrandChildren)
                for (fs::directory_iterator sub(it->path(), ec); !ec && sub != end; sub.increment(ec))
                    if (sub->is_directory(ec)) packageFolders.push_back(sub->path());
            ec.clear();
        }
        ec.clear();
    };
    // Community holds the packages, some users keep them in folders of their own; the Official
    // folders hold them one level down (OneStore, Steam).
    addChildren(settings.packagesPath / "Community", true);
    addChildren(settings.packagesPath / "Official", true);
    addChildren(settings.packagesPath / "Official2024", true);
    std::sort(packageFolders.begin(), packageFolders.end());
    auto findKind = [&](const std::vector<const char*>& markers, const char* logName) {
        for (const fs::path& folder : packageFolders) {
            const std::string name = folder.filename().string();
            if (name.find("_CVT_") != std::string::npos) continue;
            const bool hit = std::any_of(markers.begin(), markers.end(), [&](const char* m) { return gf_containsNoCase(name, m); });
            // A package inside one already found is scanned with it.
            const bool inside = std::any_of(folders.begin(), folders.end(), [&](const fs::path& f) {
                const fs::path relative = folder.lexically_relative(f);
                return !relative.empty() && *relative.begin() != "..";
            });
            if (!hit || inside) continue;
            logLine("Automatic {} scan found folder: '{}'", logName, folder.string());
            folders.push_back(folder);
        }
    };
    for (const std::string& kind : settings.selector)
        for (const PackageKind& k : lf_packageKinds())
            if (kind == k.name) findKind(k.markers, k.logName);
    findKind({"user-aitraffic"}, "user-aitraffic");
    if (folders.empty())
        throw UserErrorException(43, "Automatic scan has not found any AI packages, choose a different selection (or go to "
                                     "Manual mode, see Manual 5.2)");
    return folders;
}

LiveryScanResult gf_scanLiveries(const LiveryScanSettings& settings, ModelDatabase& database) {
    if (settings.status) settings.status(fmt::format("Scanning {}for liveries ...", settings.prioritize ? "prioritized " : ""));
    logLine("\n++++++++++++++++++++++++ liveries scan {} starts ++++++++++++++++++++++++++++++++",
            settings.automatic ? "automatic" : "manual");
    const std::vector<fs::path> folders = gf_liveryFolders(settings);
    lf_removePreviousProblemLists(settings.problemsFolder);

    LiveryScanResult result;
    // Base containers are looked for in the simulator's packages and beside the scanned folders.
    std::vector<fs::path> packageParents{settings.packagesPath / "Community"};
    for (const fs::path& folder : folders) {
        packageParents.push_back(folder.parent_path());
        packageParents.push_back(folder);
    }
    BaseContainers bases(std::move(packageParents),
                         {settings.packagesPath / "Official", settings.packagesPath / "Official2024"});
    SectionProcessor processor(database, result, settings.excludedTitles, bases);
    std::size_t total = 0;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const fs::path& folder = folders[i];
        std::error_code ec;
        if (!fs::exists(folder, ec)) {
            logLine("{} does not exist, skipped!", folder.string());
            continue;
        }
        if (!fs::is_directory(folder, ec)) {
            logLine("{} is not a folder name, skipped!", folder.string());
            continue;
        }
        const auto files = lf_cfgFiles(folder);
        std::size_t added = 0;
        for (const FileScan& file : lf_readAll(files, settings.threads, settings.status))
            added += processor.addFile(file, static_cast<int>(i));
        logLine("found in {}", folder.string());
        if (added > 0) logLine("{} liverie{} {}", added, gf_pluralS(added), folder.filename().string());
        else logLine("No liveries {}", folder.filename().string());
        total += added;
    }
    if (folders.size() > 1) logLine("{} in total", total);
    if (settings.prioritize) lf_prioritize(result.liveries);

    gf_writeLiveriesScanned(settings.result, settings.version, result.liveries);
    processor.writeProblemLists(settings.problemsFolder);
    lf_logReport(result);
    if (result.liveries.empty()) {
        const char* message = settings.automatic ? "Automatic scan has not found any liveries, choose a different selection, or "
                                                   "switch off automatic and set lfolder parameter(-s)"
                                                 : "no liveries found";
        logLine(message);
        if (settings.status) settings.status(message);
    }
    logLine("\n++++++++++++++++++++++++ liveries scan ends ++++++++++++++++++++++++++++++++\n");
    return result;
}

void gf_writeLiveriesScanned(const fs::path& path, const std::string& version, const std::vector<LiveryData>& liveries) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("root");
    root.append_attribute("version") = version.c_str();
    pugi::xml_node section = root.append_child("liveries");
    for (const LiveryData& l : liveries) {
        pugi::xml_node node = section.append_child("livery");
        node.append_attribute("a") = l.airline.c_str();
        if (!l.operatorCode.empty()) node.append_attribute("o") = l.operatorCode.c_str();
        node.append_attribute("m") = l.model.c_str();
        if (l.cargo) node.append_attribute("c") = true;
        node.append_attribute("t") = l.title.c_str();
        if (!l.registration.empty()) node.append_attribute("r") = l.registration.c_str();
    }
    std::string error;
    if (gf_saveXmlAtomically(doc, path, &error)) logLine("{} liveries in {}", liveries.size(), path.string());
    else logLine("Error writing file {}: {}", path.string(), error);
}

} // namespace vorl
