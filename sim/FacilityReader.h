#pragma once
#include <chrono>
#include <optional>
#include <string>

#include "sim/FacilityRecords.h"
#include "sim/SimBackend.h"

namespace vorl {

// Reads airports' parking data through a SimConnect session of its own ("PARKING_DATA_RDR"),
// beside the program's main session, so that a scan never disturbs the traffic.
class FacilityReader {
public:
    explicit FacilityReader(SimBackend& backend);
    ~FacilityReader();
    FacilityReader(const FacilityReader&) = delete;
    FacilityReader& operator=(const FacilityReader&) = delete;

    // The airport's data, opening the session first when needed; no parkings or helipads when
    // the simulator does not have the airport. Nothing when the session cannot be opened, the
    // request fails, or the simulator does not answer within `timeout`.
    std::optional<FacilityAirport> read(const std::string& icao,
                                        std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // Ends the session (logged); reading again opens a new one.
    void close();

    // Used by the dispatch callback.
    void onRecord(const simconnect::Recv* record, simconnect::DWORD size);

private:
    bool open();

    SimBackend& backend_;
    simconnect::HANDLE handle_ = nullptr;
    bool defined_ = false;
    bool complete_ = false;
    bool failed_ = false;
    bool gotAirport_ = false;
    FacilityAirport current_;
};

} // namespace vorl
