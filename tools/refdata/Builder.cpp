#include "tools/refdata/Builder.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <map>
#include <stdexcept>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "common/SafeWrite.h"
#include "tools/refdata/OpenSources.h"

namespace fs = std::filesystem;

namespace vorl::refdata {
namespace {

std::string lf_join(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ",") + item;
    return text;
}

// Families in designator order, each with its designators in order.
std::map<std::string, std::vector<const TypeRow*>> lf_families(const TypeTable& table) {
    std::map<std::string, std::vector<const TypeRow*>> families;
    for (const TypeRow& row : table.types) families[row.family].push_back(&row);
    return families;
}

void lf_write(const fs::path& file, const std::string& content) {
    std::string error;
    if (!gf_writeFileAtomically(file, content, &error))
        throw std::runtime_error(fmt::format("cannot write {}: {}", file.string(), error));
}

void lf_save(const pugi::xml_document& doc, const fs::path& file) {
    // One element a line without indentation: small files whose changes read well in a diff.
    std::ostringstream text;
    doc.save(text, "", pugi::format_indent);
    lf_write(file, text.str());
}

pugi::xml_node lf_section(pugi::xml_node root, const char* name) { return root.append_child(name); }

void lf_list(pugi::xml_node root, const char* section, const char* element, const char* attribute,
             const std::vector<std::string>& values) {
    pugi::xml_node node = lf_section(root, section);
    for (const std::string& value : values) node.append_child(element).append_attribute(attribute) = value.c_str();
}

std::vector<std::string> lf_typesWhere(const TypeTable& table, const std::function<bool(const TypeRow&)>& pick) {
    std::vector<std::string> types;
    for (const TypeRow& row : table.types)
        if (pick(row)) types.push_back(row.designator);
    return types;
}

struct DbaseCounts {
    std::size_t types = 0, wingspans = 0, airlines = 0, registrations = 0;
};

DbaseCounts lf_writeDbase(const TypeTable& table, const std::set<std::string>& sourceAirlines,
                          const FleetSummary& fleets, const fs::path& file) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("root");
    const auto category = [&](const char* name) {
        return lf_typesWhere(table, [name](const TypeRow& row) { return row.category == name; });
    };
    lf_list(root, "aircrafts", "aircraft", "types", lf_typesWhere(table, [](const TypeRow&) { return true; }));
    lf_list(root, "cargo_types", "cargo_type", "types", lf_typesWhere(table, [](const TypeRow& r) { return r.cargo; }));
    lf_list(root, "heavy", "hvy", "types", category("heavy"));
    lf_list(root, "large", "lar", "types", category("large"));
    lf_list(root, "buzjet", "bzj", "types", category("buzjet"));
    lf_list(root, "high_performance", "hpf", "types", category("highperf"));
    lf_list(root, "rotorcraft", "rot", "types", category("rotor"));
    std::vector<std::string> similar, prefixes;
    for (const auto& group : gf_similarGroups(table)) similar.push_back(lf_join(group));
    for (const auto& group : gf_prefixGroups(table)) prefixes.push_back(lf_join(group));
    lf_list(root, "similar_types", "similar", "types", similar);
    lf_list(root, "prefixes", "similar", "types", prefixes);

    std::set<std::string> airlines = sourceAirlines;
    for (const SourceRegistration& r : fleets.registrations)
        if (!r.airline.empty()) airlines.insert(r.airline);
    lf_list(root, "ICAO_airlines", "codes", "ICAO", {airlines.begin(), airlines.end()});
    lf_list(root, "cargo_operators", "codes", "ICAO", {table.cargoOperators.begin(), table.cargoOperators.end()});
    lf_list(root, "publishers", "pub", "names", table.publishers);

    DbaseCounts counts{table.types.size(), 0, airlines.size(), fleets.registrations.size()};
    pugi::xml_node spans = lf_section(root, "wingspans");
    for (const TypeRow& row : table.types) {
        if (!row.spanM) continue;
        pugi::xml_node span = spans.append_child("wingspan");
        span.append_attribute("type") = row.designator.c_str();
        span.append_attribute("meters") = fmt::format("{:.1f}", *row.spanM).c_str();
        ++counts.wingspans;
    }
    pugi::xml_node fixes = lf_section(root, "fixes");
    for (const auto& [wrong, correct] : table.fixes) {
        pugi::xml_node fix = fixes.append_child("fx");
        fix.append_attribute("wro") = wrong.c_str();
        fix.append_attribute("cor") = correct.c_str();
    }
    // No open list of the simulators' own and third-party add-on airports exists: the sections
    // are present and empty, the add-on scan then relies on what it finds installed.
    for (const char* section : {"simaddons20", "simaddons24", "thirdparties20", "thirdparties24"}) lf_section(root, section);

    pugi::xml_node dbase = lf_section(root, "dbase");
    for (const SourceRegistration& r : fleets.registrations) {
        pugi::xml_node d = dbase.append_child("d");
        d.append_attribute("r") = r.registration.c_str();
        d.append_attribute("a") = r.airline.c_str();
        d.append_attribute("o") = r.airline.c_str();
        d.append_attribute("m") = r.type.c_str();
        const TypeRow* row = table.find(r.type);
        const bool cargo = r.freighter || (row != nullptr && row->cargo) || table.cargoOperators.count(r.airline) != 0;
        d.append_attribute("c") = cargo ? "1" : "0";
    }
    lf_save(doc, file);
    return counts;
}

