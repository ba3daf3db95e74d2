#pragma once
#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Parameter.h"

namespace pugi {
class xml_node;
}

namespace vorl {

// Every order of every non-empty subset of the four AI package names, longest orders first.
std::vector<std::string> gf_aiPackageOrders();

// The settings store: a fixed registry of all settings, read from and saved to parameters.xml.
class Parameters {
public:
    Parameters();
    Parameters(const Parameters&) = delete;
    Parameters& operator=(const Parameters&) = delete;

    // Where parameters.xml lives (the user folder); every read and save uses it.
    void setFile(std::filesystem::path file) { file_ = std::move(file); }
    const std::filesystem::path& file() const { return file_; }

    // Reads every setting; missing ones are appended with their defaults and the file saved.
    // True when this is a first run (no file, or no "parameters" element in it).
    bool readAll(bool stopRequested = false);
    // Writes a new file with every setting; `reset` first stamps the running version.
    bool writeAll(bool reset);
    // Writes one setting's current value into the file, keeping everything else.
    bool save(const Parameter& parameter);
    // Re-reads one integer from the file into the setting; nothing when absent or unreadable.
    std::optional<std::int32_t> reread(IntParameter& parameter);
    // Work done after every read: derived flags and the lists the window shows.
    void afterReading();

    // Integer value of one key in a loaded "parameters" element.
    static std::optional<std::int32_t> readInt(const pugi::xml_node& parameters, const std::string& key);

    // The front-end's hook by which a bound control follows its setting.
    void setControlHook(std::function<void(const Parameter&)> hook) { controlHook_ = std::move(hook); }
    void updateControl(const Parameter& parameter) const;

    Parameter* find(std::string_view key) const;
    const std::vector<Parameter*>& all() const { return all_; }
    const std::vector<BoolParameter*>& booleans() const { return booleans_; }
    const std::vector<Parameter*>& numbers() const { return numbers_; }
    const std::vector<TextParameter*>& texts() const { return texts_; }

    // The simulator in use, derived from SIM_CHOICE at every read.
    bool isMsfs2020() const { return msfs2020_.load(); }
    // The share of stands to fill: CUSTOM_PARKING_PERCENTAGE when set, else parking_percentage.
    int parkingPercentage() const;

    IntParameter MAIN_WINDOW_X;
    IntParameter MAIN_WINDOW_Y;
    TextEditParameter ALL_INSTALL_PATH;
    TextChoiceParameter SIM_CHOICE;
    TextParameter MSFS_INSTALL_PATH;
    TextParameter MSFS_2024_INSTALL_PATH;
    TextChoiceParameter AI_PACKAGE_SELECTOR;
    BoolParameter ALWAYS_ON_TOP;
    BoolParameter SCAN_LIVERIES;
    BoolParameter LIG_AUTOMATIC;
    BoolParameter LIG_PRIORITIZE;
    BoolParameter NAV_LIGHTS_WHILE_PARKED;
    BoolParameter OBJECTID_LIST;
    BoolParameter SCAN_AIRPORTS;
    BoolParameter GUID_CHANGES;
    IntChoiceParameter MATCHING_DEPTH;
    BoolParameter LIGHT_AIRCRAFT;
    BoolParameter HELICOPTERS;
    BoolParameter HIGH_PERF_AIRCRAFT;
    IntChoiceParameter RANGE;
    BoolParameter AUTO_RANGE;
    IntChoiceParameter AR_ABOVE_HEIGHT;
    BoolParameter AIRBORNE_ONLY;
    IntChoiceParameter TIME_SHIFT_DAYS;
    IntChoiceParameter TIME_SHIFT_HOURS;
    IntChoiceParameter TIME_SHIFT_MINS;
    BoolParameter SIM_TIME;
    BoolParameter KEEP_SIM_TIME_PAR;
    TextEditParameter BLOCK_CALLSIGN;
    TextChoiceParameter CALLSIGN_2_OBJECTID;
    BoolParameter COLLISION_USER_AIR;
    BoolParameter COLLISION_USER_GND;
    BoolParameter COLLISION_LIVE_PARKED_GND;
    IntChoiceParameter MAX_LIVE_SEL;
    IntChoiceParameter MAX_PARK_SEL;
    BoolParameter STRAIGHT_PBS_ONLY;
    TextEditParameter DESTINATION;
    IntChoiceParameter AIRP_RANGE;
    IntChoiceParameter AIRP_HEIGHT;
    IntChoiceParameter parking_percentage;
    BoolParameter INITIAL_LOAD_ONLY;
    BoolParameter PARK_SOFT;
    BoolParameter WEEK;
    FloatChoiceParameter MAX_FIT_FL;
    BoolParameter RT_PARKTRAFFIC_ONLY;
    IntParameter MAX_FIT;
    IntParameter CUSTOM_PARKING_PERCENTAGE;
    IntParameter HOLDING_THRESHOLD_METERS;
    IntParameter MAX_HOLDING_MINUTES;
    IntParameter LAST_EPOCH_TIME;
    std::array<TextParameter, 10> lfolder;
    TextParameter PROGRAM_VERSION;
    TextParameter DBASE_VERSION;
    TextParameter AIG_VERSION;
    TextParameter AIRPORTS_VERSION;
    TextParameter LIV_SCAN_VERSION;
    TextParameter ADDONS_SCAN_VERSION;
    TextParameter MYSIMADDON24_VERSION;
    // Where the RealTraffic API and the maker's download server are, and the user's access key.
    // The key stays in the user's own settings file and is never written to the log.
    TextParameter RT_API_URL;
    TextParameter RT_LICENSE;
    TextParameter DOWNLOAD_SERVER_URL;

private:
    void registerAll();
    void add(BoolParameter& p);
    void addNumber(Parameter& p);
    void add(TextParameter& p);

    std::filesystem::path file_;
    std::vector<Parameter*> all_;
    std::vector<BoolParameter*> booleans_;
    std::vector<Parameter*> numbers_;
    std::vector<TextParameter*> texts_;
    std::function<void(const Parameter&)> controlHook_;
    std::atomic<bool> msfs2020_{true};
};

// The process-wide settings store; complete once it is first used.
Parameters& gf_params();

} // namespace vorl
