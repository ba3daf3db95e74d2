#include "standins/rt/RtStandIn.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <stdexcept>

#include <fmt/format.h>
#include <httplib.h>

#include "common/Geodesy.h"

namespace vorl::standin {

namespace {

using Clock = std::chrono::steady_clock;

// The faults' answers are bounded so a misconfigured test cannot hang a run.
constexpr int kLongestSlowAnswerMs = 30000;

std::optional<double> lf_number(const httplib::Request& request, const char* name) {
    if (!request.has_param(name)) return std::nullopt;
    const std::string text = request.get_param_value(name);
    try {
        std::size_t used = 0;
        const double value = std::stod(text, &used);
        if (used != text.size()) return std::nullopt;
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

double lf_epochNow() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

int lf_afterValue(const std::string& item, const char* name) {
    const std::string prefix = std::string(name) + "=";
    if (item.rfind(prefix, 0) != 0) throw std::invalid_argument(fmt::format("fault option '{}'", item));
    return std::stoi(item.substr(prefix.size()));
}

} // namespace

FaultRule gf_parseFaultRule(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');) items.push_back(item);
    if (items.size() < 2) throw std::invalid_argument(fmt::format("fault '{}': endpoint,kind expected", text));
    static const std::vector<std::string> endpoints{"auth", "deauth", "traffic", "buffered", "parked",
                                                    "nearestmetar", "weather", "*"};
    FaultRule rule;
    rule.endpoint = items[0];
    if (std::find(endpoints.begin(), endpoints.end(), rule.endpoint) == endpoints.end())
        throw std::invalid_argument(fmt::format("fault '{}': unknown endpoint", text));
    const std::string& kind = items[1];
    if (kind.rfind("status=", 0) == 0) {
        rule.kind = FaultRule::Kind::Status;
        rule.status = std::stoi(kind.substr(7));
    } else if (kind.rfind("slow=", 0) == 0) {
        rule.kind = FaultRule::Kind::Slow;
        rule.slowMs = std::min(std::stoi(kind.substr(5)), kLongestSlowAnswerMs);
    } else if (kind == "invalid-json") {
        rule.kind = FaultRule::Kind::InvalidJson;
    } else if (kind == "html-504") {
        rule.kind = FaultRule::Kind::Html504;
    } else if (kind == "empty") {
        rule.kind = FaultRule::Kind::Empty;
    } else if (kind == "drop") {
        rule.kind = FaultRule::Kind::Drop;
    } else if (kind == "no-weather") {
        rule.kind = FaultRule::Kind::NoWeather;
    } else {
        throw std::invalid_argument(fmt::format("fault '{}': unknown kind", text));
    }
    for (std::size_t i = 2; i < items.size(); ++i) {
        if (items[i].rfind("after=", 0) == 0)
            rule.after = lf_afterValue(items[i], "after");
        else
            rule.times = lf_afterValue(items[i], "times");
    }
    return rule;
}

RtStandIn::RtStandIn(Scenario scenario, StandInOptions options)
    : scenario_(std::move(scenario)), options_(std::move(options)), server_(std::make_unique<httplib::Server>()),
      faultHits_(options_.faults.size(), 0) {
    const std::vector<std::pair<std::string, std::string>> routes{{"/v5/auth", "auth"},
                                                                  {"/v5/deauth", "deauth"},
                                                                  {"/v5/traffic", "traffic"},
                                                                  {"/v5/nearestmetar", "nearestmetar"},
                                                                  {"/v5/weather", "weather"}};
    for (const auto& [path, name] : routes) {
        server_->Post(path, [this, name = name](const httplib::Request& request, httplib::Response& response) {
            handle(name, request, response);
        });
    }
    server_->Post(R"(/.*)", [this](const httplib::Request&, httplib::Response& response) {
        answerError(response, 404, "Unknown API path");
    });
    server_->Get(R"(/.*)", [this](const httplib::Request&, httplib::Response& response) {
        answerError(response, 400, "POST expected");
    });
}

RtStandIn::~RtStandIn() { stop(); }

int RtStandIn::start(int port) {
    if (port == 0)
        port_ = server_->bind_to_any_port("127.0.0.1");
    else
        port_ = server_->bind_to_port("127.0.0.1", port) ? port : -1;
    if (port_ <= 0) throw std::runtime_error(fmt::format("stand-in cannot listen on 127.0.0.1:{}", port));
    startedAt_ = Clock::now();
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    for (int i = 0; i < 5000 && !server_->is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return port_;
}

std::string RtStandIn::baseUrl() const { return fmt::format("http://127.0.0.1:{}", port_); }

void RtStandIn::stop() {
    server_->stop();
    if (thread_.joinable()) thread_.join();
}

void RtStandIn::setRateLimits(int rrlMs, int wrrlMs) {
    std::lock_guard lock(mutex_);
    options_.rrlMs = rrlMs;
    options_.wrrlMs = wrrlMs;
}

void RtStandIn::expireSessions() {
    std::lock_guard lock(mutex_);
    sessions_.clear();
}

int RtStandIn::requestCount(const std::string& endpoint) const {
    std::lock_guard lock(mutex_);
    const auto it = counts_.find(endpoint);
    return it == counts_.end() ? 0 : it->second;
}

std::string RtStandIn::lastBody(const std::string& endpoint) const {
    std::lock_guard lock(mutex_);
    const auto it = lastBodies_.find(endpoint);
    return it == lastBodies_.end() ? std::string() : it->second;
}

std::size_t RtStandIn::sessionCount() const {
    std::lock_guard lock(mutex_);
    return sessions_.size();
}

double RtStandIn::scenarioTime(int toffsetMinutes, double secondsBefore) const {
    double t = options_.startAtSeconds + std::chrono::duration<double>(Clock::now() - startedAt_).count() -
               toffsetMinutes * 60.0 - secondsBefore;
    const double duration = scenario_.duration();
    if (duration > 0.0) t = std::fmod(std::fmod(t, duration) + duration, duration); // the scenario loops
    return t;
}

void RtStandIn::answer(httplib::Response& response, int status, const std::string& json) const {
    response.status = options_.mirrorHttpStatus && status >= 200 && status < 600 ? status : 200;
    response.set_content(json, "application/json");
}

void RtStandIn::answerError(httplib::Response& response, int status, const std::string& message,
                            const nlohmann::json& extra) const {
    nlohmann::json body{{"status", status}, {"message", message}, {"server", options_.serverName}};
    body.update(extra);
    answer(response, status, body.dump());
}

bool RtStandIn::applyFault(const std::string& endpoint, int count, httplib::Response& response) {
    for (std::size_t i = 0; i < options_.faults.size(); ++i) {
        const FaultRule& rule = options_.faults[i];
        if (rule.endpoint != "*" && rule.endpoint != endpoint) continue;
        if (count <= rule.after) continue;
        {
            std::lock_guard lock(mutex_);
            if (rule.times >= 0 && faultHits_[i] >= rule.times) continue;
            ++faultHits_[i];
        }
        switch (rule.kind) {
        case FaultRule::Kind::Status: {
            nlohmann::json extra = nlohmann::json::object();
            if (rule.status == 406) {
                std::lock_guard lock(mutex_);
                extra = {{"rrl", options_.rrlMs}, {"wrrl", options_.wrrlMs}};
            }
            answerError(response, rule.status, fmt::format("stand-in fault {}", rule.status), extra);
            return true;
        }
        case FaultRule::Kind::InvalidJson:
            response.set_content("{\"status\": 200, \"data\": {\"4840d6\": [", "application/json");
            return true;
        case FaultRule::Kind::Html504:
            response.status = 504;
            response.set_content("<html><head><title>504 Gateway Timeout</title></head><body><center><h1>504 "
                                 "Gateway Timeout</h1></center></body></html>",
                                 "text/html");
            return true;
        case FaultRule::Kind::Empty:
            response.status = 200;
            response.set_content("", "application/json");
            return true;
        case FaultRule::Kind::Slow:
            std::this_thread::sleep_for(std::chrono::milliseconds(rule.slowMs));
            return false; // then the normal answer
        case FaultRule::Kind::NoWeather:
            noWeatherAnswer(response, "File requested");
            return true;
        case FaultRule::Kind::Drop:
            // The header promises a body that never comes: the client sees the connection drop.
            response.set_content_provider(
                512, "application/json", [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
            return true;
        }
    }
    return false;
}

void RtStandIn::purgeExpired() {
    const auto now = Clock::now();
    const auto timeout = std::chrono::seconds(options_.sessionTimeoutSeconds);
    std::erase_if(sessions_, [&](const auto& entry) { return now - entry.second.lastUse > timeout; });
}

RtStandIn::Session* RtStandIn::admit(const httplib::Request& request, httplib::Response& response, Pace pace,
                                     int* promisedMs) {
    if (!request.has_param("GUID")) {
        answerError(response, 400, "Missing parameter: GUID");
        return nullptr;
    }
    std::unique_lock lock(mutex_);
    purgeExpired();
    const auto it = sessions_.find(request.get_param_value("GUID"));
    if (it == sessions_.end()) {
        lock.unlock();
        answerError(response, 401, "GUID not found or expired, please authenticate again");
        return nullptr;
    }
    Session& session = it->second;
    const auto now = Clock::now();
    session.lastUse = now;
    if (pace == Pace::None) return &session;
    auto& last = pace == Pace::Traffic ? session.lastTraffic : session.lastWeather;
    const int limit = pace == Pace::Traffic ? session.promisedRrlMs : session.promisedWrrlMs;
    if (promisedMs != nullptr) *promisedMs = limit;
    if (last && now - *last < std::chrono::milliseconds(limit)) {
        lock.unlock();
        ++rateViolations_;
        answerError(response, 406, fmt::format("Request rate violation. Wait {} ms between requests", limit),
                    nlohmann::json{{pace == Pace::Traffic ? "rrl" : "wrrl", limit}});
        return nullptr;
    }
    last = now;
    return &session;
}

int RtStandIn::promise(const httplib::Request& request, Pace pace) {
    std::lock_guard lock(mutex_);
    const int limit = pace == Pace::Traffic ? options_.rrlMs : options_.wrrlMs;
    const auto it = sessions_.find(request.get_param_value("GUID"));
    if (it != sessions_.end()) (pace == Pace::Traffic ? it->second.promisedRrlMs : it->second.promisedWrrlMs) = limit;
    return limit;
}

void RtStandIn::handle(const std::string& path, const httplib::Request& request, httplib::Response& response) {
    std::string endpoint = path;
    if (path == "traffic") {
        const std::string type = request.get_param_value("querytype");
        if (type == "parkedtraffic")
            endpoint = "parked";
        else if (request.has_param("buffercount"))
            endpoint = "buffered";
    }
    int count = 0;
    {
        std::lock_guard lock(mutex_);
        count = ++counts_[endpoint];
        lastBodies_[endpoint] = request.body;
    }
    if (applyFault(endpoint, count, response)) return;
    if (path == "auth")
        authAnswer(request, response);
    else if (path == "deauth")
        deauthAnswer(request, response);
    else if (path == "traffic")
        trafficAnswer(request, response, endpoint);
    else if (path == "nearestmetar")
        nearestMetarAnswer(request, response);
    else
        weatherAnswer(request, response);
}

std::string RtStandIn::authAnswer(const httplib::Request& request, httplib::Response& response) {
    const std::string license = request.get_param_value("license");
    if (license.empty() || !request.has_param("software")) {
        answerError(response, 400, license.empty() ? "Missing parameter: license" : "Missing parameter: software");
        return {};
    }
    const auto& expired = options_.expiredLicenses;
    if (std::find(expired.begin(), expired.end(), license) != expired.end()) {
        answerError(response, 402, "License expired");
        return {};
    }
    const auto& known = options_.licenses;
    if (!known.empty() && std::find(known.begin(), known.end(), license) == known.end()) {
        answerError(response, 404, "License not found");
        return {};
    }
    std::unique_lock lock(mutex_);
    purgeExpired();
    const auto open = std::count_if(sessions_.begin(), sessions_.end(),
                                    [&](const auto& entry) { return entry.second.license == license; });
    if (open >= options_.maxSessionsPerLicense) {
        lock.unlock();
        answerError(response, 405, "Too many sessions for this license");
        return {};
    }
    const std::uint64_t a = random_();
    const std::uint64_t b = random_();
    const std::string guid = fmt::format("{:08x}-{:04x}-4{:03x}-{:04x}-{:012x}", a >> 32, (a >> 16) & 0xffff,
                                         a & 0xfff, (b >> 48) & 0xffff, b & 0xffffffffffffULL);
    const auto now = Clock::now();
    sessions_[guid] = Session{license, now, now, std::nullopt, std::nullopt, std::nullopt, options_.rrlMs, options_.wrrlMs};
    const nlohmann::json body{{"status", 200},        {"type", 1},
                              {"rrl", options_.rrlMs}, {"wrrl", options_.wrrlMs},
                              {"expiry", 1893456000}, {"GUID", guid},
                              {"server", options_.serverName}};
    lock.unlock();
    answer(response, 200, body.dump());
    return guid;
}

void RtStandIn::deauthAnswer(const httplib::Request& request, httplib::Response& response) {
    if (!request.has_param("GUID")) {
        answerError(response, 400, "Missing parameter: GUID");
        return;
    }
    std::unique_lock lock(mutex_);
    purgeExpired();
    const auto it = sessions_.find(request.get_param_value("GUID"));
    if (it == sessions_.end()) {
        lock.unlock();
        answerError(response, 401, "GUID not found or expired");
        return;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - it->second.created).count();
    sessions_.erase(it);
    lock.unlock();
    answer(response, 200,
           nlohmann::json{{"status", 200}, {"message", "Deauth success"}, {"Session length", seconds},
                          {"server", options_.serverName}}
               .dump());
}

void RtStandIn::trafficAnswer(const httplib::Request& request, httplib::Response& response, const std::string& endpoint) {
    Box box;
    const auto top = lf_number(request, "top");
    const auto bottom = lf_number(request, "bottom");
    const auto left = lf_number(request, "left");
    const auto right = lf_number(request, "right");
    const std::string type = request.get_param_value("querytype");
    if (!top || !bottom || !left || !right || *top <= *bottom || *right <= *left) {
        answerError(response, 400, "Missing or invalid parameter: top/bottom/left/right");
        return;
    }
    if (type != "locationtraffic" && type != "parkedtraffic" && type != "destinationtraffic") {
        answerError(response, 400, "Missing or invalid parameter: querytype");
        return;
    }
    const int toffset = static_cast<int>(lf_number(request, "toffset").value_or(0.0));
    if (toffset < 0) {
        answerError(response, 400, "Invalid parameter: toffset");
        return;
    }
    if (toffset > 14 * 24 * 60) {
        answerError(response, 407, "History too far back");
        return;
    }
    int buffers = 0;
    int spacing = 0;
    if (endpoint == "buffered") {
        buffers = static_cast<int>(lf_number(request, "buffercount").value_or(-1));
        spacing = static_cast<int>(lf_number(request, "buffertime").value_or(2));
        if (buffers < 1 || buffers > 10 || spacing < 2 || spacing > 10 || spacing % 2 != 0) {
            answerError(response, 400, "Invalid parameter: buffercount/buffertime");
            return;
        }
    }
    box = Box{*top, *bottom, *left, *right};
    if (admit(request, response, Pace::Traffic) == nullptr) return;
    const int rrl = promise(request, Pace::Traffic);
    const double t = scenarioTime(toffset);
    const double epoch = lf_epochNow() - toffset * 60.0;
    std::string out = "{\"data\":{";
    if (endpoint == "parked") {
        scenario_.appendParked(out, epoch, box);
    } else if (endpoint == "buffered") {
        for (int i = 0; i < buffers; ++i) {
            out += fmt::format("\"buffer_{}\":{{", i);
            scenario_.appendLive(out, scenarioTime(toffset, i * spacing), epoch - i * spacing, box,
                                 options_.extraRecordElements);
            if (out.back() == ',') out.pop_back();
            out += "},";
        }
    } else {
        scenario_.appendLive(out, t, epoch, box, options_.extraRecordElements);
    }
    if (out.back() == ',') out.pop_back();
    out += fmt::format("}},\"full_count\":{},\"source\":\"{}\",\"rrl\":{},\"status\":200,\"dataepoch\":{:.0f}", 11000 + scenario_.aircraftCount(),
                       toffset > 540 ? "DiskDB" : "MemoryDB", rrl, std::floor(epoch));
    if (endpoint == "buffered") out += fmt::format(",\"endepoch\":{:.0f}", std::floor(epoch - (buffers - 1) * spacing));
    out += "}";
    answer(response, 200, out);
}

void RtStandIn::nearestMetarAnswer(const httplib::Request& request, httplib::Response& response) {
    const auto lat = lf_number(request, "lat");
    const auto lon = lf_number(request, "lon");
    if (!lat || !lon) {
        answerError(response, 400, "Missing parameter: lat/lon");
        return;
    }
    const int maxCount = std::clamp(static_cast<int>(lf_number(request, "maxcount").value_or(1)), 1, 20);
    int wrrl = 0;
    if (admit(request, response, Pace::Weather, &wrrl) == nullptr) return;
    std::vector<std::pair<double, const WeatherStation*>> nearest;
    for (const auto& station : scenario_.stations())
        nearest.emplace_back(gf_distanceNm(*lat, *lon, station.lat, station.lon), &station);
    std::sort(nearest.begin(), nearest.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    nlohmann::json data = nlohmann::json::array();
    for (std::size_t i = 0; i < nearest.size() && i < static_cast<std::size_t>(maxCount); ++i) {
        const WeatherStation& station = *nearest[i].second;
        data.push_back({{"ICAO", station.icao},
                        {"Dist", std::round(nearest[i].first * 10.0) / 10.0},
                        {"BrgTo", std::round(gf_bearingDeg({*lat, *lon}, {station.lat, station.lon}) * 10.0) / 10.0},
                        {"METAR", station.metar}});
    }
    // Asked for the nearest station alone, the service sends it as a bare object.
    if (!request.has_param("maxcount") && data.size() == 1) data = nlohmann::json(data.front());
    answer(response, 200, nlohmann::json{{"wrrl", wrrl}, {"status", 200}, {"message", "OK"}, {"data", data}}.dump());
}

void RtStandIn::weatherAnswer(const httplib::Request& request, httplib::Response& response) {
    const auto lat = lf_number(request, "lat");
    const auto lon = lf_number(request, "lon");
    if (!lat || !lon || request.get_param_value("querytype") != "locwx") {
        answerError(response, 400, "Missing or invalid parameter: lat/lon/querytype");
        return;
    }
    const int toffset = static_cast<int>(lf_number(request, "toffset").value_or(0.0));
    if (admit(request, response, Pace::Weather) == nullptr) return;
    bool tinyDelta = false;
    {
        std::lock_guard lock(mutex_);
        const auto session = sessions_.find(request.get_param_value("GUID"));
        if (session != sessions_.end()) {
            const auto now = Clock::now();
            auto& last = session->second.lastLocWx;
            tinyDelta = last && now - *last < std::chrono::seconds(60);
            if (!tinyDelta) last = now;
        }
    }
    const std::string airports = request.get_param_value("airports");
    const std::string first = airports.substr(0, airports.find('|'));
    const auto& stations = scenario_.stations();
    const auto it = std::find_if(stations.begin(), stations.end(), [&](const auto& s) { return s.icao == first; });
    nlohmann::json data;
    if (it == stations.end()) {
        data = {{"ICAO", "UNKN"}, {"QNH", 1013}, {"METAR", "UNKN 000000"}, {"locWX", {{"Info", "TinyDelta"}}},
                {"AM", nlohmann::json::array()}};
    } else {
        const int hpa = it->qnhAt(scenarioTime(toffset));
        const int qnh = options_.qnhInHg ? static_cast<int>(std::lround(hpa / 0.33865307)) : hpa;
        // The model weather is recomputed once a minute; the station's report comes every time.
        const nlohmann::json locWx = tinyDelta ? nlohmann::json{{"Info", "TinyDelta"}}
                                               : nlohmann::json{{"Info", "2026-12-06_0450Z"}, {"SLP", hpa}};
        data = {{"ICAO", it->icao}, {"QNH", qnh}, {"METAR", it->metar}, {"locWX", locWx}, {"AM", nlohmann::json::array()}};
    }
    const int wrrl = promise(request, Pace::Weather);
    answer(response, 200,
           nlohmann::json{{"wrrl", wrrl}, {"source", "MemoryDB"}, {"status", 200}, {"message", "OK"}, {"data", data}}
               .dump());
}

void RtStandIn::noWeatherAnswer(httplib::Response& response, const std::string& error) {
    int wrrl = 0;
    {
        std::lock_guard lock(mutex_);
        wrrl = options_.wrrlMs;
    }
    const nlohmann::json locWx{{"Info", ""},   {"Error", error}, {"SLP", -1},  {"WSPD", -1},  {"WDIR", -1},
                               {"T", -1},      {"ST", -1},       {"SVis", -1}, {"SWSPD", -1}, {"SWDIR", -1},
                               {"DZDT", -1},   {"LLCC", -1},     {"MLCC", -1}, {"HLCC", -1},  {"TPP", -1},
                               {"PRR", -1},    {"CAPE", -1},     {"Profiles", ""}};
    const nlohmann::json data{
        {"ICAO", "UNKN"}, {"QNH", 1013}, {"METAR", "UNKN 000000"}, {"locWX", locWx}, {"AM", nlohmann::json::array()}};
    answer(response, 200,
           nlohmann::json{{"wrrl", wrrl}, {"source", "DiskDB"}, {"status", 200}, {"message", "OK"}, {"data", data}}
               .dump());
}

} // namespace vorl::standin
