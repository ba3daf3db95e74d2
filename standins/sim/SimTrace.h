#pragma once
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace vorl::standin {

// The stand-in's record of what happened: every call the program made, every event and
// exception the stand-in sent, and each object's position once a second. Written as JSON
// Lines to a file and, when asked, kept in memory for tests.
class SimTrace {
public:
    SimTrace(std::optional<std::filesystem::path> file, bool keepInMemory);

    void add(nlohmann::json entry);
    std::vector<nlohmann::json> entries() const { return entries_; }
    bool enabled() const { return stream_.is_open() || keepInMemory_; }

private:
    std::ofstream stream_;
    bool keepInMemory_ = false;
    std::vector<nlohmann::json> entries_;
};

// One object's recent path for the map: a point a second, the last minute kept.
struct TrackPoint {
    double lat = 0.0;
    double lon = 0.0;
};

struct MapObject {
    std::string label;
    bool user = false;
    std::deque<TrackPoint> track;
};

// A top-down picture of the user and the AI objects with their last minute of track.
std::string gf_renderSvgMap(const std::vector<MapObject>& objects);

} // namespace vorl::standin
