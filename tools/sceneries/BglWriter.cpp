#include "tools/sceneries/BglWriter.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

#include "airports/BglFormat.h"

namespace vorl::tools {
namespace {

class Out {
public:
    template <typename T> void put(T value) {
        const auto* bytes = reinterpret_cast<const char*>(&value);
        data.insert(data.end(), bytes, bytes + sizeof(T));
    }
    template <typename T> void putAt(std::size_t offset, T value) { std::memcpy(data.data() + offset, &value, sizeof(T)); }
    void zeros(std::size_t count) { data.insert(data.end(), count, '\0'); }
    std::size_t size() const { return data.size(); }
    std::vector<char> data;
};

std::vector<char> lf_airportRecord(const BglAirport& a) {
    Out r;
    r.put<std::uint16_t>(bgl::kAirportRecord);
    r.put<std::uint32_t>(0); // size, filled in below
    r.zeros(bgl::kAirportLongitude - r.size());
    r.put(bgl::packLongitude(a.lon));
    r.put(bgl::packLatitude(a.lat));
    r.put(static_cast<std::int32_t>(a.altitudeM * 1000.0));
    r.zeros(bgl::kAirportIdent - r.size());
    r.put(bgl::packIdent(a.icao));
    r.zeros(bgl::kAirportSubrecordsOffset - r.size());
    // Name sub-record.
    r.put<std::uint16_t>(bgl::kNameSubrecord);
    r.put<std::uint32_t>(static_cast<std::uint32_t>(6 + a.name.size()));
    r.data.insert(r.data.end(), a.name.begin(), a.name.end());
    // A sub-record the reader does not know, to be stepped over (a runway, say).
    r.put<std::uint16_t>(0x00CE);
    r.put<std::uint32_t>(16);
    r.zeros(10);
    for (const BglHelipad& h : a.helipads) {
        const std::size_t at = r.size();
        r.put<std::uint16_t>(bgl::kHelipadSubrecord);
        r.put<std::uint32_t>(bgl::kHelipadSize);
        r.zeros(bgl::kHelipadLongitude - (r.size() - at));
        r.put(bgl::packLongitude(h.lon));
        r.put(bgl::packLatitude(h.lat));
        r.put<std::int32_t>(0);
        r.put(h.lengthM);
        r.put(h.widthM);
        r.put(h.headingDeg);
    }
    if (!a.parkings.empty()) {
        const std::size_t at = r.size();
        r.put<std::uint16_t>(bgl::kTaxiParkingSubrecord);
        r.put<std::uint32_t>(0);
        r.put(static_cast<std::uint16_t>(a.parkings.size()));
        for (const BglParking& p : a.parkings) {
            const std::uint32_t flags = (p.nameCode & 0x3F) | ((p.type & 0xF) << 8) | ((p.number & 0xFFF) << 12) |
                                        (static_cast<std::uint32_t>(p.airlines) << 24);
            r.put(flags);
            r.put(p.radiusM);
            r.put(p.headingDeg);
            r.zeros(16); // tee offsets
            r.put(bgl::packLongitude(p.lon));
            r.put(bgl::packLatitude(p.lat));
            for (int i = 0; i < p.airlines; ++i) r.put<std::uint32_t>(bgl::packIdent("KLM"));
        }
        r.putAt<std::uint32_t>(at + 2, static_cast<std::uint32_t>(r.size() - at));
    }
    r.putAt<std::uint32_t>(2, static_cast<std::uint32_t>(r.size()));
    return r.data;
}

} // namespace

std::vector<char> gf_bglFile(const std::vector<BglAirport>& airports) {
    constexpr std::uint32_t kSections = 2;
    constexpr std::uint32_t kSubsectionEntry = 16;
    Out f;
    f.put(bgl::kMagic);
    f.put(bgl::kHeaderSize);
    f.zeros(bgl::kSectionCountOffset - f.size());
    f.put(kSections);
    f.zeros(bgl::kHeaderSize - f.size());
    const std::size_t sectionTable = f.size();
    f.zeros(kSections * bgl::kSectionEntrySize);
    // An unrelated section first (terrain, say), with no subsections.
    const std::size_t airportTable = f.size();
    f.zeros(airports.size() * kSubsectionEntry);
    std::vector<std::pair<std::size_t, std::size_t>> placed;
    for (const BglAirport& a : airports) {
        const auto record = lf_airportRecord(a);
        placed.emplace_back(f.size(), record.size());
        f.data.insert(f.data.end(), record.begin(), record.end());
    }
    f.putAt<std::uint32_t>(sectionTable, 0x65);
    f.putAt<std::uint32_t>(sectionTable + 4, 1);
    f.putAt<std::uint32_t>(sectionTable + bgl::kSectionEntrySize, bgl::kAirportSection);
    f.putAt<std::uint32_t>(sectionTable + bgl::kSectionEntrySize + 4, 1);
    f.putAt<std::uint32_t>(sectionTable + bgl::kSectionEntrySize + 8, static_cast<std::uint32_t>(airports.size()));
    f.putAt<std::uint32_t>(sectionTable + bgl::kSectionEntrySize + 12, static_cast<std::uint32_t>(airportTable));
    f.putAt<std::uint32_t>(sectionTable + bgl::kSectionEntrySize + 16, static_cast<std::uint32_t>(airports.size() * kSubsectionEntry));
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const std::size_t entry = airportTable + i * kSubsectionEntry;
        f.putAt<std::uint32_t>(entry, 0x1234);
        f.putAt<std::uint32_t>(entry + 4, 1);
        f.putAt<std::uint32_t>(entry + 8, static_cast<std::uint32_t>(placed[i].first));
        f.putAt<std::uint32_t>(entry + 12, static_cast<std::uint32_t>(placed[i].second));
    }
    return f.data;
}

void gf_writeBglFile(const std::filesystem::path& file, const std::vector<BglAirport>& airports) {
    std::filesystem::create_directories(file.parent_path());
    const auto bytes = gf_bglFile(airports);
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

} // namespace vorl::tools
