#include "tools/aipackages/AiPackages.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

namespace vorl::tools {
namespace {

struct Section {
    std::string title;
    std::string airline; // as written: may be "ZZZZ", "ZZZ" or empty
    std::string registration;
    std::string parking = "GATE,RAMP";
};

struct CfgFile {
    fs::path path;
    std::string type; // empty: no [General] line (the IVAO packages name it in the folder)
    std::vector<Section> sections;
    bool utf16 = false;
    bool helicopter = false; // the simulator tells helicopters by [GENERAL] category
};

std::string lf_cfgText(const CfgFile& file) {
    std::string text = "[VERSION]\nmajor = 1\nminor = 0\n\n[GENERAL]\natc_type = \"TT:ATCCOM.ATC_NAME AIRLINER.0.text\"\n";
    if (!file.type.empty()) text += fmt::format("icao_type_designator = \"{}\"\n", file.type);
    if (file.helicopter) text += "category = \"Helicopter\"\n";
    for (std::size_t n = 0; n < file.sections.size(); ++n) {
        const Section& s = file.sections[n];
        text += fmt::format("\n[FLTSIM.{}]\n", n);
        if (!s.title.empty()) text += fmt::format("title = \"{}\" ; shown in the simulator\n", s.title);
        text += "model = \"\"\ntexture = \"" + std::to_string(n) + "\"\n";
        text += fmt::format("icao_airline = \"{}\"\n", s.airline);
        if (!s.registration.empty()) text += fmt::format("atc_id = \"{}\"\n", s.registration);
        text += fmt::format("atc_parking_types = \"{}\"\n", s.parking);
    }
    return text;
}

void lf_write(const CfgFile& file) {
    fs::create_directories(file.path.parent_path());
    std::ofstream out(file.path, std::ios::binary | std::ios::trunc);
    const std::string text = lf_cfgText(file);
    if (!file.utf16) {
        out << text;
    } else {
        out.put(static_cast<char>(0xFF)).put(static_cast<char>(0xFE));
        for (const char c : text) out.put(c).put('\0'); // the generated text is ASCII
    }
    if (!out) throw std::runtime_error("cannot write " + file.path.string());
}

struct Airline {
    std::string icao;
    std::string regPrefix;
    std::vector<std::string> types;
};

std::vector<Airline> lf_airlines(const nlohmann::json& fleet, const char* key) {
    std::vector<Airline> out;
    for (const auto& a : fleet.at(key)) {
        Airline airline{a.at("icao").get<std::string>(), a.at("regPrefix").get<std::string>(), {}};
        for (const auto& t : a.at("types")) airline.types.push_back(t.at(0).get<std::string>());
        out.push_back(std::move(airline));
    }
    return out;
}

// A registration of the airline's country that no generated aircraft of the scenario uses.
std::string lf_registration(const Airline& a, std::size_t n) {
    if (a.regPrefix == "N") return fmt::format("N{}VL", 100 + n);
    return fmt::format("{}V{}{}", a.regPrefix, static_cast<char>('A' + n % 26), static_cast<char>('A' + (n / 26) % 26));
}

class Installation {
public:
    Installation(const fs::path& community, std::size_t copies) : community_(community), copies_(copies) {}

    // One package of airline liveries: a file per type, a few liveries of each airline.
    void airlinePackage(const std::string& folder, const std::string& prefix, const std::vector<Airline>& airlines,
                        bool cargo, bool typeInFolder) {
        std::set<std::string> types;
        for (const auto& a : airlines) types.insert(a.types.begin(), a.types.end());
        for (const std::string& type : types) {
            CfgFile file;
            const std::string model = typeInFolder ? "IVAO_" + type : prefix + type;
            file.path = community_ / folder / "SimObjects" / "Airplanes" / model / "aircraft.cfg";
            if (!typeInFolder) file.type = type;
            for (const auto& a : airlines) {
                if (std::find(a.types.begin(), a.types.end(), type) == a.types.end()) continue;
                for (std::size_t n = 0; n < 2 * copies_; ++n) {
                    Section s;
                    s.title = fmt::format("{}{}_{}_{}", prefix, type, a.icao, n + 1);
                    s.airline = a.icao;
                    if (cargo) s.parking = "CARGO";
                    // The first livery of each airline's first type belongs to one aircraft.
                    if (n == 0 && type == a.types.front()) s.registration = lf_registration(a, registrations_++);
                    file.sections.push_back(std::move(s));
                }
            }
            add(std::move(file));
        }
    }

    // Unbranded liveries of the common types, as FSLTL ships them.
    void unbranded(const std::string& folder, const std::vector<std::string>& types) {
        for (const std::string& type : types) {
            CfgFile file;
            file.path = community_ / folder / "SimObjects" / "Airplanes" / ("FSLTL_" + type + "_ZZZ") / "aircraft.cfg";
            file.type = type;
            for (std::size_t n = 0; n < copies_; ++n) file.sections.push_back({fmt::format("FSLTL_{}_ZZZ_{}", type, n + 1), "ZZZ", {}, "GATE"});
            add(std::move(file));
        }
    }

