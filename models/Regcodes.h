#pragma once
#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

#include "models/LiveryCatalogue.h"

namespace vorl {

// One livery tied to one real aircraft.
struct RegcodeEntry {
    std::string title;
    std::string registration;
    bool special = false;
};

// The AIG regcode file, already decrypted: root/aig/l with t, r and s. Throws std::runtime_error
// when the file cannot be parsed or has no <aig> node.
std::vector<RegcodeEntry> gf_readAigRegcodes(const std::filesystem::path& path);

// The user's *.txt files: "title;registration[;#]" per line, "#" marking a special livery.
// `failed` is set when a file or the folder could not be read.
std::vector<RegcodeEntry> gf_readUserRegcodes(const std::filesystem::path& folder, bool& failed);

// Titles the user never wants to see: one per line, in `file` and in the *.txt files of
// `folder` (both optional). `failed` is set when one could not be read.
std::unordered_set<std::string> gf_readDontUseTitles(const std::filesystem::path& file, const std::filesystem::path& folder,
                                                     bool& failed);

struct RegcodeSources {
    std::vector<std::vector<RegcodeEntry>> sources; // in merging order: later ones win
    std::filesystem::path offlineReport;             // OfflineRegcodes.txt
    std::filesystem::path clashReport;               // the in-line clashes
};

// Merges the regcode sources and the registrations written in the liveries themselves into the
// registration → title map, writing both reports.
RegistrationLiveries gf_mergeRegcodes(const RegcodeSources& input, const std::vector<LiveryData>& liveries);

} // namespace vorl
