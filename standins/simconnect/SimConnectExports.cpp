// The simulator stand-in behind the exported functions of the simulator's SimConnect library.
// One stand-in simulator lives as long as the DLL is loaded, as the real simulator outlives the
// connections to it; its options come from the environment when the first connection opens.
#include <memory>
#include <mutex>

#include "airports/AirportDatabase.h"
#include "sim/SimConnectApi.h"
#include "standins/sim/SimStandIn.h"
#include "standins/sim/StandInOptions.h"

#ifdef _WIN32
#define VORL_SIMCONNECT_EXPORT extern "C" __declspec(dllexport)
#else
#define VORL_SIMCONNECT_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

using namespace vorl::simconnect;
using vorl::standin::SimStandIn;

std::mutex g_simulatorMutex;
std::unique_ptr<SimStandIn> g_simulator;

SimStandIn& lf_simulator() {
    std::lock_guard lock(g_simulatorMutex);
    if (!g_simulator) {
        const vorl::standin::StandInOptions options = vorl::standin::gf_standInOptionsFromEnvironment();
        // In its own module the stand-in does not share the program's airport database: it reads
        // the world's airports from the install folder, for the stands it makes up.
        vorl::gf_readAirports(options.inputFolder);
        g_simulator = std::make_unique<SimStandIn>(vorl::standin::gf_standInConfig(options));
    }
    return *g_simulator;
}

} // namespace

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_Open(HANDLE* handle, const char* name, void* window,
                                                                    DWORD userEvent, HANDLE eventHandle,
                                                                    DWORD configIndex) {
    return lf_simulator().open(handle, name, window, userEvent, eventHandle, configIndex);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_Close(HANDLE handle) {
    return lf_simulator().close(handle);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_CallDispatch(HANDLE handle, DispatchProc dispatch,
                                                                            void* context) {
    return lf_simulator().callDispatch(handle, dispatch, context);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_GetLastSentPacketID(HANDLE handle, DWORD* sendId) {
    return lf_simulator().getLastSentPacketId(handle, sendId);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_AddToDataDefinition(HANDLE handle, DWORD defineId,
                                                                                   const char* datumName,
                                                                                   const char* unitsName,
                                                                                   DataType datumType, float epsilon,
                                                                                   DWORD datumId) {
    return lf_simulator().addToDataDefinition(handle, defineId, datumName, unitsName, datumType, epsilon, datumId);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_RequestDataOnSimObject(
    HANDLE handle, DWORD requestId, DWORD defineId, DWORD objectId, Period period, DWORD flags, DWORD origin,
    DWORD interval, DWORD limit) {
    return lf_simulator().requestDataOnSimObject(handle, requestId, defineId, objectId, period, flags, origin,
                                                 interval, limit);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_RequestDataOnSimObjectType(HANDLE handle,
                                                                                          DWORD requestId,
                                                                                          DWORD defineId,
                                                                                          DWORD radiusMeters,
                                                                                          SimObjectType type) {
    return lf_simulator().requestDataOnSimObjectType(handle, requestId, defineId, radiusMeters, type);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_SetDataOnSimObject(HANDLE handle, DWORD defineId,
                                                                                  DWORD objectId, DWORD flags,
                                                                                  DWORD arrayCount, DWORD unitSize,
                                                                                  void* data) {
    return lf_simulator().setDataOnSimObject(handle, defineId, objectId, flags, arrayCount, unitSize, data);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_SubscribeToSystemEvent(HANDLE handle, DWORD eventId,
                                                                                      const char* eventName) {
    return lf_simulator().subscribeToSystemEvent(handle, eventId, eventName);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_MapClientEventToSimEvent(HANDLE handle, DWORD eventId,
                                                                                        const char* eventName) {
    return lf_simulator().mapClientEventToSimEvent(handle, eventId, eventName);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_AddClientEventToNotificationGroup(HANDLE handle,
                                                                                                 DWORD groupId,
                                                                                                 DWORD eventId,
                                                                                                 BOOL maskable) {
    return lf_simulator().addClientEventToNotificationGroup(handle, groupId, eventId, maskable);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_SetNotificationGroupPriority(HANDLE handle,
                                                                                            DWORD groupId,
                                                                                            DWORD priority) {
    return lf_simulator().setNotificationGroupPriority(handle, groupId, priority);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_TransmitClientEvent(HANDLE handle, DWORD objectId,
                                                                                   DWORD eventId, DWORD data,
                                                                                   DWORD groupId, DWORD flags) {
    return lf_simulator().transmitClientEvent(handle, objectId, eventId, data, groupId, flags);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_AICreateNonATCAircraft(HANDLE handle,
                                                                                      const char* containerTitle,
                                                                                      const char* tailNumber,
                                                                                      DataInitPosition initPosition,
                                                                                      DWORD requestId) {
    return lf_simulator().aiCreateNonAtcAircraft(handle, containerTitle, tailNumber, initPosition, requestId);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_AIRemoveObject(HANDLE handle, DWORD objectId,
                                                                              DWORD requestId) {
    return lf_simulator().aiRemoveObject(handle, objectId, requestId);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_AIReleaseControl(HANDLE handle, DWORD objectId,
                                                                                DWORD requestId) {
    return lf_simulator().aiReleaseControl(handle, objectId, requestId);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_AISetAircraftFlightPlan(HANDLE handle, DWORD objectId,
                                                                                       const char* flightPlanPath,
                                                                                       DWORD requestId) {
    return lf_simulator().aiSetAircraftFlightPlan(handle, objectId, flightPlanPath, requestId);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_AddToFacilityDefinition(HANDLE handle, DWORD defineId,
                                                                                       const char* fieldName) {
    return lf_simulator().addToFacilityDefinition(handle, defineId, fieldName);
}

VORL_SIMCONNECT_EXPORT HRESULT VORL_SIMCONNECT_CALL SimConnect_RequestFacilityData(HANDLE handle, DWORD defineId,
                                                                                   DWORD requestId, const char* icao,
                                                                                   const char* region) {
    return lf_simulator().requestFacilityData(handle, defineId, requestId, icao, region);
}
