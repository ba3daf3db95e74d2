#include "models/Regcodes.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <unordered_set>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "common/Charset.h"
#include "common/Log.h"
#include "common/SafeWrite.h"
#include "common/TextCase.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

constexpr std::size_t kMinRegcodeLength = 3;
constexpr std::size_t kMaxRegcodeLength = 10;

const char* lf_liveryWord(std::size_t n) { return n == 1 ? "livery" : "liveries"; }
void lf_writeReport(const fs::path& path, const std::vector<std::string>& lines) {
    std::error_code ec;
    fs::remove(path, ec);
    if (lines.empty()) return;
    fs::create_directories(path.parent_path(), ec);
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    std::string error;
    if (!gf_writeFileAtomically(path, text, &error)) logLine("Error writing file {}: {}", path.string(), error);
}

} // namespace

std::vector<RegcodeEntry> gf_readAigRegcodes(const fs::path& path) {
    pugi::xml_document doc;
    if (!doc.load_file(path.c_str())) throw std::runtime_error(fmt::format("Failed to load {}", path.string()));
    const pugi::xml_node aig = doc.child("root").child("aig");
    if (!aig) throw std::runtime_error("No <aig> node found in XML.");
    std::vector<RegcodeEntry> entries;
    for (const pugi::xml_node& l : aig.children("l")) {
        RegcodeEntry e{l.attribute("t").as_string(), l.attribute("r").as_string(), l.attribute("s").as_bool()};
        if (!entries.empty() && entries.back().title == e.title) logLine("Duplicate title '{}' (same as previous)", e.title);
        entries.push_back(std::move(e));
    }
    logLine("{:5} {} read from {}", entries.size(), lf_liveryWord(entries.size()), path.string());
    return entries;
}

std::vector<RegcodeEntry> gf_readUserRegcodes(const fs::path& folder, bool& failed) {
    std::vector<RegcodeEntry> entries;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return entries;
    try {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file() && gf_lowerCase(entry.path().extension().string()) == ".txt") files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            std::size_t read = 0;
            for (const std::string& raw : gf_readLines(file, 64)) {
                if (raw.size() < 6) continue;
                std::vector<std::string> fields;
                std::string_view rest = raw;
                for (auto semi = rest.find(';');; semi = rest.find(';')) {
                    fields.emplace_back(gf_trimmed(rest.substr(0, semi)));
                    if (semi == std::string_view::npos) break;
                    rest.remove_prefix(semi + 1);
                }
                if (fields.size() < 2 || fields.size() > 3) continue;
                const std::string& code = fields[1];
                if (code.size() < kMinRegcodeLength || code.size() > kMaxRegcodeLength) {
                    logLine("wrong regcode length '{}' in {}", code, file.string());
                    failed = true;
                    continue;
                }
                entries.push_back({fields[0], code, fields.size() == 3 && fields[2] == "#"});
                ++read;
            }
            logLine("{:5} {} read from {}", read, lf_liveryWord(read), file.string());
        }
    } catch (const std::exception& e) {
        logLine("Error reading regcode files in {}, what: {}", folder.string(), e.what());
        failed = true;
    }
    return entries;
}

std::unordered_set<std::string> gf_readDontUseTitles(const fs::path& file, const fs::path& folder, bool& failed) {
    std::unordered_set<std::string> titles;
    auto readOne = [&](const fs::path& path) {
        std::size_t read = 0;
        const auto lines = gf_readLines(path, 64);
        if (lines.size() == 1 && lines.front() == "open_failed") {
            logLine("There were errors in processing the file '{}', see the Log.txt", path.string());
            failed = true;
            return read;
        }
        for (const std::string& line : lines) {
            const std::string title(gf_trimmed(line));
            if (!title.empty() && titles.insert(title).second) ++read;
        }
        return read;
    };
    std::error_code ec;
    if (fs::is_regular_file(file, ec)) {
        const std::size_t n = readOne(file);
        logLine("{:5} don't use title{} read", n, gf_pluralS(n));
    }
    if (fs::is_directory(folder, ec)) {
        std::size_t n = 0;
        try {
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.is_regular_file() && gf_lowerCase(entry.path().extension().string()) == ".txt") n += readOne(entry.path());
        } catch (const std::exception& e) {
            logLine("There were errors in processing the regcode files in folder '{}', see the Log.txt", folder.string());
            logLine("exception: {}", e.what());
            failed = true;
        }
        logLine("{:5} don't use title{} read from files in {}", n, gf_pluralS(n), folder.string());
    }
    return titles;
}

RegistrationLiveries gf_mergeRegcodes(const RegcodeSources& input, const std::vector<LiveryData>& liveries) {
    RegistrationLiveries out;
    std::vector<std::string> report;
    std::size_t added = 0, replaced = 0, special = 0;
    std::unordered_set<std::string> titlesWithCode;
    for (const auto& source : input.sources) {
        for (const RegcodeEntry& e : source) {
            auto [it, isNew] = out.titleByRegistration.try_emplace(e.registration, e.title);
            if (isNew) {
                ++added;
            } else if (it->second != e.title) {
                report.push_back(fmt::format("   regcode {} for '{}', instead of the same for '{}'", e.registration, e.title, it->second));
                it->second = e.title;
                ++replaced;
            }
            titlesWithCode.insert(e.title);
            if (e.special) {
                out.specialRegistrations.insert(e.registration);
                out.specialTitles.insert(e.title);
                ++special;
            }
        }
    }
    std::string summary = fmt::format("{} new regcode{} added", added, gf_pluralS(added));
    if (replaced > 0) summary += fmt::format(", {} regcode{} replaced", replaced, gf_pluralS(replaced));
    if (special > 0) summary += fmt::format(", {} regcode{} defined as special", special, gf_pluralS(special));
    logLine(summary);
    lf_writeReport(input.offlineReport, report);
    logLine("Offline regcode files processed, results can be found in '{}'", input.offlineReport.string());

    // A livery that names its own registration is that aircraft's, unless a regcode file says otherwise.
    std::vector<std::string> clashes;
    for (const LiveryData& l : liveries) {
        if (l.registration.empty() || titlesWithCode.count(l.title) != 0) continue;
        auto [it, isNew] = out.titleByRegistration.try_emplace(l.registration, l.title);
        if (!isNew && it->second != l.title) {
            clashes.push_back(fmt::format("{} '{}' => already in use by '{}'", l.registration, l.title, it->second));
            logLine(clashes.back());
        }
    }
    lf_writeReport(input.clashReport, clashes);
    if (!clashes.empty()) logLine("{:5} in-line regcode clashes, see '{}'", clashes.size(), input.clashReport.string());
    logLine("{:5} special liveries", out.specialTitles.size());
    logLine("{:5} unique liveries", out.titleByRegistration.size() - out.specialRegistrations.size());
    logLine("{:5} registration codes", out.titleByRegistration.size());
    return out;
}

} // namespace vorl
