#include "tests/app/WholeProgram.h"

#include <set>
#include <sstream>

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "app/HeadlessFrontEnd.h"
#include "app/RunControl.h"
#include "app/RunLoops.h"
#include "tools/aipackages/AiPackages.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace vorl::test {

ArchiveServer::ArchiveServer() {
    fs::create_directories(folder / "MSFS" / "archive" / "stock");
    fs::copy_file(fs::path(VORL_DATA_FOLDER) / "archive" / "stock" / "EHAM.xml",
                  folder / "MSFS" / "archive" / "stock" / "EHAM.xml");
    server.start();
}

std::string ArchiveServer::setting() const {
    return "<parameter name=\"DOWNLOAD_SERVER_URL\" value=\"" + server.baseUrl() + "\"/>";
}

std::string settingInFile(const fs::path& file, const std::string& key) {
    pugi::xml_document doc;
    if (!doc.load_file(file.c_str())) return "<unreadable>";
    const auto node = doc.child("root").child("parameters").find_child_by_attribute("parameter", "name", key.c_str());
    return node ? node.attribute("value").as_string() : "<absent>";
}

WholeProgram::WholeProgram(const std::string& parameters, const Prepare& prepare, FrontEndFactory frontEnd,
                           const std::vector<std::string>& rtFaults, const ProgramRtStandIn::MoreTraffic& moreTraffic)
    : rt(rtFaults, moreTraffic) {
    fs::create_directories(dir / "docs");
    installReferenceData(dir.path());
    const auto simulator = makeFakeSimulator(dir.path());
    useFakeSimulator(simulator);
    tools::gf_writeAiPackages({VORL_FLEET_FILE, simulator.packages / "Community", 1});
    if (prepare) prepare(dir.path(), simulator);
    rt.writeSettings(dir / "cfg" / "parameters.xml", parameters);
    args_ = {"vorl", "--workdir", dir.path().string(), "--config-dir", (dir / "cfg").string(),
             "--sim-trace", (dir / "sim-trace.jsonl").string()};
    if (!frontEnd) {
        args_.insert(args_.begin() + 1, "--headless");
        frontEnd = [this](const CommandLineOptions& o, Commands&) {
            auto headless = std::make_unique<HeadlessFrontEnd>(o.durationSeconds);
            headless_ = headless.get();
            return headless;
        };
    }
    thread_ = std::thread([this, frontEnd = std::move(frontEnd)] {
        std::vector<char*> argv;
        for (auto& a : args_) argv.push_back(a.data());
        exitCode = gf_processEntry(static_cast<int>(argv.size()), argv.data(), frontEnd);
    });
}

WholeProgram::~WholeProgram() {
    if (thread_.joinable()) close();
    // The program works in its folder, which goes with this run.
    std::error_code ec;
    fs::current_path(startFolder_, ec);
}

std::string WholeProgram::log() const {
    try {
        return readFile(dir / "Log.txt");
    } catch (const std::exception&) {
        return {};
    }
}

std::size_t WholeProgram::count(const std::string& text) const {
    const std::string all = log();
    std::size_t n = 0;
    for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++n;
    return n;
}

bool WholeProgram::waitFor(const std::function<bool()>& condition, std::chrono::seconds limit) const {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

bool WholeProgram::waitForLogCount(const std::string& text, std::size_t n) const {
    return waitFor([&] { return count(text) >= n; });
}

std::size_t WholeProgram::startUps() const {
    const std::string settings = settingsFile().string();
    return count("from '" + settings + "'") + count(settings + " not found, creating new with default values:");
}

bool WholeProgram::waitForStartUps(std::size_t n) const {
    return waitFor([&] { return startUps() >= n; });
}

bool WholeProgram::waitUntilServing() const { return waitFor([] { return gf_simulatorRunning(); }); }

int WholeProgram::close() {
    gf_run().setWindowClosed();
    gf_run().requestStop(ClosingReason::UserClosedSim, 0);
    thread_.join();
    return exitCode;
}

int WholeProgram::waitForExit() {
    thread_.join();
    return exitCode;
}

std::vector<std::uint32_t> WholeProgram::objectsLeftInSimulator() const {
    std::set<std::uint32_t> present;
    std::istringstream trace(readFile(dir / "sim-trace.jsonl"));
    for (std::string line; std::getline(trace, line);) {
        const auto entry = nlohmann::json::parse(line, nullptr, false);
        if (!entry.is_object() || !entry.contains("event")) continue;
        const std::string event = entry.at("event");
        if (event == "ObjectAdded" && !entry.contains("foreign")) present.insert(entry.at("objectId").get<std::uint32_t>());
        else if (event == "ObjectRemoved") present.erase(entry.at("objectId").get<std::uint32_t>());
    }
    return {present.begin(), present.end()};
}

std::vector<std::string> WholeProgram::displayTexts() const {
    std::vector<std::string> texts;
    if (headless_ == nullptr) return texts;
    for (const DisplayLine& line : headless_->displayLines()) texts.push_back(line.text);
    return texts;
}

} // namespace vorl::test
