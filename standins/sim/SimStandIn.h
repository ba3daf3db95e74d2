#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/SimBackend.h"
#include "standins/sim/SimTrace.h"
#include "standins/sim/FacilityAnswers.h"
#include "standins/sim/UserScript.h"

namespace vorl::standin {

enum class SimulatorVersion { Msfs2020, Msfs2024 };

// Real time: frames and seconds follow the clock on every dispatch. Manual: time only moves
// when a test calls advance(), so every frame is one the test asked for.
enum class ClockMode { RealTime, Manual };

struct SimStandInConfig {
    SimulatorVersion version = SimulatorVersion::Msfs2020;
    // Overrides the application name the version implies (to try odd names).
    std::optional<std::string> applicationName;
    ClockMode clock = ClockMode::RealTime;
    double frameRateHz = 30.0;
    UserScript user = UserScript::ehamDeparture();
    std::string userTitle = "Airbus A320 Neo Asobo";
    std::string userModel = "A20N";
    std::string userAtcId = "ASXGS";
    // Titles the simulator can create; the titles of aircraft.cfg files under the community
    // folder are added to them (as helicopters when their file says `category = Helicopter`).
    std::vector<std::string> liveryTitles;
    std::vector<std::string> helicopterTitles;
    std::optional<std::filesystem::path> communityFolder;
    // Ground elevation: that of the nearest airport within 15 NM, else sea level. The airports
    // also answer facility requests, with the parkings and helipads given here.
    std::vector<StandInAirport> airports{{"EHAM", 52.3086, 4.7639, -11.0, "Schiphol", {}, {}}};
    std::optional<std::filesystem::path> tracePath;
    std::optional<std::filesystem::path> mapPath;
    bool keepTraceInMemory = false;
    std::size_t maxObjects = 1000;
    // Frames between a creation call and its answer: the simulator loads the model first.
    int creationFrames = 4;
    // The simulator runs: Open succeeds.
    bool available = true;
    // A flight is loaded and running ("Sim" event 1).
    bool flightRunning = true;
    // UTC at the start of the run, seconds since 1970; the current time when empty.
    std::optional<std::int64_t> startEpoch;
};

// One AI object as the stand-in keeps it.
struct StandInObject {
    std::uint32_t id = 0;
    std::string title;
    std::string tailNumber;
    // The simulator's "CATEGORY": "Airplane" or "Helicopter".
    std::string category = "Airplane";
    double lat = 0.0, lon = 0.0, altitudeFt = 0.0;
    double pitch = 0.0, bank = 0.0, heading = 0.0; // radians
    double verticalSpeed = 0.0, trueAirspeed = 0.0;
    bool frozenLatLon = false, frozenAltitude = false, frozenAttitude = false;
    bool released = false;
    bool createdByProgram = true;
    std::map<std::string, std::uint32_t> lastEvents; // simulator event name -> data
    std::string flightPlan;
    // The airports of the flight plan it was given.
    std::string departureId, destinationId;
    std::deque<TrackPoint> track;
};

// The simulator stand-in: an in-process model of the simulator behind the SimConnect calls.
class SimStandIn final : public SimBackend {
public:
    explicit SimStandIn(SimStandInConfig config);
    ~SimStandIn() override;

    // --- the SimConnect calls ---
    HRESULT open(HANDLE* handle, const char* name, void* window, DWORD userEvent, HANDLE eventHandle,
                 DWORD configIndex) override;
    HRESULT close(HANDLE handle) override;
    HRESULT callDispatch(HANDLE handle, simconnect::DispatchProc dispatch, void* context) override;
    HRESULT getLastSentPacketId(HANDLE handle, DWORD* sendId) override;
    HRESULT addToDataDefinition(HANDLE handle, DWORD defineId, const char* datumName, const char* unitsName,
                                simconnect::DataType datumType, float epsilon, DWORD datumId) override;
    HRESULT requestDataOnSimObject(HANDLE handle, DWORD requestId, DWORD defineId, DWORD objectId,
                                   simconnect::Period period, DWORD flags, DWORD origin, DWORD interval,
                                   DWORD limit) override;
    HRESULT requestDataOnSimObjectType(HANDLE handle, DWORD requestId, DWORD defineId, DWORD radiusMeters,
                                       simconnect::SimObjectType type) override;
    HRESULT setDataOnSimObject(HANDLE handle, DWORD defineId, DWORD objectId, DWORD flags, DWORD arrayCount,
                               DWORD unitSize, void* data) override;
    HRESULT subscribeToSystemEvent(HANDLE handle, DWORD eventId, const char* eventName) override;
    HRESULT mapClientEventToSimEvent(HANDLE handle, DWORD eventId, const char* eventName) override;
    HRESULT addClientEventToNotificationGroup(HANDLE handle, DWORD groupId, DWORD eventId,
                                              simconnect::BOOL maskable) override;
    HRESULT setNotificationGroupPriority(HANDLE handle, DWORD groupId, DWORD priority) override;
    HRESULT transmitClientEvent(HANDLE handle, DWORD objectId, DWORD eventId, DWORD data, DWORD groupId,
                                DWORD flags) override;
    HRESULT aiCreateNonAtcAircraft(HANDLE handle, const char* containerTitle, const char* tailNumber,
                                   simconnect::DataInitPosition initPosition, DWORD requestId) override;
    HRESULT aiRemoveObject(HANDLE handle, DWORD objectId, DWORD requestId) override;
    HRESULT aiReleaseControl(HANDLE handle, DWORD objectId, DWORD requestId) override;
    HRESULT aiSetAircraftFlightPlan(HANDLE handle, DWORD objectId, const char* flightPlanPath,
                                    DWORD requestId) override;
    HRESULT addToFacilityDefinition(HANDLE handle, DWORD defineId, const char* fieldName) override;
    HRESULT requestFacilityData(HANDLE handle, DWORD defineId, DWORD requestId, const char* icao,
                                const char* region) override;

