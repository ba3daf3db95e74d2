#include "airports/BglReader.h"

#include <cmath>
#include <cstring>
#include <optional>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "airports/BglFormat.h"
#include "common/Charset.h"
#include "common/Geodesy.h"
#include "common/Log.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

constexpr int kMaxSubrecords = 9000;

// Bounds-checked little-endian reads over the whole file.
class Bytes {
public:
    explicit Bytes(std::string data) : data_(std::move(data)) {}
    std::size_t size() const { return data_.size(); }
    template <typename T> T at(std::size_t offset) const {
        if (offset + sizeof(T) > data_.size()) throw std::out_of_range(fmt::format("read at {} beyond {}", offset, data_.size()));
        T value;
        std::memcpy(&value, data_.data() + offset, sizeof(T));
        return value;
    }
    std::string text(std::size_t offset, std::size_t length) const {
        if (offset + length > data_.size()) throw std::out_of_range("text beyond the data");
        std::string s(data_.data() + offset, length);
        s.resize(strnlen(s.c_str(), s.size()));
        return s;
    }

private:
    std::string data_;
};

bool lf_validPosition(double lat, double lon) {
    return std::fabs(lat) <= 90.0 && std::fabs(lon) <= 180.0 && !(lat == 0.0 && lon == 0.0);
}

struct AirportRecords {
    std::vector<std::size_t> msfs;      // offsets of MSFS airport records
    std::optional<std::uint16_t> other; // the id of another simulator's airport record met
};

// The airport records of the file's airport sections; every other section (scenery objects,
// terrain, navaids) is passed over by its table entry.
AirportRecords lf_airportRecords(const Bytes& b) {
    if (b.at<std::uint32_t>(0) != bgl::kMagic) throw std::runtime_error("not a BGL file");
    const auto headerSize = b.at<std::uint32_t>(4);
    const auto sections = b.at<std::uint32_t>(bgl::kSectionCountOffset);
    AirportRecords records;
    for (std::uint32_t s = 0; s < sections; ++s) {
        const std::size_t entry = headerSize + std::size_t{s} * bgl::kSectionEntrySize;
        if (b.at<std::uint32_t>(entry) != bgl::kAirportSection) continue;
        const auto entrySize = bgl::subsectionEntrySize(b.at<std::uint32_t>(entry + 4));
        const auto subsections = b.at<std::uint32_t>(entry + 8);
        const auto table = b.at<std::uint32_t>(entry + 12);
        for (std::uint32_t i = 0; i < subsections; ++i) {
            const std::size_t sub = table + std::size_t{i} * entrySize;
            const auto count = b.at<std::uint32_t>(sub + entrySize - 12);
            std::size_t offset = b.at<std::uint32_t>(sub + entrySize - 8);
            const std::size_t end = offset + b.at<std::uint32_t>(sub + entrySize - 4);
            for (std::uint32_t r = 0; r < count && offset + 6 <= end; ++r) {
                const auto id = b.at<std::uint16_t>(offset);
                const auto size = b.at<std::uint32_t>(offset + 2);
                if (size == 0) break;
                if (id == bgl::kAirportRecord)
                    records.msfs.push_back(offset);
                else if (id == bgl::kPrepar3dAirportRecord || id == bgl::kFsxAirportRecord)
                    records.other = id;
                offset += size;
            }
        }
    }
    return records;
}

void lf_readHelipad(const Bytes& b, std::size_t at, std::size_t size, std::set<std::pair<double, double>>& seen,
                    ScannedAirport& airport, int& helipads) {
    if (size < bgl::kHelipadSize) throw std::out_of_range(fmt::format("helipad of {} bytes", size));
    const double lat = bgl::unpackLatitude(b.at<std::uint32_t>(at + bgl::kHelipadLatitude));
    const double lon = bgl::unpackLongitude(b.at<std::uint32_t>(at + bgl::kHelipadLongitude));
    const std::string where = fmt::format("{:.6f},{:.6f}", lat, lon);
    if (!lf_validPosition(lat, lon)) {
        logLine("lat/lon helipad incorrect (skipped): {}", where);
        return;
    }
    if (!seen.insert({lat, lon}).second) {
        logLine("double helipad {} (skipped) ", where);
        return;
    }
    const double length = b.at<float>(at + bgl::kHelipadLength);
    const double heading = b.at<float>(at + bgl::kHelipadHeading);
    airport.file.stands.push_back(
        gf_scannedStand(fmt::format("helipad{}", ++helipads), lat, lon, heading, length / 2.0, 0, true));
}

