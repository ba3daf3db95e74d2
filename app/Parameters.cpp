#include "app/Parameters.h"

#include <algorithm>
#include <numeric>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "common/Generations.h"
#include "common/Log.h"
#include "common/Names.h"
#include "common/SafeWrite.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

std::vector<std::int32_t> lf_range(std::int32_t from, std::int32_t to, std::int32_t step) {
    std::vector<std::int32_t> values;
    for (std::int32_t v = from; v <= to; v += step) values.push_back(v);
    return values;
}

std::vector<std::int32_t> lf_airportHeights() {
    auto heights = lf_range(2000, 18000, 2000);
    heights.push_back(36000);
    heights.push_back(48000);
    return heights;
}

ControlBinding lf_at(int id, int row) { return ControlBinding{id, row}; }

// Every k-subset of {0..n-1} in lexical order, each as its permutations in lexical order.
void lf_appendOrders(std::vector<std::string>& out, const std::vector<std::string>& names, std::size_t k) {
    std::vector<bool> pick(names.size(), false);
    std::fill(pick.begin(), pick.begin() + static_cast<std::ptrdiff_t>(k), true);
    do {
        std::vector<std::size_t> subset;
        for (std::size_t i = 0; i < names.size(); ++i)
            if (pick[i]) subset.push_back(i);
        do {
            std::string order;
            for (const auto i : subset) order += (order.empty() ? "" : ", ") + names[i];
            out.push_back(order);
        } while (std::next_permutation(subset.begin(), subset.end()));
    } while (std::prev_permutation(pick.begin(), pick.end()));
}

pugi::xml_node lf_parametersElement(pugi::xml_document& doc) {
    pugi::xml_node root = doc.child("root");
    return (root ? root : static_cast<pugi::xml_node>(doc)).child("parameters");
}

pugi::xml_node lf_findParameter(pugi::xml_node parameters, const std::string& key) {
    return parameters.find_child_by_attribute("parameter", "name", key.c_str());
}

bool lf_appendParameter(pugi::xml_node parameters, const std::string& key, const std::string& value) {
    pugi::xml_node element = parameters.append_child("parameter");
    if (!element || !element.append_attribute("name").set_value(key.c_str()) ||
        !element.append_attribute("value").set_value(value.c_str())) {
        logLine("===> {}adding xml parameter {} with {} failed!", "parameters.xml: ", key, value);
        return false;
    }
    return true;
}

void lf_ensureDeclaration(pugi::xml_document& doc) {
    pugi::xml_node first = doc.first_child();
    if (first && first.type() == pugi::node_declaration) return;
    pugi::xml_node decl = doc.prepend_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
}

// Saves the settings document; one without the "root" level is rewritten with it, so that the
// file is a single-rooted XML document from then on.
bool lf_saveDocument(pugi::xml_document& doc, const fs::path& path) {
    pugi::xml_document wrapped;
    pugi::xml_document* toSave = &doc;
    if (!doc.child("root") && doc.child("parameters")) {
        logLine("\nPlacing a root level around a new parameters.xml to make it 100% xml compliance\n");
        wrapped.append_child("root").append_copy(doc.child("parameters"));
        toSave = &wrapped;
    }
    lf_ensureDeclaration(*toSave);
    std::string error;
    if (!gf_saveXmlAtomically(*toSave, path, &error)) {
        logImportant("saving: {} failed", path.string());
        logLine("    {}", error);
        return false;
    }
    return true;
}

} // namespace

std::vector<std::string> gf_aiPackageOrders() {
    const std::vector<std::string> names{"AIG", "FSLTL", "JF", "MTL"};
    std::vector<std::string> orders;
    for (std::size_t k = names.size(); k >= 1; --k) lf_appendOrders(orders, names, k);
    return orders;
}

