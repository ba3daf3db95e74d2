#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "common/ModelCode.h"

namespace vorl {

class LiveryCatalogue;
class ModelDatabase;
class Parameters;
class StatusBoard;
struct LiveAircraft;

// The livery catalogue as the live traffic and the static parking ask it: a title for an
// aircraft at the matching depth in force, and the simulator's refusals counted.
class LiveryMatching {
public:
    LiveryMatching(LiveryCatalogue& catalogue, ModelDatabase& models, const Parameters& params, StatusBoard& status);

    std::optional<std::string> matchLive(const LiveAircraft& aircraft);
    // A static aircraft: its airline, operator, type and cargo role, and whether it stands at a
    // cargo stand.
    std::optional<std::string> matchStatic(const ModelCode& code, const std::string& registration, bool atCargoStand);
    // The simulator refused `title`; too many refusals end the run with error 81.
    void liveryFailed(const std::string& label, const std::string& title);
    std::size_t liveryCount() const;

private:
    LiveryCatalogue& catalogue_;
    ModelDatabase& models_;
    const Parameters& params_;
    StatusBoard& status_;
};

} // namespace vorl
