#include <stdexcept>
#include <string>

#include "common/platform.h"
#include "sim/SimBackend.h"

namespace vorl {
namespace {

using namespace simconnect;

// The exported functions, as the simulator's library declares them.
using OpenFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE*, const char*, void*, DWORD, HANDLE, DWORD);
using CloseFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE);
using CallDispatchFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DispatchProc, void*);
using GetLastSentPacketIdFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD*);
using AddToDataDefinitionFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD, const char*, const char*, DataType, float,
                                                             DWORD);
using RequestDataOnSimObjectFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD, DWORD, DWORD, Period, DWORD, DWORD,
                                                                DWORD, DWORD);
using RequestDataOnSimObjectTypeFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD, DWORD, DWORD, SimObjectType);
using SetDataOnSimObjectFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD, DWORD, DWORD, DWORD, DWORD, void*);
using SubscribeToSystemEventFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD, const char*);
using MapClientEventToSimEventFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD, const char*);
using AddClientEventToNotificationGroupFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD, DWORD, BOOL);
using SetNotificationGroupPriorityFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD, DWORD);
using TransmitClientEventFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD, DWORD, DWORD, DWORD, DWORD);
// The init position is passed by value, exactly as the library expects it.
using AiCreateNonAtcAircraftFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, const char*, const char*, DataInitPosition,
                                                                DWORD);
using AiObjectFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD, DWORD);
using AiSetAircraftFlightPlanFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD, const char*, DWORD);
using AddToFacilityDefinitionFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD, const char*);
using RequestFacilityDataFn = HRESULT(VORL_SIMCONNECT_CALL*)(HANDLE, DWORD, DWORD, const char*, const char*);

class SimConnectLibrary final : public SimBackend {
public:
    explicit SimConnectLibrary(const std::string& libraryName) : library_(libraryName), name_(libraryName) {
        resolve(open_, "SimConnect_Open");
        resolve(close_, "SimConnect_Close");
        resolve(callDispatch_, "SimConnect_CallDispatch");
        resolve(getLastSentPacketId_, "SimConnect_GetLastSentPacketID");
        resolve(addToDataDefinition_, "SimConnect_AddToDataDefinition");
        resolve(requestDataOnSimObject_, "SimConnect_RequestDataOnSimObject");
        resolve(requestDataOnSimObjectType_, "SimConnect_RequestDataOnSimObjectType");
        resolve(setDataOnSimObject_, "SimConnect_SetDataOnSimObject");
        resolve(subscribeToSystemEvent_, "SimConnect_SubscribeToSystemEvent");
        resolve(mapClientEventToSimEvent_, "SimConnect_MapClientEventToSimEvent");
        resolve(addClientEventToNotificationGroup_, "SimConnect_AddClientEventToNotificationGroup");
        resolve(setNotificationGroupPriority_, "SimConnect_SetNotificationGroupPriority");
        resolve(transmitClientEvent_, "SimConnect_TransmitClientEvent");
        resolve(aiCreateNonAtcAircraft_, "SimConnect_AICreateNonATCAircraft");
        resolve(aiRemoveObject_, "SimConnect_AIRemoveObject");
        resolve(aiReleaseControl_, "SimConnect_AIReleaseControl");
        resolve(aiSetAircraftFlightPlan_, "SimConnect_AISetAircraftFlightPlan");
        resolve(addToFacilityDefinition_, "SimConnect_AddToFacilityDefinition");
        resolve(requestFacilityData_, "SimConnect_RequestFacilityData");
    }

