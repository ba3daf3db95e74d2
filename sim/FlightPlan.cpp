#include "sim/FlightPlan.h"

#include <fmt/format.h>

#include "common/Folders.h"
#include "common/Log.h"
#include "common/SafeWrite.h"
#include "common/platform.h"
#include "sim/SimIds.h"
#include "sim/SimOutbox.h"
#include "sim/SimSession.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

bool lf_isInstrumentCategory(AircraftCategory category) {
    return category == AircraftCategory::Buzjets || category == AircraftCategory::Large ||
           category == AircraftCategory::Heavy;
}

bool lf_isBlank(const std::string& code) { return code.find_first_not_of(' ') == std::string::npos; }

std::string lf_code(const std::string& code) { return lf_isBlank(code) ? std::string(3, ' ') : code; }

} // namespace

std::string gf_flightPlanText(const FlightPlanRequest& request) {
    std::string text;
    text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    text += "<SimBase.Document Type=\"AceXML\" version=\"4,3\">\n";
    text += "<FlightPlan.FlightPlan>\n";
    text += fmt::format("<FPType>{}</FPType>\n", lf_isInstrumentCategory(request.category) ? "IFR" : "VFR");
    text += fmt::format("<DepartureID>{}</DepartureID>\n", lf_code(request.departure));
    text += fmt::format("<DestinationID>{}</DestinationID>\n", lf_code(request.destination));
    text += "</FlightPlan.FlightPlan>\n";
    text += "</SimBase.Document>\n";
    text += "\n";
    return text;
}

fs::path gf_flightPlanPath(const fs::path& folder, std::uint32_t objectId) {
    return folder / fmt::format("{}.pln", objectId);
}

bool createFlightPlan(const FlightPlanRequest& request, const fs::path& folder, bool msfs2020) {
    if (lf_isBlank(request.departure) || lf_isBlank(request.destination)) return false;
    const fs::path path = gf_flightPlanPath(folder, request.objectId);
    if (!gf_writeFileAtomically(path, gf_flightPlanText(request))) {
        logImportant("{} creating a flight plan failed", request.label);
        return false;
    }
    // MSFS 2024 does not take flight plans for non-ATC aircraft; the file still tells where it goes.
    if (!msfs2020) return true;
    SimSession& session = gf_simSession();
    std::lock_guard lock(gf_simOutbox().mutex());
    if (session.simConnectError.load() || !session.backend() || !session.handle()) return false;
    const std::string narrowPath = gf_utf8ToSystemCodePage(gf_utf8Text(path));
    if (simconnect::failed(session.backend()->aiSetAircraftFlightPlan(session.handle(), request.objectId,
                                                                      narrowPath.c_str(), simid::kReqFlightPlan))) {
        logImportant("{} creating a flight plan failed", request.label);
        return false;
    }
    return true;
}

void gf_removeFlightPlan(const fs::path& folder, std::uint32_t objectId, bool flightPlanMark) {
    if (!flightPlanMark) return;
    std::error_code ec;
    fs::remove(gf_flightPlanPath(folder, objectId), ec);
    if (ec) logLine("gf_removeFlightPlan: {}", ec.message());
}

bool gf_createFlightPlanFolder(const fs::path& folder) {
    std::error_code ec;
    const bool created = fs::create_directories(folder, ec);
    if (ec) logLine("gf_createFlightPlanFolder: {}", ec.message());
    return created;
}

} // namespace vorl
