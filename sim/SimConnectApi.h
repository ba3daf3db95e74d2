#pragma once
// Our own declarations of the part of the SimConnect client interface the program uses. The
// simulator's library packs every structure to one byte and uses 32-bit DWORDs, so the
// layouts below are checked byte for byte.
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define VORL_SIMCONNECT_CALL __stdcall
#else
#define VORL_SIMCONNECT_CALL
#endif

namespace vorl::simconnect {

using DWORD = std::uint32_t;
using BOOL = std::int32_t;
using HRESULT = std::int32_t;
using HANDLE = void*;

inline constexpr HRESULT kOk = 0;
inline constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005u);
inline constexpr bool succeeded(HRESULT hr) { return hr >= 0; }
inline constexpr bool failed(HRESULT hr) { return hr < 0; }

inline constexpr DWORD kUnused = 0xFFFFFFFFu;
inline constexpr DWORD kObjectIdUser = 0;
inline constexpr DWORD kGroupPriorityHighest = 1;
inline constexpr DWORD kUnknownGroup = 0xFFFFFFFFu;

enum class RecvId : DWORD {
    Null = 0,
    Exception = 1,
    Open = 2,
    Quit = 3,
    Event = 4,
    EventObjectAddRemove = 5,
    EventFilename = 6,
    EventFrame = 7,
    SimObjectData = 8,
    SimObjectDataByType = 9,
    AssignedObjectId = 12,
    ClientData = 16,
    EventEx1 = 27,
    FacilityData = 28,
    FacilityDataEnd = 29,
};

enum class DataType : DWORD {
    Invalid = 0,
    Int32 = 1,
    Int64 = 2,
    Float32 = 3,
    Float64 = 4,
    String8 = 5,
    String32 = 6,
    String64 = 7,
    String128 = 8,
    String256 = 9,
    String260 = 10,
    StringV = 11,
    InitPosition = 12,
};

enum class Period : DWORD { Never = 0, Once = 1, VisualFrame = 2, SimFrame = 3, Second = 4 };

// What a RECV_FACILITY_DATA record holds (its Type).
enum class FacilityDataType : DWORD { Airport = 0, Helipad = 4, TaxiParking = 15 };

enum class SimObjectType : DWORD { User = 0, All = 1, Aircraft = 2, Helicopter = 3, Boat = 4, Ground = 5 };

// Exception numbers the program reacts to.
enum class ExceptionId : DWORD {
    None = 0,
    Error = 1,
    SizeMismatch = 2,
    UnrecognizedId = 3,
    Unopened = 4,
    VersionMismatch = 5,
    NameUnrecognized = 7,
    TooManyObjects = 11,
    InvalidDataSize = 19,
    DataError = 20,
    CreateObjectFailed = 22,
    LoadFlightPlanFailed = 23,
    OperationInvalidForObjectType = 24,
    OutOfBounds = 31,
};

#pragma pack(push, 1)

struct Recv {
    DWORD dwSize;
    DWORD dwVersion;
    DWORD dwID;
};

struct RecvException : Recv {
    DWORD dwException;
    DWORD dwSendID;
    DWORD dwIndex;
};

struct RecvOpen : Recv {
    char szApplicationName[256];
    DWORD dwApplicationVersionMajor;
    DWORD dwApplicationVersionMinor;
    DWORD dwApplicationBuildMajor;
    DWORD dwApplicationBuildMinor;
    DWORD dwSimConnectVersionMajor;
    DWORD dwSimConnectVersionMinor;
    DWORD dwSimConnectBuildMajor;
    DWORD dwSimConnectBuildMinor;
    DWORD dwReserved1;
    DWORD dwReserved2;
};

struct RecvQuit : Recv {};

struct RecvEvent : Recv {
    DWORD uGroupID;
    DWORD uEventID;
    DWORD dwData;
};

struct RecvEventObjectAddRemove : RecvEvent {
    DWORD eObjType;
};

struct RecvEventFilename : RecvEvent {
    char szFileName[260];
    DWORD dwFlags;
};

struct RecvEventFrame : RecvEvent {
    float fFrameRate;
    float fSimSpeed;
};

// The data block starts at dwData and runs to the end of the message.
struct RecvSimObjectData : Recv {
    DWORD dwRequestID;
    DWORD dwObjectID;
    DWORD dwDefineID;
    DWORD dwFlags;
    DWORD dwentrynumber;
    DWORD dwoutof;
    DWORD dwDefineCount;
    DWORD dwData;
};

struct RecvSimObjectDataByType : RecvSimObjectData {};

struct RecvAssignedObjectId : Recv {
    DWORD dwRequestID;
    DWORD dwObjectID;
};

struct RecvFacilityData : Recv {
    DWORD UserRequestId;
    DWORD UniqueRequestId;
    DWORD ParentUniqueRequestId;
    DWORD Type;
    DWORD IsListItem;
    DWORD ItemIndex;
    DWORD ListSize;
    DWORD Data;
};

struct RecvFacilityDataEnd : Recv {
    DWORD RequestId;
};

// Where and how a new AI object appears. Altitude in feet, angles in degrees.
struct DataInitPosition {
    double Latitude;
    double Longitude;
    double Altitude;
    double Pitch;
    double Bank;
    double Heading;
    DWORD OnGround;
    DWORD Airspeed;
};

#pragma pack(pop)

// Offset of the data block inside a data record (the placeholder dwData).
inline constexpr DWORD kSimObjectDataHeaderSize = 40;
inline constexpr DWORD kFacilityDataHeaderSize = 40;

static_assert(sizeof(Recv) == 12);
static_assert(sizeof(RecvException) == 24);
static_assert(sizeof(RecvOpen) == 308);
static_assert(sizeof(RecvQuit) == 12);
static_assert(sizeof(RecvEvent) == 24);
static_assert(sizeof(RecvEventObjectAddRemove) == 28);
static_assert(sizeof(RecvEventFilename) == 288);
static_assert(sizeof(RecvEventFrame) == 32);
static_assert(sizeof(RecvSimObjectData) == 44);
static_assert(sizeof(RecvSimObjectDataByType) == 44);
static_assert(sizeof(RecvAssignedObjectId) == 20);
static_assert(sizeof(RecvFacilityData) == 44);
static_assert(sizeof(RecvFacilityDataEnd) == 16);
static_assert(sizeof(DataInitPosition) == 56);

using DispatchProc = void(VORL_SIMCONNECT_CALL*)(Recv* data, DWORD size, void* context);

} // namespace vorl::simconnect
