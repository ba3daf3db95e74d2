#pragma once
#include <cstddef>
#include <filesystem>
#include <istream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace vorl::standin {

// The query box of a traffic request, degrees.
struct Box {
    double top = 0.0;
    double bottom = 0.0;
    double left = 0.0;
    double right = 0.0;
    bool contains(double lat, double lon) const { return lat <= top && lat >= bottom && lon >= left && lon <= right; }
};

struct WeatherStation {
    std::string icao;
    double lat = 0.0;
    double lon = 0.0;
    // (scenario time, QNH hPa), sorted by time
    std::vector<std::pair<double, int>> qnh;
    std::string metar;
    int qnhAt(double t) const;
};

// Recorded traffic around one airport, replayed by the stand-in (format in README.md).
class Scenario {
public:
    static Scenario load(const std::filesystem::path& path);
    static Scenario parse(std::istream& lines);

    // Adds one position of an aircraft; `record` is its 48-element array (element 10, the time
    // stamp, is replaced when served). Samples of one aircraft must come in time order.
    void addSample(const std::string& hex, double t, const nlohmann::json& record);
    // A parked aircraft whose last move lies `ageSeconds` before the time of the query.
    void addParked(const std::string& hex, double ageSeconds, const nlohmann::json& record);
    void addWeather(const std::string& icao, double lat, double lon, double t, int qnh, const std::string& metar);
    void setDuration(double seconds) { duration_ = seconds; }

    double duration() const { return duration_; }
    std::size_t aircraftCount() const { return tracks_.size(); }
    std::size_t sampleCount() const;
    const std::vector<WeatherStation>& stations() const { return stations_; }

    // Appends `"hex":[...],` members for every aircraft inside `box` that has a sample no older
    // than the stale limit at scenario time `t`; `epochAtT` is the Unix time that `t` stands
    // for. `extraElements` appends that many trailing elements to each record. Returns the count.
    std::size_t appendLive(std::string& out, double t, double epochAtT, const Box& box, int extraElements) const;
    std::size_t appendParked(std::string& out, double epochNow, const Box& box) const;

    // How long an aircraft stays visible after its last sample.
    static constexpr double kStaleSeconds = 15.0;

private:
    struct Sample {
        double t;
        double lat;
        double lon;
        std::string head; // elements 0..9, dumped, comma separated
        std::string tail; // elements 11..47
    };
    struct Track {
        std::string hex;
        std::vector<Sample> samples;
    };
    struct Parked {
        std::string hex;
        double age;
        double lat;
        double lon;
        std::string head; // elements 0..4
        std::string tail; // elements 6..
        double fraction;  // of the time stamp, kept when served
    };

    std::vector<Track> tracks_;
    std::vector<Parked> parked_;
    std::vector<WeatherStation> stations_;
    double duration_ = 0.0;
};

} // namespace vorl::standin
