#include "airports/ParkAirportList.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "common/Log.h"
#include "common/SafeWrite.h"

namespace vorl {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kManyAirports = 3000;

std::string lf_trim(std::string text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::vector<std::string> lf_fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ',')) fields.push_back(lf_trim(field));
    if (!line.empty() && line.back() == ',') fields.emplace_back();
    return fields;
}

std::string lf_line(const ParkAirportEntry& entry) {
    return entry.reservedStand.empty() ? entry.icao.str() : entry.icao.str() + "," + entry.reservedStand;
}

} // namespace

ParkAirportList::ParkAirportList(fs::path file, AirportLookup lookup, StatusSink status)
    : file_(std::move(file)), lookup_(std::move(lookup)), status_(std::move(status)) {}

bool ParkAirportList::read() {
    entries_.clear();
    const std::string name = file_.filename().string();
    try {
        std::ifstream in(file_);
        if (!in) {
            logLine("{} not found", file_.generic_string());
            return true;
        }
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            line = lf_trim(line);
            if (line.empty()) continue;
            const auto fields = lf_fields(line);
            if (fields.size() > 2 || !FixedCode<4>::isValid(fields[0])) {
                logLine("{}:{} wrong syntax, skipped", name, number);
                continue;
            }
            const FixedCode<4> icao(fields[0]);
            if (find(icao.view()) != nullptr) {
                logLine("{}:{} double, skipped", name, number);
                continue;
            }
            const auto position = lookup_ ? lookup_(icao.view()) : std::nullopt;
            if (!position) {
                if (status_) status_(fmt::format("airport {} is unknown", icao.view()));
                continue;
            }
            entries_.push_back({icao, *position, fields.size() == 2 ? fields[1] : std::string{}});
        }
        logLine("\n{:5} park airport{} read from '{}'", entries_.size(), entries_.size() == 1 ? "" : "s", file_.generic_string());
        if (entries_.size() > kManyAirports && status_)
            status_(fmt::format("Warning: There are a lot of airports ({}), that will cost VORL much cpu time and may cause "
                                "stutters",
                                entries_.size()));
        return true;
    } catch (const std::exception& e) {
        logLine("{}: {}", "lf_readMyParkAirports", e.what());
        return false;
    }
}

const ParkAirportEntry* ParkAirportList::find(std::string_view icao) const {
    for (const auto& entry : entries_)
        if (entry.icao.view() == icao) return &entry;
    return nullptr;
}

void ParkAirportList::remember(std::string_view icao, const std::string& stand) {
    if (!FixedCode<4>::isValid(icao)) return;
    const FixedCode<4> code(icao);
    const std::string name = file_.filename().string();
    std::error_code ec;
    const bool existed = fs::exists(file_, ec);
    int lineNumber = 0;
    auto it = entries_.begin();
    for (; it != entries_.end(); ++it, ++lineNumber)
        if (it->icao == code) break;
    ParkAirportEntry entry{code, {}, stand};
    if (it != entries_.end()) {
        entry.position = it->position;
        if (it->reservedStand == stand && it == entries_.begin()) return;
        const bool onlyStand = it->reservedStand != stand;
        entries_.erase(it);
        if (onlyStand) logLine("{}:{} updated stand", name, lineNumber + 1);
    } else {
        if (const auto position = lookup_ ? lookup_(icao) : std::nullopt) entry.position = *position;
        if (existed) logLine("{}:{} new entry", name, 1);
    }
    entries_.insert(entries_.begin(), entry);
    std::string text;
    for (const auto& e : entries_) text += lf_line(e) + "\n";
    fs::create_directories(file_.parent_path(), ec);
    if (!gf_writeFileAtomically(file_, text)) {
        logLine("Failed to write {}", file_.generic_string());
        return;
    }
    if (!existed) logLine("{} created with {}", name, lf_line(entry));
}

} // namespace vorl
