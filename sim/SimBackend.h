#pragma once
#include <memory>
#include <string>

#include "sim/SimConnectApi.h"

namespace vorl {

// The SimConnect calls the program makes, one method per function with the same arguments.
// Two implementations exist: the simulator's own library loaded at run time, and the
// in-process simulator stand-in used without a simulator.
class SimBackend {
public:
    using HANDLE = simconnect::HANDLE;
    using HRESULT = simconnect::HRESULT;
    using DWORD = simconnect::DWORD;

    virtual ~SimBackend() = default;

    virtual HRESULT open(HANDLE* handle, const char* name, void* window, DWORD userEvent, HANDLE eventHandle,
                         DWORD configIndex) = 0;
    virtual HRESULT close(HANDLE handle) = 0;
    virtual HRESULT callDispatch(HANDLE handle, simconnect::DispatchProc dispatch, void* context) = 0;
    virtual HRESULT getLastSentPacketId(HANDLE handle, DWORD* sendId) = 0;

    virtual HRESULT addToDataDefinition(HANDLE handle, DWORD defineId, const char* datumName, const char* unitsName,
                                        simconnect::DataType datumType, float epsilon, DWORD datumId) = 0;
    virtual HRESULT requestDataOnSimObject(HANDLE handle, DWORD requestId, DWORD defineId, DWORD objectId,
                                           simconnect::Period period, DWORD flags, DWORD origin, DWORD interval,
                                           DWORD limit) = 0;
    virtual HRESULT requestDataOnSimObjectType(HANDLE handle, DWORD requestId, DWORD defineId, DWORD radiusMeters,
                                               simconnect::SimObjectType type) = 0;
    virtual HRESULT setDataOnSimObject(HANDLE handle, DWORD defineId, DWORD objectId, DWORD flags, DWORD arrayCount,
                                       DWORD unitSize, void* data) = 0;

    virtual HRESULT subscribeToSystemEvent(HANDLE handle, DWORD eventId, const char* eventName) = 0;
    virtual HRESULT mapClientEventToSimEvent(HANDLE handle, DWORD eventId, const char* eventName) = 0;
    virtual HRESULT addClientEventToNotificationGroup(HANDLE handle, DWORD groupId, DWORD eventId,
                                                      simconnect::BOOL maskable) = 0;
    virtual HRESULT setNotificationGroupPriority(HANDLE handle, DWORD groupId, DWORD priority) = 0;
    virtual HRESULT transmitClientEvent(HANDLE handle, DWORD objectId, DWORD eventId, DWORD data, DWORD groupId,
                                        DWORD flags) = 0;

    virtual HRESULT aiCreateNonAtcAircraft(HANDLE handle, const char* containerTitle, const char* tailNumber,
                                           simconnect::DataInitPosition initPosition, DWORD requestId) = 0;
    virtual HRESULT aiRemoveObject(HANDLE handle, DWORD objectId, DWORD requestId) = 0;
    virtual HRESULT aiReleaseControl(HANDLE handle, DWORD objectId, DWORD requestId) = 0;
    virtual HRESULT aiSetAircraftFlightPlan(HANDLE handle, DWORD objectId, const char* flightPlanPath,
                                            DWORD requestId) = 0;

    virtual HRESULT addToFacilityDefinition(HANDLE handle, DWORD defineId, const char* fieldName) = 0;
    virtual HRESULT requestFacilityData(HANDLE handle, DWORD defineId, DWORD requestId, const char* icao,
                                        const char* region) = 0;
};

// The simulator's SimConnect library, loaded from `libraryName` when this is called.
// Throws std::runtime_error when the library or one of its functions is missing.
std::unique_ptr<SimBackend> gf_makeSimConnectLibraryBackend(const std::string& libraryName = "SimConnect.dll");

} // namespace vorl