    HRESULT open(HANDLE* handle, const char* name, void* window, DWORD userEvent, HANDLE eventHandle,
                 DWORD configIndex) override {
        return open_(handle, name, window, userEvent, eventHandle, configIndex);
    }
    HRESULT close(HANDLE handle) override { return close_(handle); }
    HRESULT callDispatch(HANDLE handle, DispatchProc dispatch, void* context) override {
        return callDispatch_(handle, dispatch, context);
    }
    HRESULT getLastSentPacketId(HANDLE handle, DWORD* sendId) override { return getLastSentPacketId_(handle, sendId); }
    HRESULT addToDataDefinition(HANDLE handle, DWORD defineId, const char* datumName, const char* unitsName,
                                DataType datumType, float epsilon, DWORD datumId) override {
        return addToDataDefinition_(handle, defineId, datumName, unitsName, datumType, epsilon, datumId);
    }
    HRESULT requestDataOnSimObject(HANDLE handle, DWORD requestId, DWORD defineId, DWORD objectId, Period period,
                                   DWORD flags, DWORD origin, DWORD interval, DWORD limit) override {
        return requestDataOnSimObject_(handle, requestId, defineId, objectId, period, flags, origin, interval, limit);
    }
    HRESULT requestDataOnSimObjectType(HANDLE handle, DWORD requestId, DWORD defineId, DWORD radiusMeters,
                                       SimObjectType type) override {
        return requestDataOnSimObjectType_(handle, requestId, defineId, radiusMeters, type);
    }
    HRESULT setDataOnSimObject(HANDLE handle, DWORD defineId, DWORD objectId, DWORD flags, DWORD arrayCount,
                               DWORD unitSize, void* data) override {
        return setDataOnSimObject_(handle, defineId, objectId, flags, arrayCount, unitSize, data);
    }
    HRESULT subscribeToSystemEvent(HANDLE handle, DWORD eventId, const char* eventName) override {
        return subscribeToSystemEvent_(handle, eventId, eventName);
    }
    HRESULT mapClientEventToSimEvent(HANDLE handle, DWORD eventId, const char* eventName) override {
        return mapClientEventToSimEvent_(handle, eventId, eventName);
    }
    HRESULT addClientEventToNotificationGroup(HANDLE handle, DWORD groupId, DWORD eventId, BOOL maskable) override {
        return addClientEventToNotificationGroup_(handle, groupId, eventId, maskable);
    }
    HRESULT setNotificationGroupPriority(HANDLE handle, DWORD groupId, DWORD priority) override {
        return setNotificationGroupPriority_(handle, groupId, priority);
    }
    HRESULT transmitClientEvent(HANDLE handle, DWORD objectId, DWORD eventId, DWORD data, DWORD groupId,
                                DWORD flags) override {
        return transmitClientEvent_(handle, objectId, eventId, data, groupId, flags);
    }
    HRESULT aiCreateNonAtcAircraft(HANDLE handle, const char* containerTitle, const char* tailNumber,
                                   DataInitPosition initPosition, DWORD requestId) override {
        return aiCreateNonAtcAircraft_(handle, containerTitle, tailNumber, initPosition, requestId);
    }
    HRESULT aiRemoveObject(HANDLE handle, DWORD objectId, DWORD requestId) override {
        return aiRemoveObject_(handle, objectId, requestId);
    }
    HRESULT aiReleaseControl(HANDLE handle, DWORD objectId, DWORD requestId) override {
        return aiReleaseControl_(handle, objectId, requestId);
    }
    HRESULT aiSetAircraftFlightPlan(HANDLE handle, DWORD objectId, const char* flightPlanPath,
                                    DWORD requestId) override {
        return aiSetAircraftFlightPlan_(handle, objectId, flightPlanPath, requestId);
    }
    HRESULT addToFacilityDefinition(HANDLE handle, DWORD defineId, const char* fieldName) override {
        return addToFacilityDefinition_(handle, defineId, fieldName);
    }
    HRESULT requestFacilityData(HANDLE handle, DWORD defineId, DWORD requestId, const char* icao,
                                const char* region) override {
        return requestFacilityData_(handle, defineId, requestId, icao, region);
    }

private:
    template <typename Fn> void resolve(Fn& target, const char* symbolName) {
        void* address = library_.symbol(symbolName);
        if (!address) throw std::runtime_error(name_ + " has no function " + symbolName);
        target = reinterpret_cast<Fn>(address);
    }

    DynamicLibrary library_;
    std::string name_;
    OpenFn open_ = nullptr;
    CloseFn close_ = nullptr;
    CallDispatchFn callDispatch_ = nullptr;
    GetLastSentPacketIdFn getLastSentPacketId_ = nullptr;
    AddToDataDefinitionFn addToDataDefinition_ = nullptr;
    RequestDataOnSimObjectFn requestDataOnSimObject_ = nullptr;
    RequestDataOnSimObjectTypeFn requestDataOnSimObjectType_ = nullptr;
    SetDataOnSimObjectFn setDataOnSimObject_ = nullptr;
    SubscribeToSystemEventFn subscribeToSystemEvent_ = nullptr;
    MapClientEventToSimEventFn mapClientEventToSimEvent_ = nullptr;
    AddClientEventToNotificationGroupFn addClientEventToNotificationGroup_ = nullptr;
    SetNotificationGroupPriorityFn setNotificationGroupPriority_ = nullptr;
    TransmitClientEventFn transmitClientEvent_ = nullptr;
    AiCreateNonAtcAircraftFn aiCreateNonAtcAircraft_ = nullptr;
    AiObjectFn aiRemoveObject_ = nullptr;
    AiObjectFn aiReleaseControl_ = nullptr;
    AiSetAircraftFlightPlanFn aiSetAircraftFlightPlan_ = nullptr;
    AddToFacilityDefinitionFn addToFacilityDefinition_ = nullptr;
    RequestFacilityDataFn requestFacilityData_ = nullptr;
};

} // namespace

std::unique_ptr<SimBackend> gf_makeSimConnectLibraryBackend(const std::string& libraryName) {
    return std::make_unique<SimConnectLibrary>(libraryName);
}

} // namespace vorl