void lf_readParkings(const Bytes& b, std::size_t at, std::size_t size, StandIdAllocator& ids, ScannedAirport& airport) {
    const auto count = b.at<std::uint16_t>(at + bgl::kParkingCount);
    const std::size_t end = at + size;
    std::size_t offset = at + bgl::kFirstParking;
    for (std::uint16_t i = 0; i < count; ++i) {
        const auto flags = b.at<std::uint32_t>(offset);
        const std::size_t next = offset + bgl::parkingSize(flags);
        // A parking running past its list means the list is not laid out as read.
        if (next > end) throw std::out_of_range(fmt::format("parking {} of {} beyond its list", i + 1, count));
        const double radius = b.at<float>(offset + bgl::kParkingRadius);
        const double heading = b.at<float>(offset + bgl::kParkingHeading);
        const double lon = bgl::unpackLongitude(b.at<std::uint32_t>(offset + bgl::kParkingLongitude));
        const double lat = bgl::unpackLatitude(b.at<std::uint32_t>(offset + bgl::kParkingLatitude));
        const int suffix = b.at<std::uint8_t>(next - bgl::kParkingTrailerSize + bgl::kParkingSuffixInTrailer);
        offset = next;
        const int type = bgl::parkingType(flags);
        if (!gf_isAircraftParkingType(type)) continue;
        if (!lf_validPosition(lat, lon)) {
            logLine("LatLon {} invalid (skipped)", fmt::format("{:.6f},{:.6f}", lat, lon));
            continue;
        }
        // The facility data names a stand the same way: name, number, suffix letter.
        const auto id = ids.take(gf_parkingNamePrefix(bgl::parkingName(flags)) + std::to_string(bgl::parkingNumber(flags)) +
                                 (bgl::isSuffixLetter(suffix) ? gf_parkingNamePrefix(suffix) : std::string()));
        if (!id) continue;
        airport.file.stands.push_back(gf_scannedStand(*id, lat, lon, heading, radius, type, false));
    }
}

// Walks the sub-records of the airport record at `record`.
void lf_walkAirport(const Bytes& b, std::size_t record, const fs::path& file, ScannedAirport& airport) {
    airport.longitude = bgl::unpackLongitude(b.at<std::uint32_t>(record + bgl::kAirportLongitude));
    airport.latitude = bgl::unpackLatitude(b.at<std::uint32_t>(record + bgl::kAirportLatitude));
    airport.file.elevationFeet =
        static_cast<int>(std::lround(b.at<std::int32_t>(record + bgl::kAirportAltitude) / 1000.0 * kFeetPerMeter));
    const std::size_t end = record + b.at<std::uint32_t>(record + 2);
    std::set<std::pair<double, double>> helipadsSeen;
    int helipads = 0;
    StandIdAllocator ids(file.string());
    std::size_t o3 = record + bgl::kAirportSubrecordsOffset;
    for (int walked = 0; walked < kMaxSubrecords && o3 + 6 <= end; ++walked) {
        if (o3 + 6 > b.size()) {
            logLine("   Error: o3={} exceeded data buffer size ({}), aborting.", o3, b.size());
            return;
        }
        const auto id = b.at<std::uint16_t>(o3);
        const auto size = b.at<std::uint32_t>(o3 + 2);
        if (size == 0) {
            logLine("   Warning: decodeSizeAtBoundary returned 0 at o3 = {}", o3);
            return;
        }
        if (o3 + size > b.size()) {
            logLine("   Error: o3={} exceeded data buffer size ({}), aborting.", o3 + size, b.size());
            return;
        }
        // Helipads may follow the parking list, so the walk goes on to the record's end.
        if (id == bgl::kNameSubrecord) airport.file.name = b.text(o3 + 6, size - 6);
        else if (id == bgl::kHelipadSubrecord) lf_readHelipad(b, o3, size, helipadsSeen, airport, helipads);
        else if (id == bgl::kTaxiParkingSubrecord) lf_readParkings(b, o3, size, ids, airport);
        o3 += size;
    }
}

bool lf_processBGLfile(const fs::path& file, const std::string& icao, ScannedAirport& airport) {
    try {
        const Bytes bytes(gf_readFileBytes(file));
        const AirportRecords found = lf_airportRecords(bytes);
        const auto& records = found.msfs;
        if (records.empty() && found.other) {
            logLine("{} is a {} BGL (airport record 0x{:04X}), not one of MSFS: skipped", file.string(),
                    *found.other == bgl::kPrepar3dAirportRecord ? "Prepar3D" : "FSX or Prepar3D", *found.other);
            return false;
        }
        std::optional<std::size_t> chosen;
        for (const std::size_t record : records)
            if (bgl::unpackIdent(bytes.at<std::uint32_t>(record + bgl::kAirportIdent)) == icao) chosen = record;
        if (!chosen && records.size() == 1) chosen = records.front();
        if (!chosen) {
            // Packages keep their airport in a file of any name; the others hold scenery.
            if (records.empty()) logLine("no airport in {}", file.string());
            return false;
        }
        lf_walkAirport(bytes, *chosen, file, airport);
        airport.file.facilities = false;
        return true;
    } catch (const std::out_of_range&) {
        logLine(" possible corrupt BGL or malformed input in:\n'{}'", file.string());
    } catch (const std::exception& e) {
        logLine("Exception in lf_processBGLfile: {}", e.what());
    }
    return false;
}

} // namespace

bool gf_readBglAirport(const fs::path& file, const std::string& icao, ScannedAirport& airport) {
    return lf_processBGLfile(file, icao, airport);
}

} // namespace vorl