Parameters::Parameters()
    : MAIN_WINDOW_X("MAIN_WINDOW_X", 400, -30000, 30000), MAIN_WINDOW_Y("MAIN_WINDOW_Y", 20, -30000, 30000),
      ALL_INSTALL_PATH("ALL_INSTALL_PATH", lf_at(0x8014, 119)),
      SIM_CHOICE("SIM_CHOICE", "MSFS 2020", {"MSFS 2020", "MSFS 2024"}, lf_at(0x8015, 119)),
      MSFS_INSTALL_PATH("MSFS_INSTALL_PATH"), MSFS_2024_INSTALL_PATH("MSFS_2024_INSTALL_PATH"),
      AI_PACKAGE_SELECTOR("AI_PACKAGE_SELECTOR", "AIG, FSLTL, JF, MTL", gf_aiPackageOrders(), lf_at(0x8016, 147)),
      ALWAYS_ON_TOP("ALWAYS_ON_TOP", false, lf_at(0x8003, 147)),
      SCAN_LIVERIES("SCAN_LIVERIES", true, lf_at(0x801e, 147)),
      LIG_AUTOMATIC("LIG_AUTOMATIC", true, lf_at(0x801f, 147)),
      LIG_PRIORITIZE("LIG_PRIORITIZE", true, lf_at(0x8020, 147)),
      NAV_LIGHTS_WHILE_PARKED("NAV_LIGHTS_WHILE_PARKED", true, lf_at(0x8006, 175)),
      OBJECTID_LIST("OBJECTID_LIST", false, lf_at(0x8007, 175)),
      SCAN_AIRPORTS("SCAN_AIRPORTS", true, lf_at(0x8022, 175)),
      GUID_CHANGES("GUID_CHANGES", true, lf_at(0x8005, 203)),
      MATCHING_DEPTH("MATCHING_DEPTH", 4, {1, 2, 3, 4}, lf_at(0x8028, 203)),
      LIGHT_AIRCRAFT("LIGHT_AIRCRAFT", true, lf_at(0x8029, 203)),
      HELICOPTERS("HELICOPTERS", true, lf_at(0x802a, 203)),
      HIGH_PERF_AIRCRAFT("HIGH_PERF_AIRCRAFT", true, lf_at(0x802b, 203)),
      RANGE("RANGE", 40, {2, 3, 4, 5, 6, 8, 10, 12, 14, 16, 18, 20, 25, 30, 35, 40, 50, 65, 80, 100},
            lf_at(0x8032, 231)),
      AUTO_RANGE("AUTO_RANGE", true, lf_at(0x8033, 231)),
      AR_ABOVE_HEIGHT("AR_ABOVE_HEIGHT", 48000, lf_range(18000, 48000, 3000), lf_at(0x8034, 231)),
      AIRBORNE_ONLY("AIRBORNE_ONLY", false, lf_at(0x8035, 231)),
      TIME_SHIFT_DAYS("TIME_SHIFT_DAYS", 0, lf_range(0, 13, 1), lf_at(0x805a, 231)),
      TIME_SHIFT_HOURS("TIME_SHIFT_HOURS", 0, lf_range(0, 23, 1), lf_at(0x805b, 259)),
      TIME_SHIFT_MINS("TIME_SHIFT_MINS", 0, lf_range(0, 59, 1), lf_at(0x805c, 287)),
      SIM_TIME("SIM_TIME", false, lf_at(0x805d, 259)),
      KEEP_SIM_TIME_PAR("KEEP_SIM_TIME_PAR", false, lf_at(0x805e, 287)),
      BLOCK_CALLSIGN("BLOCK_CALLSIGN", lf_at(0x803c, 259)),
      CALLSIGN_2_OBJECTID("CALLSIGN_2_OBJECTID", "", {}, lf_at(0x803f, 259)),
      COLLISION_USER_AIR("COLLISION_USER_AIR", true, lf_at(0x8041, 287)),
      COLLISION_USER_GND("COLLISION_USER_GND", true, lf_at(0x8042, 287)),
      COLLISION_LIVE_PARKED_GND("COLLISION_LIVE_PARKED_GND", false, lf_at(0x8043, 287)),
      MAX_LIVE_SEL("MAX_LIVE_SEL", 500, {0, 10, 25, 50, 75, 100, 500}, lf_at(0x8051, 315)),
      MAX_PARK_SEL("MAX_PARK_SEL", 500, {0, 10, 25, 50, 75, 100, 500}, lf_at(0x8050, 315)),
      STRAIGHT_PBS_ONLY("STRAIGHT_PBS_ONLY", false, lf_at(0x8057, 315)),
      DESTINATION("DESTINATION", lf_at(0x8047, 343)),
      AIRP_RANGE("AIRP_RANGE", 20, {5, 10, 15, 20, 25, 30}, lf_at(0x8048, 343)),
      AIRP_HEIGHT("AIRP_HEIGHT", 18000, lf_airportHeights(), lf_at(0x8049, 343)),
      parking_percentage("parking_percentage", 30, lf_range(0, 100, 5), lf_at(0x8052, 371)),
      INITIAL_LOAD_ONLY("INITIAL_LOAD_ONLY", false, lf_at(0x8053, 371)),
      PARK_SOFT("PARK_SOFT", false, lf_at(0x8054, 371)), WEEK("WEEK", false, lf_at(0x8055, 371)),
      MAX_FIT_FL("MAX_FIT_FL", 24.0f,
                 {0.5f, 1, 1.5f, 2, 2.5f, 3, 3.5f, 4, 4.5f, 5, 6, 7, 8, 9, 10, 12, 15, 18, 21, 24},
                 lf_at(0x8056, 371)),
      RT_PARKTRAFFIC_ONLY("RT_PARKTRAFFIC_ONLY", false, lf_at(0x8058, 371)), MAX_FIT("MAX_FIT", 47, 0, 47),
      CUSTOM_PARKING_PERCENTAGE("CUSTOM_PARKING_PERCENTAGE", -1, -1, 100),
      HOLDING_THRESHOLD_METERS("HOLDING_THRESHOLD_METERS", 250, 10, 4000),
      MAX_HOLDING_MINUTES("MAX_HOLDING_MINUTES", 20, 1, 60),
      LAST_EPOCH_TIME("LAST_EPOCH_TIME:", 0, 0, 2147483647),
      lfolder{TextParameter("lfolder0"), TextParameter("lfolder1"), TextParameter("lfolder2"),
              TextParameter("lfolder3"), TextParameter("lfolder4"), TextParameter("lfolder5"),
              TextParameter("lfolder6"), TextParameter("lfolder7"), TextParameter("lfolder8"),
              TextParameter("lfolder9")},
      PROGRAM_VERSION("PROGRAM_VERSION"), DBASE_VERSION("DBASE_VERSION"), AIG_VERSION("AIG_VERSION"),
      AIRPORTS_VERSION("AIRPORTS_VERSION"), LIV_SCAN_VERSION("LIV_SCAN_VERSION"),
      ADDONS_SCAN_VERSION("ADDONS_SCAN_VERSION"), MYSIMADDON24_VERSION("MYSIMADDON24_VERSION"),
      RT_API_URL("RT_API_URL", "https://rtwa.flyrealtraffic.com"), RT_LICENSE("RT_LICENSE"),
      DOWNLOAD_SERVER_URL("DOWNLOAD_SERVER_URL") {
    registerAll();
}

