#include "airports/LearnedFile.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "airports/AirportFileXml.h"
#include "airports/AirportFilesContext.h"
#include "common/Generations.h"
#include "common/Log.h"
#include "common/Version.h"
#include "models/ModelDatabase.h"

namespace vorl {
namespace fs = std::filesystem;
namespace {

std::string lf_publisherFolder(std::string publisher) {
    for (auto at = publisher.find("%20"); at != std::string::npos; at = publisher.find("%20", at))
        publisher.replace(at, 3, " ");
    std::replace(publisher.begin(), publisher.end(), '/', ' ');
    std::replace(publisher.begin(), publisher.end(), '\\', ' ');
    return publisher;
}

fs::path lf_learnedFolderFor(const std::string& publisher) {
    const fs::path learned = "airports/learned";
    if (publisher == "stock") return learned / "stock";
    if (publisher == "simaddon") return learned / "simaddon";
    return learned / "thirdparty" / lf_publisherFolder(publisher);
}

bool lf_older(const std::string& version, const VersionData& than) {
    try {
        return VersionData::parse(version) < than;
    } catch (const std::exception&) {
        return false; // no version: written by this program's own format
    }
}

bool lf_sameOption(const StandOption& a, const StandOption& b) {
    return a.day == b.day && a.hours == b.hours && a.callsign == b.callsign && a.registration == b.registration;
}

void lf_mergeOptions(Stand& stand, std::vector<StandOption> learned) {
    ModelDatabase& db = gf_airportFilesContext().modelDatabase();
    for (StandOption& option : learned) {
        const bool known = std::any_of(stand.options.begin(), stand.options.end(),
                                       [&](const StandOption& o) { return lf_sameOption(o, option); });
        if (known) {
            const std::string hours = option.hours.none() ? "empty hrs" : gf_bitset2hours(option.hours);
            logLine("learned {}: day:{} {} {} cs:{} reg:{} already in airport file", stand.id, option.day, hours,
                    db.typeOf(option.type), option.callsign, option.registration);
            continue;
        }
        option.number = static_cast<std::uint32_t>(stand.options.size() + 1);
        stand.options.push_back(std::move(option));
    }
}

bool lf_bool(const AirportHeader& header, const char* name, bool fallback) {
    const auto it = header.find(name);
    if (it == header.end()) return fallback;
    return it->second == "true" || it->second == "1";
}

int lf_int(const AirportHeader& header, const char* name, int fallback) {
    const auto it = header.find(name);
    if (it == header.end()) return fallback;
    try {
        return std::stoi(it->second);
    } catch (const std::exception&) {
        return fallback;
    }
}

void lf_restoreSettings(const AirportHeader& header, ParkingSettings& s) {
    const auto logged = [&](const char* name, const auto& value) {
        if (header.count(name) != 0) logLine("{:24}: {}", name, value);
    };
    s.range = lf_int(header, "RANGE", s.range);
    logged("RANGE", s.range);
    s.autoRange = lf_bool(header, "AUTO_RANGE", s.autoRange);
    logged("AUTO_RANGE", s.autoRange);
    s.initialLoadOnly = lf_bool(header, "INITIAL_LOAD_ONLY", s.initialLoadOnly);
    logged("INITIAL_LOAD_ONLY", s.initialLoadOnly);
    s.parkSoft = lf_bool(header, "PARK_SOFT", s.parkSoft);
    logged("PARK_SOFT", s.parkSoft);
    s.parkingPercentage = std::clamp(lf_int(header, "parking_percentage", s.parkingPercentage), 0, 100);
    logged("parking_percentage", s.parkingPercentage);
    s.maxFit = std::clamp(lf_int(header, "MAX_FIT", s.maxFit), 0, 47);
    if (header.count("MAX_FIT") != 0)
        logLine("{:24}: {} (max number of half hours, is {:.1F} hrs decimal)", "MAX_FIT", s.maxFit, gf_maxFitHours(s.maxFit));
    s.week = lf_bool(header, "WEEK", s.week);
    logged("WEEK", s.week);
    s.rtParkTrafficOnly = lf_bool(header, "RT_PARKTRAFFIC_ONLY", s.rtParkTrafficOnly);
    logged("RT_PARKTRAFFIC_ONLY", s.rtParkTrafficOnly);
}

void lf_overlayStand(const pugi::xml_node& parkpos, AirportState& state, bool keepOptions, const std::string& file) {
    const std::string id = parkpos.attribute("id").as_string();
    if (parkpos.attribute("manual").as_bool(false)) {
        const bool exists = std::any_of(state.stands.begin(), state.stands.end(), [&](const Stand& s) { return s.id == id; });
        if (exists) {
            logLine("manually created standid {} already exists in {}", id, file);
            return;
        }
        if (!parkpos.attribute("latitude") || !parkpos.attribute("longitude") || !parkpos.attribute("radius")) {
            logLine("manually created standid {} misses correct attributes in {}", id, file);
            return;
        }
        Stand stand;
        stand.id = id;
        stand.manual = true;
        gf_readStandShape(parkpos, stand);
        if (keepOptions) stand.options = gf_readStandOptions(parkpos, 0);
        state.stands.push_back(std::move(stand));
        return;
    }
    const auto it = std::find_if(state.stands.begin(), state.stands.end(), [&](const Stand& s) { return s.id == id; });
    if (it == state.stands.end()) {
        logLine("learned stand {} in {} not found?", id, file);
        return;
    }
    if (parkpos.attribute("radius_change").as_bool(false) && parkpos.attribute("radius")) {
        it->radiusChange = true;
        it->radius = parkpos.attribute("radius").as_double() * kMetersToNm;
    }
    if (parkpos.attribute("cargo_change").as_bool(false) && parkpos.attribute("cargo")) {
        it->cargoChange = true;
        it->cargo = parkpos.attribute("cargo").as_bool();
    }
    if (keepOptions) lf_mergeOptions(*it, gf_readStandOptions(parkpos, 0));
}

} // namespace

fs::path gf_learnedPath(const std::string& airportFilePath, const std::string& publisher) {
    std::string path = airportFilePath;
    std::replace(path.begin(), path.end(), '\\', '/');
    // An archived file carries its package version behind the code ("EHLE120.xml"); what is
    // learned belongs to the airport, whatever version of its file comes next.
    std::string stem = fs::path(path).stem().string();
    if (stem.size() > 4 && std::all_of(stem.begin() + 4, stem.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
        stem.resize(4);
    const fs::path file = stem + fs::path(path).extension().string();
    const fs::path learned = "airports/learned";
    const auto under = [&](std::string_view folder) { return path.find(folder) != std::string::npos; };
    if (under("archive/stock/") || under("airports/stock/")) return learned / "stock" / file;
    if (under("archive/simaddon/") || under("airports/my_simaddon/")) return learned / "simaddon" / file;
    if (const auto at = path.find("archive/thirdparty/"); at != std::string::npos) {
        const auto begin = at + std::string_view("archive/thirdparty/").size();
        const auto end = path.find('/', begin);
        if (end != std::string::npos) return learned / "thirdparty" / lf_publisherFolder(path.substr(begin, end - begin)) / file;
    }
    if (path.rfind("airports/", 0) == 0 && path.find('/', 9) == std::string::npos) return learned / "stock" / file;
    return lf_learnedFolderFor(publisher) / file;
}

void lf_readLearned(const fs::path& learnedFile, AirportState& state) {
    const auto& context = gf_airportFilesContext();
    const fs::path local = context.resolve(learnedFile);
    const std::string shown = learnedFile.generic_string();
    try {
        logLine("Read from learned airport file: '{}'", shown);
        pugi::xml_document doc;
        const auto loaded = doc.load_file(local.c_str());
        if (!loaded) {
            fs::path aside = local;
            aside.replace_extension(".0.xml");
            std::error_code ec;
            fs::rename(local, aside, ec);
            logLine("{} found, but could not be loaded, saved as *.0.xml: {}", shown, loaded.description());
            return;
        }
        const auto root = doc.child("root");
        const AirportHeader header = gf_readAirportHeader(root);
        state.handmade = lf_bool(header, "handmade", false);
        const auto version = header.find("version");
        bool keepOptions = true;
        if (version != header.end() && lf_older(version->second, VersionData{11, 10, 0}) && !state.handmade) {
            logLine("\nThis learned file was created with and older VORL version than 11.10.0,\nAll flights will be "
                    "cleared, except for a handmade file\n");
            keepOptions = false;
        }
        const auto name = header.find("airport_name");
        if (name != header.end() && name->second != state.name)
            logLine("Warning: learned file airport name: '{}' differs from archived file airport name: '{}'",
                    name->second, state.name);
        state.rtTrafficWeeks = lf_int(header, "RT_traffic_week", state.rtTrafficWeeks);
        lf_restoreSettings(header, state.settings);
        for (auto parkpos : root.child("parkpositions").children("parkpos")) lf_overlayStand(parkpos, state, keepOptions, shown);
    } catch (const std::exception& e) {
        logLine("{}: {}", "lf_readLearned", e.what());
    }
}

bool gf_saveLearned(const AirportState& state) {
    const auto& context = gf_airportFilesContext();
    const fs::path relative =
        state.learnedPath.empty() ? lf_learnedFolderFor(state.publisher) / (state.icao + ".xml") : fs::path(state.learnedPath);
    // Nothing was read (a failed download): an empty file would only hide what an earlier
    // visit learned.
    if (state.stands.empty()) {
        logLine("learned '{}' not saved: no stands", relative.generic_string());
        return false;
    }
    const fs::path target = context.resolve(relative);
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    gf_saveUpto3GenerationsOf(target);
    AirportState learned = state;
    learned.version = kLearnedFileVersion;
    // The parking settings in force now, as the user may have changed them during the visit.
    if (context.currentSettings) learned.settings = context.currentSettings();
    std::string error;
    if (!gf_writeAirportFile(learned, target, AirportFileKind::LearnedFile, &error)) {
        logLine("{} saving '{}' did not succeed", error.empty() ? "gf_saveLearned" : error, relative.generic_string());
        return false;
    }
    logLine("{}{} '{}' saved with {} update{}", "Learned file", state.handmade ? " handmade" : "", relative.generic_string(),
            state.updates, state.updates == 1 ? "" : "s");
    return true;
}

} // namespace vorl