    // The user's own folder: private helicopters and light aircraft, and the broken files.
    void userPackage(const nlohmann::json& fleet) {
        const fs::path base = community_ / "user-aitraffic-liveries" / "SimObjects" / "Airplanes";
        std::set<std::string> helicopterTypes;
        for (const auto& h : fleet.at("helicopters")) helicopterTypes.insert(h.at("type").get<std::string>());
        for (const std::string& type : helicopterTypes) {
            CfgFile file;
            file.path = base / ("heli_" + type) / "aircraft.cfg";
            file.type = type;
            file.helicopter = true;
            for (const auto& h : fleet.at("helicopters"))
                if (h.at("type") == type)
                    file.sections.push_back({fmt::format("{} {}", type, h.at("reg").get<std::string>()), "ZZZZ",
                                             h.at("reg").get<std::string>(), "RAMP_GA_SMALL"});
            file.sections.push_back({fmt::format("{} Private", type), "", {}, "RAMP_GA_SMALL"});
            add(std::move(file));
        }
        for (const auto& l : fleet.at("light")) {
            const std::string type = l.at("type").get<std::string>();
            CfgFile file;
            file.path = base / ("ga_" + type) / "aircraft.cfg";
            file.type = type;
            for (std::size_t n = 0; n < copies_; ++n)
                file.sections.push_back({fmt::format("{} Club {}", type, n + 1), "ZZZZ", {}, "RAMP_GA_SMALL"});
            file.utf16 = type == "C172"; // written by a Windows editor
            add(std::move(file));
        }

        // What users' folders hold besides: a section without title, a title used twice, a
        // file without any livery, and a heavy aircraft with no airline.
        add({base / "broken_notitle" / "aircraft.cfg", "B738", {{"", "KLM", {}, "GATE"}, {"User KLM 737 Sunset", "KLM", {}, "GATE"}}});
        add({base / "broken_repeated" / "aircraft.cfg", "A320", {{"User KLM 737 Sunset", "EZY", {}, "GATE"}}});
        add({base / "broken_nosections" / "aircraft.cfg", "A320", {}});
        add({base / "broken_heavy" / "aircraft.cfg", "B744", {{"User 747 no airline", "", {}, "GATE"}}});
        // Scenery publishers' vehicles and converted copies are not liveries.
        add({base / "inibuilds_vehicle" / "aircraft.cfg", "B738", {{"Pushback tug", "KLM", {}, "GATE"}}});
        add({community_ / "aig-aitraffic-oci_CVT_" / "SimObjects" / "Airplanes" / "x" / "aircraft.cfg", "B738",
             {{"Converted KLM 737", "KLM", {}, "GATE"}}});
    }

    AiPackagesSummary summary() const { return summary_; }

private:
    void add(CfgFile file) {
        lf_write(file);
        ++summary_.files;
        summary_.liveries += file.sections.size();
    }

    fs::path community_;
    std::size_t copies_;
    std::size_t registrations_ = 0;
    AiPackagesSummary summary_;
};

std::vector<Airline> lf_pick(const std::vector<Airline>& all, const std::set<std::string>& codes) {
    std::vector<Airline> out;
    for (const auto& a : all)
        if (codes.count(a.icao) != 0) out.push_back(a);
    return out;
}

} // namespace

AiPackagesSummary gf_writeAiPackages(const AiPackagesOptions& options) {
    std::ifstream in(options.fleet);
    if (!in) throw std::runtime_error("cannot read " + options.fleet.string());
    const nlohmann::json fleet = nlohmann::json::parse(in);
    std::vector<Airline> all = lf_airlines(fleet, "airlines");
    const std::vector<Airline> overflights = lf_airlines(fleet, "overflights");
    all.insert(all.end(), overflights.begin(), overflights.end());

    Installation install(options.community, options.copies);
    // The airlines are spread over the packages as a user's mix of them would be; the newest
    // long-haul types of some airlines are missing, so similar types have to stand in.
    auto aig = lf_pick(all, {"KLM", "KLC", "TRA", "EZY", "BAW", "DLH", "AFR"});
    for (auto& a : aig)
        if (a.icao == "KLM") std::erase(a.types, "B78X");
    install.airlinePackage("aig-aitraffic-oci-beta", "AIG_", aig, false, false);
    install.airlinePackage("fsltl-traffic-base", "FSLTL_", lf_pick(all, {"SAS", "FIN", "THY", "DAL", "UAE", "RYR", "SWR", "NAX", "UAL", "ICE"}),
                           false, false);
    install.unbranded("fsltl-traffic-base", {"B738", "A320", "A20N", "B772", "B789", "E190", "CRJ9", "B744"});
    install.airlinePackage("IVAO_MTL", "IVAO_", lf_pick(all, {"MPH", "CLX"}), true, true);
    install.airlinePackage("justflight-aircraft-traffic-fleet", "JF_", lf_pick(all, {"EJU"}), false, false);
    install.userPackage(fleet);
    return install.summary();
}

} // namespace vorl::tools
