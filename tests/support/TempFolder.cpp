#include "tests/support/TempFolder.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <fmt/format.h>

#include "common/platform.h"

namespace fs = std::filesystem;

namespace vorl::test {

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() / fmt::format("vorl-test-{}-{}", gf_processId(), counter.fetch_add(1));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void writeFile(const fs::path& path, std::string_view bytes) {
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace vorl::test

namespace vorl::test {

FakeSimulator makeFakeSimulator(const fs::path& folder, bool msfs2020) {
    FakeSimulator sim;
    sim.roaming = folder / "appdata" / "roaming";
    sim.local = folder / "appdata" / "local";
    sim.packages = sim.roaming / (msfs2020 ? "Microsoft Flight Simulator" : "Microsoft Flight Simulator 2024") / "Packages";
    fs::create_directories(sim.packages / "Community");
    fs::create_directories(sim.packages / (msfs2020 ? "Official" : "Official2024"));
    fs::create_directories(sim.local);
    // One AI package, so that the livery scan of a start-up finds something to read.
    writeFile(sim.packages / "Community" / "user-aitraffic-test" / "SimObjects" / "Airplanes" / "b738" / "aircraft.cfg",
              "[General]\nicao_type_designator=B738\n[fltsim.0]\ntitle=Test KLM 737\nicao_airline=KLM\n");
    return sim;
}

void useFakeSimulator(const FakeSimulator& simulator) {
    // Only the XDG folders can be moved; Windows' known folders are those of the user.
    gf_setEnvironment("XDG_CONFIG_HOME", simulator.roaming.string());
    gf_setEnvironment("XDG_DATA_HOME", simulator.local.string());
}

} // namespace vorl::test
