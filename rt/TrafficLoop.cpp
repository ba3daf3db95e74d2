#include <chrono>
#include <exception>
#include <thread>

#include <fmt/format.h>

#include "common/Log.h"
#include "common/TimeStamp.h"
#include "rt/RtJson.h"
#include "rt/RtRequest.h"
#include "rt/TrafficReader.h"

namespace vorl {

namespace {

constexpr RtRequest kTrafficRequest{"trcurl_", "trcurl_: failed to set URL", true};
// Oldest snapshot first, so that the live side receives each aircraft's samples in order.
constexpr const char* kBufferKeys[] = {"buffer_4", "buffer_3", "buffer_2", "buffer_1", "buffer_0"};

bool lf_isEmptyMember(const nlohmann::json& value) {
    return value.is_null() || ((value.is_object() || value.is_array()) && value.empty());
}

} // namespace

void TrafficReader::processMembers(nlohmann::json& data) {
    if (!data.is_object()) return;
    for (auto& [key, value] : data.items()) {
        (void)key;
        // Newer servers append elements behind the 48 we know; fewer means a record of another kind.
        if (lf_isEmptyMember(value) || !value.is_array() || value.size() < 48) continue;
        reply = std::move(value);
        // One impossible record costs that aircraft, not the whole answer.
        try {
            processLine();
        } catch (const std::exception& e) {
            logLine("{}: {}", "processLine", e.what());
        }
    }
}

std::size_t TrafficReader::processLiveData(nlohmann::json& data) {
    processMembers(data);
    return received_.size();
}

bool TrafficReader::bufferedQuery(std::int32_t& status) {
    try {
        trafficBuffer_.clear();
        scratch = trafficBody(liveBox(), "locationtraffic") + fmt::format("&buffercount={}&buffertime={}", 5, 6);
        gf_setUpRequest(trafficHandle_.get(), kTrafficRequest, gf_rtUrl(config_, "/v5/traffic"), scratch,
                        trafficBuffer_);
        const CURLcode code = curl_easy_perform(trafficHandle_.get());
        if (code != CURLE_OK) {
            logImportant("{} buffer traffic code: {}", gf_nowText(), curl_easy_strerror(code));
            return false;
        }
        if (trafficBuffer_.empty()) {
            logImportant("buffer traffic: empty content");
            return false;
        }
        if (!gf_parseJson(trafficBuffer_, reply)) {
            logLine("buffer invalid JSON:\n{}\n", gf_bodyHead(trafficBuffer_));
            return false;
        }
        status = static_cast<std::int32_t>(gf_jsonInt(reply, "status", 100));
        if (status != 200 && status != 406) return false;
        if (status == 406) logLine(" buffer traffic msg {}", gf_jsonString(reply, "message", ""));
        rrl = static_cast<std::int32_t>(gf_jsonInt(reply, "rrl", 2000));
        bufferedStart.store(true);
        ++answerCount_;
        nlohmann::json data = std::move(reply["data"]);
        if (!data.is_object()) return true;
        int k = 0;
        for (const char* key : kBufferKeys) {
            const auto it = data.find(key);
            if (it == data.end() || lf_isEmptyMember(*it)) continue;
            processMembers(*it);
            receivedCount_.store(static_cast<std::uint32_t>(received_.size()));
            handOffBatch(6 * k);
            ++k;
        }
        return true;
    } catch (const std::exception& e) {
        logLine("{}: {}", "buffer", e.what());
        received_.clear();
        return false;
    }
}

bool TrafficReader::liveRound(std::int32_t& status) {
    try {
        trafficBuffer_.clear();
        scratch = trafficBody(liveBox(), "locationtraffic");
        gf_setUpRequest(trafficHandle_.get(), kTrafficRequest, gf_rtUrl(config_, "/v5/traffic"), scratch,
                        trafficBuffer_);
        const CURLcode code = curl_easy_perform(trafficHandle_.get());
        if (code != CURLE_OK) {
            logImportant("curl traffic code:{} = {}", static_cast<int>(code), curl_easy_strerror(code));
            sleepInterruptible(*this, rrl);
            return true;
        }
        if (trafficBuffer_.empty()) {
            logImportant("traffic receive: empty content");
            sleepInterruptible(*this, rrl);
            return true;
        }
        if (!gf_parseJson(trafficBuffer_, reply)) {
            if (gf_isGatewayTimeoutPage(trafficBuffer_)) logLine("traffic receive, invalid json 504 Gateway Timeout");
            logLine("traffic receive invalid JSON:\n{}\n", gf_bodyHead(trafficBuffer_));
            std::this_thread::sleep_for(std::chrono::milliseconds(rrl));
            return true;
        }
        const auto answerStatus = static_cast<std::int32_t>(gf_jsonInt(reply, "status", 100));
        if (answerStatus != 200 && answerStatus != 406) {
            status = answerStatus;
            return false;
        }
        if (answerStatus == 406)
            logImportant("{} curl traffic msg: {}", gf_nowText(), gf_jsonString(reply, "message", ""));
        rrl = static_cast<std::int32_t>(gf_jsonInt(reply, "rrl", 2000));
        ++answerCount_;
        nlohmann::json data = std::move(reply["data"]);
        processMembers(data);
        receivedCount_.store(static_cast<std::uint32_t>(received_.size()));
        handOffBatch(30);
    } catch (const std::exception& e) {
        logImportant("{}: {}\n{}", "receive", e.what(), gf_bodyHead(trafficBuffer_));
        received_.clear();
    }
    sleepInterruptible(*this, rrl);
    return true;
}

void TrafficReader::refreshSettings() {
    if (hooks_.settings) settings_ = hooks_.settings();
}

std::int32_t TrafficReader::gf_trafficReader() {
    logLine("{} connected", kName);
    std::int32_t status = 0;
    if (guid.empty()) return status;
    refreshSettings();
    if (!bufferedQuery(status) && !stop.load()) logImportant("buffer failed {}", status);
    // The buffered answer counts against the rate limit like any other traffic request.
    sleepInterruptible(*this, rrl);
    loopRunning.store(true);
    while (!stop.load()) {
        refreshSettings();
        if (parkedRequested_.exchange(false)) {
            parkedQuery();
            sleepInterruptible(*this, rrl);
            continue;
        }
        if (!liveRound(status)) break;
    }
    loopRunning.store(false);
    if (stop.load()) {
        status = kEnded;
        markEnded(true);
    }
    return status;
}

} // namespace vorl
