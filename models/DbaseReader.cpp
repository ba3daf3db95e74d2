#include "models/DbaseReader.h"

#include <algorithm>

#include <pugixml.hpp>

#include "common/Log.h"
#include "models/StreamCrypt.h"
#include "models/XmlSections.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

constexpr double kHalfSpanNmPerMetre = 0.5 * 0.0005399568034557236;

struct Reader {
    const pugi::xml_document& doc;
    std::string fileName;
    ModelDatabase& db;

    std::vector<std::string> section(std::string_view name, std::string_view element, std::string_view attribute) const {
        return gf_readSection(doc, fileName, name, element, attribute);
    }

    void typeSet(TypeSet& set, std::string_view name, std::string_view element) const {
        for (auto& type : section(name, element, "types")) set.types.insert(std::move(type));
    }
    void indexTypes(TypeSet& set) const {
        for (const auto& type : set.types) set.indexes.insert(db.typeIndexOf(type));
    }

    std::vector<std::vector<std::string>> groups(std::string_view name) const {
        std::vector<std::vector<std::string>> result;
        for (const auto& list : section(name, "similar", "types")) result.push_back(gf_splitList(list));
        return result;
    }

    std::vector<std::string> addonAirports(std::string_view name, std::string_view element) const {
        std::vector<std::string> airports;
        for (const auto& list : section(name, element, "arpts"))
            for (auto& airport : gf_splitList(list)) airports.push_back(std::move(airport));
        return airports;
    }

    std::map<std::string, std::vector<std::string>> thirdParties(std::string_view name, std::string_view element) const {
        std::map<std::string, std::vector<std::string>> result;
        const std::string elementName(element); // the children range keeps a pointer to the name
        for (const pugi::xml_node node : gf_xmlSection(doc, fileName, name).children(elementName.c_str())) {
            auto& airports = result[gf_requiredAttribute(node, name, "pub")];
            for (auto& airport : gf_splitList(gf_requiredAttribute(node, name, "arpts"))) airports.push_back(std::move(airport));
        }
        return result;
    }

    void wingspans() const {
        for (const pugi::xml_node node : gf_xmlSection(doc, fileName, "wingspans").children("wingspan")) {
            const std::string type = gf_requiredAttribute(node, "wingspans", "type");
            const double metres = node.attribute("meters").as_double();
            if (!db.isKnownType(type)) {
                logLine("wingspan model {} is not valid, skipped", type);
                continue;
            }
            const double halfSpan = metres * kHalfSpanNmPerMetre;
            if (db.wingspans.emplace(type, halfSpan).second)
                db.largestHalfWingspanNm = std::max(db.largestHalfWingspanNm, halfSpan);
        }
    }

    void fixes() const {
        for (const pugi::xml_node node : gf_xmlSection(doc, fileName, "fixes").children("fx")) {
            const std::string wrong = gf_requiredAttribute(node, "fixes", "wro");
            const std::string correct = gf_requiredAttribute(node, "fixes", "cor");
            if (db.typeFixes.count(wrong) != 0) {
                logLine("wrong part of fix: '{}', already exists, skipped", wrong);
                continue;
            }
            if (!db.isKnownType(correct)) logLine("wrong fix {} -> {}, the latter is not valid", wrong, correct);
            db.typeFixes.emplace(wrong, correct);
        }
        logLine("{:5} fixes", db.typeFixes.size());
    }

    void registrations() const {
        for (const pugi::xml_node node : gf_xmlSection(doc, fileName, "dbase").children("d")) {
            ModelCode code;
            code.airlineIndex = db.airlineIndexOf(node.attribute("a").as_string());
            code.operatorIndex = db.airlineIndexOf(node.attribute("o").as_string());
            code.typeIndex = db.typeIndexOf(node.attribute("m").as_string());
            code.cargo = node.attribute("c").as_int() != 0 ? 1 : 0;
            code.valid = 1;
            db.registrations.push_back({gf_requiredAttribute(node, "dbase", "r"), code});
        }
        std::sort(db.registrations.begin(), db.registrations.end(),
                  [](const RegistrationRecord& a, const RegistrationRecord& b) { return a.registration < b.registration; });
        logLine("{:5} dbase records read", db.registrations.size());
    }

    void all() const {
        for (auto& type : section("aircrafts", "aircraft", "types")) db.aircraftTypes.insert(std::move(type));
        logLine("{:5} ICAO model codes", db.aircraftTypes.size());

        typeSet(db.cargoTypes, "cargo_types", "cargo_type");
        db.typeRegistry.add("");
        for (const auto& type : db.aircraftTypes) db.typeRegistry.add(type);
        db.typeRegistry.close();
        indexTypes(db.cargoTypes);

        typeSet(db.heavy, "heavy", "hvy");
        typeSet(db.large, "large", "lar");
        typeSet(db.businessJet, "buzjet", "bzj");
        typeSet(db.highPerformance, "high_performance", "hpf");
        typeSet(db.rotorcraft, "rotorcraft", "rot");
        for (TypeSet* set : {&db.heavy, &db.large, &db.businessJet, &db.highPerformance, &db.rotorcraft}) indexTypes(*set);

        db.similarGroups = groups("similar_types");
        db.indexSimilarGroups();
        logLine("{:5} similar model definitions", db.similarGroups.size());
        db.prefixGroups = groups("prefixes");
        logLine("{:5} prefixes", db.prefixGroups.size());

        for (auto& code : section("ICAO_airlines", "codes", "ICAO")) db.airlines.insert(std::move(code));
        logLine("{:5} ICAO airline codes", db.airlines.size());
        for (auto& code : section("cargo_operators", "codes", "ICAO")) db.cargoOperators.insert(std::move(code));
        logLine("{:5} cargo operators", db.cargoOperators.size());
        db.airlineRegistry.add("");
        for (const auto& code : db.airlines) db.airlineRegistry.add(code);
        for (const auto& code : db.cargoOperators) db.cargoOperatorIndexes.insert(db.airlineRegistry.add(code));

        db.publishers = section("publishers", "pub", "names");
        wingspans();
        fixes();
        db.simAddons20 = addonAirports("simaddons20", "simaddon20");
        db.simAddons24 = addonAirports("simaddons24", "simaddon24");
        logLine("{} simaddons24", db.simAddons24.size());
        db.thirdParties20 = thirdParties("thirdparties20", "thirdpartie20");
        db.thirdParties24 = thirdParties("thirdparties24", "thirdpartie24");
        registrations();
    }
};

} // namespace

void gf_readDbaseXml(const fs::path& xmlPath, ModelDatabase& database) {
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_file(xmlPath.c_str());
    if (!result) {
        logImportant("'{}' not read because of {}", xmlPath.string(), result.description());
        return;
    }
    Reader{doc, xmlPath.filename().string(), database}.all();
}

void gf_readModelDatabase(const fs::path& inputFolder, ModelDatabase& database) {
    const fs::path encrypted = inputFolder / "dbase.enc";
    const fs::path xml = inputFolder / "dbase.xml";
    std::error_code ec;
    if (!fs::exists(encrypted, ec)) {
        logLine("{} not available", encrypted.string());
        return;
    }
    if (!gf_streamDecrypt(encrypted, xml)) {
        logLine("{} stream decrypt failed", encrypted.string());
        return;
    }
    try {
        gf_readDbaseXml(xml, database);
    } catch (...) {
        gf_removeTemporaryFile(xml);
        throw;
    }
    gf_removeTemporaryFile(xml);
}

} // namespace vorl
