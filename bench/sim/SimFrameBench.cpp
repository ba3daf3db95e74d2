// How long one simulator frame's work takes on the SimClient thread: sending the positions of
// every AI object, and handling the aircraft-in-range answers. A frame lasts 33 ms at 30 Hz.
#include <memory>

#include <benchmark/benchmark.h>

#include "sim/SimDispatch.h"
#include "sim/SimIds.h"
#include "sim/SimInbox.h"
#include "sim/SimOutbox.h"
#include "sim/SimSession.h"
#include "standins/sim/SimStandIn.h"

using namespace vorl;
using namespace vorl::simconnect;

namespace {

// A session on the stand-in with `count` AI objects, every definition the program uses added.
standin::SimStandIn& lf_session(int count) {
    standin::SimStandInConfig config;
    config.clock = standin::ClockMode::Manual;
    config.liveryTitles = {"Bench Livery"};
    auto backend = std::make_unique<standin::SimStandIn>(config);
    standin::SimStandIn& standIn = *backend;
    SimSession& session = gf_simSession();
    session.reset();
    session.setBackend(std::move(backend));
    HANDLE handle = nullptr;
    standIn.open(&handle, "bench", nullptr, 0, nullptr, 0);
    session.setHandle(handle);
    session.userObjectId = standIn.userObjectId();
    for (const char* datum : {"Plane Latitude", "Plane Longitude", "Plane Pitch degrees", "Plane Bank degrees",
                              "Plane Heading degrees true", "Plane Altitude", "Vertical Speed", "Airspeed True"})
        standIn.addToDataDefinition(handle, simid::kDefAiPosition, datum, "", DataType::Float64, 0, kUnused);
    standIn.addToDataDefinition(handle, simid::kDefInRange, "Plane Alt Above Ground", "feet", DataType::Float64, 0, kUnused);
    standIn.addToDataDefinition(handle, simid::kDefInRange, "Ground Altitude", "feet", DataType::Float64, 0, kUnused);
    standIn.addToDataDefinition(handle, simid::kDefInRange, "SIM ON GROUND", "Bool", DataType::Int64, 0, kUnused);
    standIn.addToDataDefinition(handle, simid::kDefInRange, "ATC ID", nullptr, DataType::String32, 0, kUnused);
    for (int i = 0; i < count; ++i) {
        const DataInitPosition at{52.30 + i * 1e-4, 4.76, 0, 0, 0, 0, 1, 0};
        standIn.aiCreateNonAtcAircraft(handle, "Bench Livery", ("T" + std::to_string(i)).c_str(), at, simid::kReqCreate);
    }
    // The simulator answers creations some frames later.
    for (int frame = 0; frame < 10; ++frame) standIn.advance(1000.0 / 30.0);
    DispatchState state;
    standIn.callDispatch(handle, gf_simDispatch, &state);
    session.newlyAdded.clear();
    return standIn;
}

void BM_SendPositions(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    standin::SimStandIn& standIn = lf_session(count);
    const std::uint32_t firstId = standIn.objects().front().id;
    SimOutbox& outbox = gf_simOutbox();
    AiPositionBlock block;
    block.latitude = 52.31;
    block.longitude = 4.77;
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) outbox.queuePosition(firstId + static_cast<std::uint32_t>(i), block);
        outbox.endOfCycle();
        outbox.send();
    }
    state.SetItemsProcessed(state.iterations() * count);
    gf_simSession().setBackend(nullptr);
}
BENCHMARK(BM_SendPositions)->Arg(100)->Arg(500)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_AircraftInRangeAnswers(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    standin::SimStandIn& standIn = lf_session(count);
    SimSession& session = gf_simSession();
    for (auto _ : state) {
        standIn.requestDataOnSimObjectType(session.handle(), simid::kReqInRange, simid::kDefInRange, 100000,
                                           SimObjectType::Aircraft);
        DispatchState dispatch;
        standIn.callDispatch(session.handle(), gf_simDispatch, &dispatch);
        gf_simInbox().clear();
    }
    state.SetItemsProcessed(state.iterations() * count);
    gf_simSession().setBackend(nullptr);
}
BENCHMARK(BM_AircraftInRangeAnswers)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace
