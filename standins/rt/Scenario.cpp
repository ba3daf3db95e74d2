#include "standins/rt/Scenario.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <cmath>

#include <fmt/format.h>

namespace vorl::standin {

namespace {

std::string lf_join(const nlohmann::json& array, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t i = from; i < to && i < array.size(); ++i) {
        if (i > from) text += ',';
        text += array[i].dump();
    }
    return text;
}

// Scenarios may send coordinates as texts, as the service sometimes does.
double lf_coordinate(const nlohmann::json& value) {
    return value.is_string() ? std::stod(value.get<std::string>()) : value.get<double>();
}

} // namespace

int WeatherStation::qnhAt(double t) const {
    int value = 1013;
    for (const auto& [time, q] : qnh) {
        if (time > t) break;
        value = q;
    }
    return value;
}

Scenario Scenario::load(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error(fmt::format("cannot open scenario {}", path.string()));
    return parse(in);
}

Scenario Scenario::parse(std::istream& lines) {
    Scenario scenario;
    std::string line;
    std::size_t number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (line.empty()) continue;
        const nlohmann::json item = nlohmann::json::parse(line, nullptr, false);
        if (item.is_discarded() || !item.is_object())
            throw std::runtime_error(fmt::format("scenario line {}: not a JSON object", number));
        const std::string kind = item.value("kind", "");
        if (kind == "header") {
            scenario.duration_ = item.value("duration", 0.0);
        } else if (kind == "pos") {
            scenario.addSample(item.at("hex").get<std::string>(), item.at("t").get<double>(), item.at("rec"));
        } else if (kind == "parked") {
            scenario.addParked(item.at("hex").get<std::string>(), item.at("age").get<double>(), item.at("rec"));
        } else if (kind == "wx") {
            scenario.addWeather(item.at("icao").get<std::string>(), item.at("lat").get<double>(),
                                item.at("lon").get<double>(), item.value("t", 0.0), item.at("qnh").get<int>(),
                                item.value("metar", ""));
        } else {
            throw std::runtime_error(fmt::format("scenario line {}: unknown kind '{}'", number, kind));
        }
    }
    return scenario;
}

void Scenario::addSample(const std::string& hex, double t, const nlohmann::json& record) {
    if (!record.is_array() || record.size() < 48)
        throw std::runtime_error(fmt::format("scenario sample of {}: 48 elements expected", hex));
    if (tracks_.empty() || tracks_.back().hex != hex) {
        const auto it = std::find_if(tracks_.begin(), tracks_.end(), [&](const Track& track) { return track.hex == hex; });
        if (it == tracks_.end()) {
            tracks_.push_back(Track{hex, {}});
        } else {
            std::rotate(it, it + 1, tracks_.end()); // keep the most recent track at the back
        }
    }
    Track& track = tracks_.back();
    if (!track.samples.empty() && track.samples.back().t > t)
        throw std::runtime_error(fmt::format("scenario samples of {} out of time order", hex));
    track.samples.push_back(Sample{t, record[1].get<double>(), record[2].get<double>(), lf_join(record, 0, 10),
                                   lf_join(record, 11, record.size())});
    duration_ = std::max(duration_, t);
}

void Scenario::addParked(const std::string& hex, double ageSeconds, const nlohmann::json& record) {
    if (!record.is_array() || record.size() < 7)
        throw std::runtime_error(fmt::format("scenario parked {}: 7 elements expected", hex));
    const double stamp = record[5].is_number() ? record[5].get<double>() : 0.0;
    parked_.push_back(Parked{hex, ageSeconds, lf_coordinate(record[0]), lf_coordinate(record[1]), lf_join(record, 0, 5),
                             lf_join(record, 6, record.size()), stamp - std::floor(stamp)});
}

void Scenario::addWeather(const std::string& icao, double lat, double lon, double t, int qnh, const std::string& metar) {
    auto it = std::find_if(stations_.begin(), stations_.end(), [&](const WeatherStation& s) { return s.icao == icao; });
    if (it == stations_.end()) {
        stations_.push_back(WeatherStation{icao, lat, lon, {}, metar});
        it = stations_.end() - 1;
    }
    it->qnh.emplace_back(t, qnh);
    std::stable_sort(it->qnh.begin(), it->qnh.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    if (!metar.empty()) it->metar = metar;
}

std::size_t Scenario::sampleCount() const {
    std::size_t count = 0;
    for (const auto& track : tracks_) count += track.samples.size();
    return count;
}

std::size_t Scenario::appendLive(std::string& out, double t, double epochAtT, const Box& box, int extraElements) const {
    std::size_t count = 0;
    for (const auto& track : tracks_) {
        const auto after = std::upper_bound(track.samples.begin(), track.samples.end(), t,
                                            [](double time, const Sample& s) { return time < s.t; });
        if (after == track.samples.begin()) continue;
        const Sample& sample = *(after - 1);
        if (t - sample.t > kStaleSeconds || !box.contains(sample.lat, sample.lon)) continue;
        out += fmt::format("\"{}\":[{},{:.1f},{}", track.hex, sample.head, epochAtT - (t - sample.t), sample.tail);
        for (int i = 0; i < extraElements; ++i) out += ",0";
        out += "],";
        ++count;
    }
    return count;
}

std::size_t Scenario::appendParked(std::string& out, double epochNow, const Box& box) const {
    std::size_t count = 0;
    for (const auto& parked : parked_) {
        if (!box.contains(parked.lat, parked.lon)) continue;
        // Most parked time stamps are whole seconds; a scenario's fraction is kept, as the
        // service sends some with one.
        const double stamp = std::floor(epochNow - parked.age);
        const std::string time = parked.fraction > 0.0 ? fmt::format("{:.2f}", stamp + parked.fraction)
                                                       : fmt::format("{:.0f}", stamp);
        out += fmt::format("\"{}\":[{},{}{}{}],", parked.hex, parked.head, time, parked.tail.empty() ? "" : ",",
                           parked.tail);
        ++count;
    }
    return count;
}

} // namespace vorl::standin