void Parameters::add(BoolParameter& p) {
    all_.push_back(&p);
    booleans_.push_back(&p);
}

void Parameters::addNumber(Parameter& p) {
    all_.push_back(&p);
    numbers_.push_back(&p);
}

void Parameters::add(TextParameter& p) {
    all_.push_back(&p);
    texts_.push_back(&p);
}

void Parameters::registerAll() {
    addNumber(MAIN_WINDOW_X);
    addNumber(MAIN_WINDOW_Y);
    add(ALL_INSTALL_PATH);
    add(SIM_CHOICE);
    add(MSFS_INSTALL_PATH);
    add(MSFS_2024_INSTALL_PATH);
    add(AI_PACKAGE_SELECTOR);
    add(ALWAYS_ON_TOP);
    add(SCAN_LIVERIES);
    add(LIG_AUTOMATIC);
    add(LIG_PRIORITIZE);
    add(NAV_LIGHTS_WHILE_PARKED);
    add(OBJECTID_LIST);
    add(SCAN_AIRPORTS);
    add(GUID_CHANGES);
    addNumber(MATCHING_DEPTH);
    add(LIGHT_AIRCRAFT);
    add(HELICOPTERS);
    add(HIGH_PERF_AIRCRAFT);
    addNumber(RANGE);
    add(AUTO_RANGE);
    addNumber(AR_ABOVE_HEIGHT);
    add(AIRBORNE_ONLY);
    addNumber(TIME_SHIFT_DAYS);
    addNumber(TIME_SHIFT_HOURS);
    addNumber(TIME_SHIFT_MINS);
    add(SIM_TIME);
    add(KEEP_SIM_TIME_PAR);
    add(BLOCK_CALLSIGN);
    add(CALLSIGN_2_OBJECTID);
    add(COLLISION_USER_AIR);
    add(COLLISION_USER_GND);
    add(COLLISION_LIVE_PARKED_GND);
    addNumber(MAX_LIVE_SEL);
    addNumber(MAX_PARK_SEL);
    add(STRAIGHT_PBS_ONLY);
    add(DESTINATION);
    addNumber(AIRP_RANGE);
    addNumber(AIRP_HEIGHT);
    addNumber(parking_percentage);
    add(INITIAL_LOAD_ONLY);
    add(PARK_SOFT);
    add(WEEK);
    addNumber(MAX_FIT_FL);
    add(RT_PARKTRAFFIC_ONLY);
    addNumber(MAX_FIT);
    addNumber(CUSTOM_PARKING_PERCENTAGE);
    addNumber(HOLDING_THRESHOLD_METERS);
    addNumber(MAX_HOLDING_MINUTES);
    addNumber(LAST_EPOCH_TIME);
    for (auto& folder : lfolder) add(folder);
    add(PROGRAM_VERSION);
    add(DBASE_VERSION);
    add(AIG_VERSION);
    add(AIRPORTS_VERSION);
    add(LIV_SCAN_VERSION);
    add(ADDONS_SCAN_VERSION);
    add(MYSIMADDON24_VERSION);
    add(RT_API_URL);
    add(RT_LICENSE);
    add(DOWNLOAD_SERVER_URL);
}

