#include "airports/AirportFileReader.h"

#include <system_error>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "airports/AirportFileLocator.h"
#include "airports/AirportFileXml.h"
#include "airports/AirportFilesContext.h"
#include "airports/LearnedFile.h"
#include "airports/StandGeometry.h"
#include "common/Log.h"
#include "common/UserErrorException.h"

namespace vorl {
namespace fs = std::filesystem;
namespace {

constexpr const char* kFunction = "gf_readApf";

std::string lf_text(const AirportHeader& header, const char* name) {
    const auto it = header.find(name);
    return it == header.end() ? std::string{} : it->second;
}

// A share of stands that fits how busy the airport database says the airport is.
int lf_percentageForStandClass(std::string_view icao) {
    const auto& context = gf_airportFilesContext();
    const auto standClass = context.standClass ? context.standClass(icao) : std::nullopt;
    if (standClass == 1) return 100;
    if (standClass == 2) return 50;
    return 30;
}

void lf_readHeader(const AirportHeader& header, AirportState& state) {
    state.rtTrafficWeeks = header.count("RT_traffic_week") ? std::stoi(lf_text(header, "RT_traffic_week")) : 0;
    state.publisher = lf_text(header, "publisher");
    state.version = lf_text(header, "version");
    state.facilities = lf_text(header, "Facilities") == "true" || lf_text(header, "Facilities") == "1";
    if (header.count("altitude") == 0) throw UserErrorException(65, fmt::format("Parameter {} not found", "altitude"));
    state.elevationFeet = static_cast<int>(std::stod(lf_text(header, "altitude")));
    state.name = lf_text(header, "airport_name");
    state.bglPath = lf_text(header, "BGLpath");
}

// Without a learned file the airport's own option mix decides how to park: too few real
// options, so made-up ones over the whole day and week; plenty of real ones, so those alone.
void lf_settingsWithoutLearnedFile(AirportState& state) {
    ParkingSettings& s = state.settings;
    if (state.qfReal < 3 && state.qfSoft >= 1) {
        s.parkSoft = true;
        s.week = true;
        s.maxFit = gf_maxFitFromHours(24.0);
    } else if (state.qfReal >= 46) {
        s.parkSoft = false;
        s.week = false;
    }
    s.parkingPercentage = lf_percentageForStandClass(state.icao);
    logLine("{:24}: {}%", "Target", s.parkingPercentage);
}

void lf_logSummary(const std::string& path, const AirportState& state) {
    logLine("Airport file read from '{}' for {} {}", path, state.icao, state.name);
    logLine("{:24}: {}", "publisher", state.publisher);
    logLine("{:24}: {}", "version", state.version);
    logLine("{:24}: {} ft", "altitude", state.elevationFeet);
    logLine("{:24}: {}", "num_parkpos", state.stands.size());
    logLine("{:24}: {}", "Facilities", state.facilities);
    logLine("{:24}: {}", "quality factor", fmt::format("{}/{}", state.qfReal, state.qfSoft));
    logLine("{:24}: {}", "RT traffic week", state.rtTrafficWeeks);
}

} // namespace

std::string gf_readApf(const std::string& path, AirportState& state) {
    if (path.empty()) return fmt::format("{}: xml is empty", kFunction);
    if (state.icao.empty()) return fmt::format("{}: no park airport set", kFunction);
    const auto& context = gf_airportFilesContext();
    try {
        std::string localPath = path;
        if (!gf_isLocalAirportPath(path)) {
            localPath = "airports/park_airport.xml";
            std::error_code ec;
            fs::create_directories(context.resolve("airports"), ec);
            const std::string failedUrl = gf_downloadAirportFile(path, context.resolve(localPath));
            if (!failedUrl.empty()) return failedUrl;
        }
        state.handmade = false;
        pugi::xml_document doc;
        const fs::path file = fs::path(localPath).is_absolute() ? fs::path(localPath) : context.resolve(localPath);
        if (!doc.load_file(file.c_str())) return fmt::format("{}: could not load file: {}", kFunction, localPath);
        const auto root = doc.child("root");
        const AirportHeader header = gf_readAirportHeader(root);
        lf_readHeader(header, state);
        state.stands = gf_readStands(root, 1);
        if (header.count("Qf_real") && header.count("Qf_soft")) {
            state.qfReal = std::stoi(lf_text(header, "Qf_real"));
            state.qfSoft = std::stoi(lf_text(header, "Qf_soft"));
        }
        if (context.currentSettings) state.settings = context.currentSettings();

        const fs::path learned = gf_learnedPath(path, state.publisher);
        state.learnedPath = learned.generic_string();
        std::error_code ec;
        if (fs::exists(context.resolve(learned), ec)) {
            lf_readLearned(learned, state);
            const QualityFactors factors = gf_qualityFactors(state.stands);
            state.qfReal = factors.real;
            state.qfSoft = factors.soft;
            if (state.handmade) logLine("A handmade airport file overruled the archived file!");
        } else {
            logLine("learned '{}' does not exist", learned.generic_string());
            lf_settingsWithoutLearnedFile(state);
        }
        gf_numberAndLinkStands(state.stands);
        lf_logSummary(localPath, state);
        return state.stands.empty() ? "no stands found" : "";
    } catch (const UserErrorException&) {
        throw;
    } catch (const std::exception&) {
        return fmt::format("{}: refused to load", path);
    }
}

} // namespace vorl