    // --- what a test or the demo does to the simulator ---
    // Manual clock: moves time on by `ms` and queues what falls due (at most one frame).
    void advance(double ms);
    // Waits until everything queued so far has been dispatched; false after `timeout`.
    bool waitDispatched(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // A Frame event now (manual clock), then waits until it has been handled.
    bool runFrame(std::chrono::milliseconds timeout = std::chrono::seconds(10));

    void setAvailable(bool available);
    void setFlightRunning(bool running);
    // The simulator closes: a Quit message, and Open fails from now on.
    void quit();
    // A flight file is loaded ("FlightLoaded").
    void loadFlight(const std::string& file);
    void setUserScript(UserScript script);
    // Every later call of `function` (e.g. "RequestDataOnSimObject") fails.
    void failCalls(const std::string& function, bool fail = true);
    // An aircraft the program did not create (the simulator's own traffic, another program).
    std::uint32_t spawnForeignAircraft(const std::string& tailNumber, double lat, double lon, double altitudeFt);
    void sendException(simconnect::ExceptionId exception, DWORD sendId = 0, DWORD index = 0);

    std::vector<StandInObject> objects() const;
    std::optional<StandInObject> object(std::uint32_t id) const;
    std::vector<nlohmann::json> trace() const;
    std::uint32_t userObjectId() const { return kUserObjectId; }
    double groundAltitudeFt(double lat, double lon) const;
    // Writes the SVG map now (also done when the stand-in goes).
    void writeMap() const;

private:
    static constexpr std::uint32_t kUserObjectId = 1;
    static constexpr std::uint32_t kFirstAiObjectId = 101;

    struct Datum {
        std::string name; // upper case
        std::string units;
        simconnect::DataType type;
    };
    // A further client of the same simulator (the real one takes several): the stand-in lets it
    // read facility data only.
    struct FacilityClient {
        std::deque<std::vector<char>> queue;
        std::map<DWORD, std::vector<std::string>> definitions;
        std::map<DWORD, std::vector<std::string>> openEntries;
        DWORD lastSendId = 1;
    };
    struct PeriodicRequest {
        DWORD defineId = 0;
        DWORD objectId = 0;
        simconnect::Period period = simconnect::Period::Never;
    };

    // Starts a call: checks the handle and the forced failures, counts the packet.
    bool beginCall(HANDLE handle, const char* function);
    // The client a facility call comes from (the main one included), counted like beginCall.
    FacilityClient* beginFacilityCall(HANDLE handle, const char* function);
    void trace(nlohmann::json entry);
    void queue(const void* bytes, std::size_t size);
    template <typename Record> std::vector<char> recordBytes(Record& record, simconnect::RecvId id) const;
    template <typename Record> void queueRecord(Record& record, simconnect::RecvId id);
    void queueException(simconnect::ExceptionId exception, DWORD sendId, DWORD index);
    void queueSystemEvent(const std::string& name, DWORD data);
    void queueObjectEvent(const std::string& name, const StandInObject& object);
    void queueData(simconnect::RecvId id, DWORD requestId, DWORD defineId, std::uint32_t objectId, DWORD entry,
                   DWORD outOf);
    std::vector<char> dataBlock(DWORD defineId, std::uint32_t objectId) const;
    double numericValue(const std::string& name, const std::string& units, std::uint32_t objectId) const;
    std::string textValue(const std::string& name, std::uint32_t objectId) const;
    UserPose userPose() const;
    void step();
    void onFrame();
    void finishCreation(std::uint32_t objectId);
    void onSecond();
    void recordTracks();
    std::int64_t utcNow() const;

    SimStandInConfig config_;
    SimTrace trace_;
    std::map<std::string, std::string> titles_; // title -> category
    mutable std::mutex mutex_;
    std::condition_variable dispatched_;
    bool dispatching_ = false;
    std::deque<std::vector<char>> queue_;

    bool open_ = false;
    DWORD lastSendId_ = 0;
    std::set<std::string> failing_;
    std::map<DWORD, std::vector<Datum>> definitions_;
    FacilityClient mainFacilities_;
    std::map<HANDLE, std::unique_ptr<FacilityClient>> otherClients_;
    DWORD nextFacilityUniqueId_ = 1;
    std::map<std::string, DWORD> systemEvents_;  // name (upper) -> client id
    std::map<DWORD, std::string> clientEvents_;  // client id -> simulator event name
    std::map<DWORD, std::vector<DWORD>> groups_;
    std::map<DWORD, PeriodicRequest> periodic_;
    std::map<std::uint32_t, StandInObject> objects_;
    // Creations under way: the object, its answer (an exception when `failure` is set) and the
    // frames still to go.
    struct PendingCreation {
        StandInObject object;
        DWORD requestId = 0;
        DWORD sendId = 0;
        std::optional<simconnect::ExceptionId> failure;
        int framesLeft = 0;
    };
    std::deque<PendingCreation> creating_;
    // The simulator numbers its objects far above the user's, as the real one does.
    std::uint32_t nextObjectId_ = kFirstAiObjectId;
    std::deque<TrackPoint> userTrack_;

    std::chrono::steady_clock::time_point startedAt_;
    double nowMs_ = 0.0;
    double lastFrameMs_ = -1e9;
    double lastSecondMs_ = 0.0;
    double scriptStartMs_ = 0.0;
    std::int64_t startEpoch_ = 0;
};

} // namespace vorl::standin
