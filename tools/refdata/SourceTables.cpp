#include "tools/refdata/SourceTables.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>

#include <fmt/format.h>

#include <cctype>

namespace fs = std::filesystem;

namespace vorl::refdata {
namespace {

const std::set<std::string> kCategories{"light", "buzjet", "large", "heavy", "highperf", "rotor"};

std::string lf_trim(std::string text) {
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    text.erase(text.begin(), std::find_if(text.begin(), text.end(), notSpace));
    text.erase(std::find_if(text.rbegin(), text.rend(), notSpace).base(), text.end());
    return text;
}

// Calls `row` with the fields of every line that is not empty or a "#" comment.
void lf_forEachRow(const fs::path& file, std::size_t minFields,
                   const std::function<void(const std::vector<std::string>&, const std::string& where)>& row) {
    std::ifstream in(file);
    if (!in) throw std::runtime_error(fmt::format("cannot read {}", file.string()));
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = lf_trim(line);
        if (line.empty() || line.front() == '#') continue;
        const std::vector<std::string> fields = gf_csvFields(line);
        const std::string where = fmt::format("{}:{}", file.filename().string(), number);
        if (fields.size() < minFields) throw std::runtime_error(fmt::format("{}: expected {} fields", where, minFields));
        row(fields, where);
    }
}

} // namespace

std::vector<std::string> gf_csvFields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, ',')) fields.push_back(lf_trim(field));
    if (!line.empty() && line.back() == ',') fields.emplace_back();
    return fields;
}

const TypeRow* TypeTable::find(const std::string& designator) const {
    const auto it = std::lower_bound(types.begin(), types.end(), designator,
                                     [](const TypeRow& row, const std::string& key) { return row.designator < key; });
    return it != types.end() && it->designator == designator ? &*it : nullptr;
}

std::optional<std::string> TypeTable::resolve(const std::string& spelling) const {
    if (find(spelling) != nullptr) return spelling;
    const auto fix = fixes.find(spelling);
    if (fix != fixes.end()) return fix->second;
    return std::nullopt;
}

TypeTable gf_readTypeTable(const fs::path& folder) {
    TypeTable table;
    lf_forEachRow(folder / "types.csv", 5, [&](const std::vector<std::string>& f, const std::string& where) {
        TypeRow row{f[0], f[1], std::nullopt, f[3], f[4] == "1", {}};
        if (!f[2].empty()) row.spanM = std::stod(f[2]);
        if (f.size() > 5) {
            std::stringstream aliases(f[5]);
            for (std::string alias; aliases >> alias;) row.aliases.push_back(alias);
        }
        if (row.designator.empty() || row.designator.size() > 4 || kCategories.count(row.category) == 0)
            throw std::runtime_error(fmt::format("{}: bad designator or category", where));
        table.types.push_back(std::move(row));
    });
    std::sort(table.types.begin(), table.types.end(),
              [](const TypeRow& a, const TypeRow& b) { return a.designator < b.designator; });
    const auto duplicate = std::adjacent_find(table.types.begin(), table.types.end(),
                                              [](const TypeRow& a, const TypeRow& b) { return a.designator == b.designator; });
    if (duplicate != table.types.end())
        throw std::runtime_error(fmt::format("types.csv: {} listed twice", duplicate->designator));

    lf_forEachRow(folder / "fixes.csv", 2, [&](const std::vector<std::string>& f, const std::string&) {
        table.fixes.emplace(f[0], f[1]);
    });
    lf_forEachRow(folder / "freighters.csv", 2, [&](const std::vector<std::string>& f, const std::string&) {
        table.fixes.emplace(f[0], f[1]);
        table.freighterAliases.insert(f[0]);
    });
    // An alias becomes a fix unless it is itself a designator (then the designator wins).
    for (const TypeRow& row : table.types)
        for (const std::string& alias : row.aliases)
            if (table.find(alias) == nullptr) table.fixes.emplace(alias, row.designator);
    for (const auto& [wrong, correct] : table.fixes)
        if (table.find(correct) == nullptr)
            throw std::runtime_error(fmt::format("fix {} -> {}: the correct type is not in types.csv", wrong, correct));

    lf_forEachRow(folder / "cargo_operators.csv", 1, [&](const std::vector<std::string>& f, const std::string&) {
        table.cargoOperators.insert(f[0]);
    });
    lf_forEachRow(folder / "publishers.csv", 1, [&](const std::vector<std::string>& f, const std::string&) {
        table.publishers.push_back(f[0]);
    });
    return table;
}

} // namespace vorl::refdata
