#include "tests/app/ProgramStandIns.h"

#include <fmt/format.h>

#include "RtTestSupport.h"
#include "common/Version.h"
#include "tests/support/TempFolder.h"

namespace vorl::test {

ProgramRtStandIn::ProgramRtStandIn(const std::vector<std::string>& faults, const MoreTraffic& moreTraffic)
    : server([&faults, &moreTraffic] {
          // One aircraft parked at stand B11 of the EHAM airport file, for the static parking.
          standin::Scenario scenario = makeEhamScenario();
          scenario.addParked("484c03", 600.0, nlohmann::json::array({52.30988, 4.76607, "EHAM_B11", "B738", "PH-BXB", 0, "KLM1391"}));
          // A police helicopter crossing the airport slowly at 1000 ft: the simulator keeps
          // helicopters apart from aeroplanes. It comes after the first 45 s, so that the
          // short runs see the aeroplanes alone, in the order they always came.
          for (int t = 45; t < 120; ++t)
              scenario.addSample("4857c3", t,
                                 makeLiveRecord("4857c3", kEhamLat - 0.05 + t * 0.0004, kEhamLon - 0.05, 1000.0, 90.0,
                                                "PHLIF", "H145", "PH-LLN"));
          if (moreTraffic) moreTraffic(scenario);
          standin::StandInOptions options = LinkFixture::fastOptions();
          for (const std::string& fault : faults) options.faults.push_back(standin::gf_parseFaultRule(fault));
          return std::make_unique<standin::RtStandIn>(std::move(scenario), options);
      }()) {
    server->start();
}

ProgramRtStandIn::~ProgramRtStandIn() = default;

std::string ProgramRtStandIn::url() const { return fmt::format("http://127.0.0.1:{}", server->port()); }

void ProgramRtStandIn::writeSettings(const std::filesystem::path& file, const std::string& moreParameters) const {
    // Settings of this very version: those of an older one would drop the shipped reference data
    // as outdated, and no download server is there to bring it back.
    writeFile(file, fmt::format("<root><parameters><parameter name=\"PROGRAM_VERSION\" value=\"{}\"/>"
                                "<parameter name=\"RT_API_URL\" value=\"{}\"/>"
                                "<parameter name=\"RT_LICENSE\" value=\"TEST-KEY\"/>{}</parameters></root>",
                                gf_runningVersion().text(), url(), moreParameters));
}

} // namespace vorl::test