// The stand classes of the airports that have an archived airport file ("icao,stand_class"
// lines written by the stands command); every other airport is of class 0.
std::map<std::string, std::string> lf_readStandClasses(const fs::path& file) {
    std::map<std::string, std::string> classes;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const auto comma = line.find(',');
        if (comma == std::string::npos || line.rfind("icao,", 0) == 0) continue;
        std::string value = line.substr(comma + 1);
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
        classes[line.substr(0, comma)] = value;
    }
    return classes;
}

void lf_writeAirports(const std::vector<SourceAirport>& airports, const fs::path& xmlFile, const fs::path& icaoFile) {
    const auto standClasses = lf_readStandClasses(xmlFile.parent_path() / "stand-classes.csv");
    pugi::xml_document doc;
    pugi::xml_node list = doc.append_child("root").append_child("airports");
    for (const SourceAirport& a : airports) {
        pugi::xml_node ap = list.append_child("ap");
        ap.append_attribute("c") = a.icao.c_str();
        if (!a.iata.empty()) ap.append_attribute("i") = a.iata.c_str();
        ap.append_attribute("la") = fmt::format("{:.6f}", a.latitude).c_str();
        ap.append_attribute("lo") = fmt::format("{:.6f}", a.longitude).c_str();
        ap.append_attribute("a") = fmt::format("{:.0f}", a.elevationFt).c_str();
        const auto standClass = standClasses.find(a.icao);
        ap.append_attribute("s") = standClass == standClasses.end() ? "0" : standClass->second.c_str();
    }
    lf_save(doc, xmlFile);
    std::string codes;
    for (const SourceAirport& a : airports) codes += a.icao + "\n";
    lf_write(icaoFile, codes);
}

void lf_writeRegcodes(const fs::path& file) {
    // Registration codes tie livery titles to registrations; no open source names livery titles,
    // so the shipped file starts empty and users add their own in my_regcodes.
    pugi::xml_document doc;
    doc.append_child("root").append_child("aig");
    lf_save(doc, file);
}

} // namespace

std::vector<std::vector<std::string>> gf_similarGroups(const TypeTable& table) {
    std::vector<std::vector<std::string>> groups;
    for (const auto& [family, rows] : lf_families(table)) {
        std::map<std::string, std::vector<std::string>> byCategory;
        for (const TypeRow* row : rows) byCategory[row->category].push_back(row->designator);
        for (auto& [category, types] : byCategory)
            if (types.size() >= 2) groups.push_back(std::move(types));
    }
    std::sort(groups.begin(), groups.end());
    return groups;
}

std::vector<std::vector<std::string>> gf_prefixGroups(const TypeTable& table) {
    std::vector<std::vector<std::string>> groups;
    for (const auto& [family, rows] : lf_families(table)) {
        if (rows.size() < 2) continue;
        std::string prefix = rows.front()->designator;
        for (const TypeRow* row : rows) {
            std::size_t common = 0;
            while (common < prefix.size() && common < row->designator.size() && prefix[common] == row->designator[common]) ++common;
            prefix.resize(common);
        }
        if (prefix.size() < 2) continue;
        std::vector<std::string> group{prefix};
        for (const TypeRow* row : rows) group.push_back(row->designator);
        groups.push_back(std::move(group));
    }
    std::sort(groups.begin(), groups.end());
    return groups;
}

void gf_buildReferenceData(const fs::path& sources, const fs::path& tables, const fs::path& out) {
    const TypeTable table = gf_readTypeTable(tables);
    const fs::path npm = sources / "npm";
    const FleetSummary fleets =
        gf_readSourceFleets(sources / "deb/flightgear-data-ai/usr/share/games/flightgear/AI/Traffic", table);
    const std::vector<SourceAirport> airports = gf_readSourceAirports(sources / "apt-airports.dat", npm);
    fs::create_directories(out);
    const DbaseCounts counts = lf_writeDbase(table, gf_readSourceAirlines(npm), fleets, out / "dbase.xml");
    lf_writeAirports(airports, out / "airports.xml", out / "ICAO_airports.txt");
    lf_writeRegcodes(out / "AIG-regcodes.xml");

    fmt::print("{:5} types, {} with wingspans, {} fixes, {} similar groups\n", counts.types, counts.wingspans,
               table.fixes.size(), gf_similarGroups(table).size());
    fmt::print("{:5} airlines, {} cargo operators\n", counts.airlines, table.cargoOperators.size());
    fmt::print("{:5} registrations; fleet types not in the type table:", counts.registrations);
    for (const auto& [spelling, count] : fleets.unknownTypes) fmt::print(" {} ({})", spelling, count);
    const auto withIata = std::count_if(airports.begin(), airports.end(), [](const SourceAirport& a) { return !a.iata.empty(); });
    fmt::print("\n{:5} airports, {} with IATA codes\n", airports.size(), withIata);
}

} // namespace vorl::refdata
