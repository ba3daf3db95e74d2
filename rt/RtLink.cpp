#include "rt/RtLink.h"

#include <exception>
#include <stdexcept>

#include <fmt/format.h>

#include "common/Log.h"
#include "common/UserErrorException.h"

namespace vorl {

std::string gf_rtUrl(const RtConfig& config, const char* path) {
    std::string url = config.baseUrl;
    while (!url.empty() && url.back() == '/') url.pop_back();
    return url + path;
}

RtLink::RtLink(RtConfig config, RtHost host, TrafficHooks hooks)
    : config_(std::move(config)), host_(std::move(host)), traffic_(config_, std::move(hooks)),
      weather_(config_, host_, traffic_) {}

RtLink::~RtLink() {
    stopReaders();
    joinReaders();
}

void RtLink::resetReaders() {
    traffic_.reset();
    weather_.reset();
}

void RtLink::Authenticater() {
    const std::string waiting = "Waiting for authentication at RT server ...";
    const bool closing = host_.windowClosing && host_.windowClosing();
    if (!closing && host_.setStatus) host_.setStatus(waiting, true);
    int status = 0;
    const bool ok = weather_.authenticate(status);
    if (ok) {
        if (host_.clearStatus) host_.clearStatus();
    } else if (status == 402 || status == 404) {
        const std::string message = "The RealTraffic server does not accept your access key; please check the "
                                    "license in the settings";
        if (host_.showError) host_.showError(message);
        throw UserErrorException(status, message);
    } else if (status == 405) {
        const std::string message = "More than one RealTraffic session is not possible, do not run the RealTraffic app";
        if (host_.showError) host_.showError(message);
        throw UserErrorException(405, message);
    } else if (status == 500) {
        throw std::runtime_error("No RT database connection");
    } else {
        if (host_.showError) host_.showError(fmt::format("The {} has stopped with an error", "Authenticater"));
        if (host_.requestStop) host_.requestStop(kReasonReaderError, kReaderRestartDelaySeconds);
        if (host_.clearStatus) host_.clearStatus();
    }
    traffic_.guid = weather_.guid;
    // The login answer already tells the traffic limit; waiting the default instead would only
    // delay the first live round after a failed buffered start.
    if (ok) traffic_.rrl = weather_.rrl;
}

void RtLink::startReaders() {
    startTrafficReader();
    startWeatherReader();
}

void RtLink::startTrafficReader() {
    if (trafficThread_.joinable()) return;
    trafficThread_ = std::thread([this] {
        runReader(traffic_, weather_, TrafficReader::kName, "Traffic",
                  [](RtLink& link) { return link.traffic_.gf_trafficReader(); });
    });
}

void RtLink::startWeatherReader() {
    if (weatherThread_.joinable()) return;
    weatherThread_ = std::thread([this] {
        runReader(weather_, traffic_, WeatherReader::kName, "Weather",
                  [](RtLink& link) { return link.weather_.gf_weatherReader(); });
    });
}

void RtLink::runReader(RtConnection& self, RtConnection& other, const char* name, const char* kind,
                       std::int32_t (*body)(RtLink&)) {
    if (host_.setReaderState) host_.setReaderState(name, 1);
    std::int32_t result = -1;
    try {
        result = body(*this);
    } catch (const std::exception& e) {
        logImportant("{}: {}", &self == &traffic_ ? "gf_trafficReader" : "gf_weatherReader", e.what());
        result = -1;
    }
    if (self.stopSet()) result = TrafficReader::kEnded;
    self.markEnded(true);
    readerEnded(other, name, kind, result);
    if (host_.setReaderState) host_.setReaderState(name, 3);
}

void RtLink::readerEnded(RtConnection& other, const char* name, const char* kind, std::int32_t result) {
    // 0: there was no session to read in; the login step has already reported why.
    if (result == TrafficReader::kEnded || result == 0) return;
    if (result == -1) {
        // the exception has been logged by the reader's thread
    } else if (result == 401)
        logLine("re-authentication to RT API is needed, restart {}", "VORL");
    else if (result == 400)
        logLine("{} RT API: parameter fault", kind);
    else if (result == 403)
        logLine("{} RT API: no data for this kind of access (license type)", kind);
    else
        logLine("{} RT API error: {}", kind, result);
    other.requestStop();
    const bool reported = host_.stopRequested && host_.stopRequested();
    if (reported) return;
    if (host_.showError) host_.showError(fmt::format("The {} has stopped with an error", name));
    if (host_.requestStop) {
        if (result == 401)
            host_.requestStop(kReasonReaderError, kReaderRestartDelaySeconds);
        else
            host_.requestStop(kReasonSystemError, 0);
    }
}

void RtLink::stopReaders() {
    traffic_.requestStop();
    weather_.requestStop();
}

bool RtLink::readersEnded() const {
    const bool trafficDone = !trafficThread_.joinable() || traffic_.ended();
    const bool weatherDone = !weatherThread_.joinable() || weather_.ended();
    return trafficDone && weatherDone;
}

void RtLink::joinReaders() {
    if (trafficThread_.joinable()) trafficThread_.join();
    if (weatherThread_.joinable()) weatherThread_.join();
}

void RtLink::setUserPosition(LatLon position, double altitudeFeet) {
    traffic_.setUserPosition(position);
    weather_.setUserPosition(position, altitudeFeet);
}

} // namespace vorl
