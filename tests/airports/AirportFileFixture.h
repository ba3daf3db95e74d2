#pragma once
#include <map>
#include <string>

#include <fmt/format.h>

#include "airports/AirportFilesContext.h"
#include "tests/support/TempFolder.h"

namespace vorl::test {

// A working folder for airport files with a small airport database of stand classes.
struct AirportFilesFixture {
    AirportFilesFixture() {
        auto& context = gf_airportFilesContext();
        context = {};
        context.root = dir.path();
        context.standClass = [this](std::string_view icao) -> std::optional<int> {
            const auto it = standClasses.find(std::string(icao));
            if (it == standClasses.end()) return std::nullopt;
            return it->second;
        };
    }
    ~AirportFilesFixture() { gf_airportFilesContext() = {}; }

    void write(const std::string& relative, const std::string& text) const { writeFile(dir / relative, text); }

    TempFolder dir;
    std::map<std::string, int> standClasses;
};

inline std::string airportXml(const std::string& stands, const std::string& extraHeader = {},
                              const std::string& publisher = "stock") {
    return fmt::format(R"(<?xml version="1.0"?><root><parameters>
  <parameter name="icao" value="EHAM"/><parameter name="airport_name" value="Schiphol"/>
  <parameter name="publisher" value="{}"/><parameter name="altitude" value="-11"/>{}
  </parameters><parkpositions>{}</parkpositions></root>)",
                       publisher, extraHeader, stands);
}

// A stand `metersNorth` north of 52.3 N 4.76 E with the given radius in metres.
inline std::string standXml(const std::string& id, double metersNorth, double radius, const std::string& extra = {}) {
    return fmt::format(R"(<parkpos id="{}" latitude="{:.7f}" longitude="4.76" heading="90.0" radius="{:.1f}" {}>)",
                       id, 52.3 + metersNorth / 111194.9, radius, extra);
}

} // namespace vorl::test