Parameter* Parameters::find(std::string_view key) const {
    const auto it = std::find_if(all_.begin(), all_.end(), [&](const Parameter* p) { return p->key() == key; });
    return it == all_.end() ? nullptr : *it;
}

void Parameters::updateControl(const Parameter& parameter) const {
    if (controlHook_ && parameter.control()) controlHook_(parameter);
}

bool Parameters::readAll(bool stopRequested) {
    pugi::xml_document doc;
    const pugi::xml_parse_result loaded = doc.load_file(file_.c_str(), pugi::parse_default, pugi::encoding_auto);
    pugi::xml_node parameters;
    if (loaded) {
        logLine("from '{}'", file_.string());
        parameters = lf_parametersElement(doc);
    }
    if (!parameters) {
        // A file that exists but cannot be used is kept as generation 0 before it is replaced.
        std::error_code ec;
        if (fs::exists(file_, ec) && fs::file_size(file_, ec) > 0) gf_save1GenerationOf(file_);
        logLine("{} not found, creating new with default values:", file_.string());
        for (auto* p : all_) p->resetToDefault();
        writeAll(true);
        return true;
    }

    const auto readOne = [&](Parameter& p) {
        const pugi::xml_node element = lf_findParameter(parameters, p.key());
        if (element) {
            p.setFromText(element.attribute("value").as_string());
        } else {
            p.resetToDefault();
            lf_appendParameter(parameters, p.key(), p.defaultText());
        }
        if ((p.kind() == ParameterKind::Int || p.kind() == ParameterKind::IntChoice) && !stopRequested)
            logLine("{}={}", p.key(), p.valueText());
        updateControl(p);
    };
    for (auto* p : booleans_) readOne(*p);
    for (auto* p : numbers_) readOne(*p);
    for (auto* p : texts_) readOne(*p);

    lf_saveDocument(doc, file_);
    return false;
}

bool Parameters::writeAll(bool reset) {
    if (reset) PROGRAM_VERSION.set(gf_versionText());
    pugi::xml_document doc;
    lf_ensureDeclaration(doc);
    pugi::xml_node parameters = doc.append_child("root").append_child("parameters");
    for (const auto* p : all_) lf_appendParameter(parameters, p->key(), p->valueText());
    const bool saved = lf_saveDocument(doc, file_);
    for (const auto* p : all_) updateControl(*p);
    return saved;
}

bool Parameters::save(const Parameter& parameter) {
    pugi::xml_document doc;
    pugi::xml_node parameters;
    if (doc.load_file(file_.c_str(), pugi::parse_default, pugi::encoding_auto)) {
        pugi::xml_node root = doc.child("root");
        pugi::xml_node holder = root ? root : static_cast<pugi::xml_node>(doc);
        parameters = holder.child("parameters");
        if (!parameters) parameters = holder.append_child("parameters");
    } else {
        doc.reset();
        parameters = doc.append_child("root").append_child("parameters");
    }
    if (pugi::xml_node element = lf_findParameter(parameters, parameter.key())) {
        element.attribute("value") ? element.attribute("value").set_value(parameter.valueText().c_str())
                                   : element.append_attribute("value").set_value(parameter.valueText().c_str());
    } else if (!lf_appendParameter(parameters, parameter.key(), parameter.valueText())) {
        return false;
    }
    return lf_saveDocument(doc, file_);
}

std::optional<std::int32_t> Parameters::readInt(const pugi::xml_node& parameters, const std::string& key) {
    const pugi::xml_node element = lf_findParameter(parameters, key);
    if (!element) return std::nullopt;
    IntParameter scratch(key, 0, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    scratch.setFromText(element.attribute("value").as_string());
    return scratch.value();
}

std::optional<std::int32_t> Parameters::reread(IntParameter& parameter) {
    pugi::xml_document doc;
    if (!doc.load_file(file_.c_str(), pugi::parse_default, pugi::encoding_auto)) return std::nullopt;
    const auto value = readInt(lf_parametersElement(doc), parameter.key());
    if (!value) return std::nullopt;
    parameter.set(*value);
    updateControl(parameter);
    return parameter.value();
}

void Parameters::afterReading() {
    msfs2020_.store(SIM_CHOICE.value() == "MSFS 2020");
    // The share of stands is fixed in the window; only CUSTOM_PARKING_PERCENTAGE changes it.
    parking_percentage.set(30);
    updateControl(parking_percentage);
    updateControl(MAX_FIT_FL);
}

int Parameters::parkingPercentage() const {
    const int custom = CUSTOM_PARKING_PERCENTAGE.value();
    return custom >= 0 ? custom : parking_percentage.value();
}

Parameters& gf_params() {
    static Parameters parameters;
    return parameters;
}

} // namespace vorl
