#include "tools/sceneries/BglWriter.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace vorl::tools {
namespace {

// The layout is written out here from the public format descriptions, on purpose apart from the
// program's reader: a misreading shared by both would otherwise go unnoticed.
constexpr std::uint32_t kMagic = 0x19920201;
constexpr std::uint32_t kFileHeaderSize = 0x38;
constexpr std::uint32_t kSectionEntrySize = 20;
constexpr std::uint32_t kAirportSectionType = 0x03;
constexpr std::uint32_t kSceneryObjectSectionType = 0x25;
constexpr std::uint32_t kTerrainSectionType = 0x65;

constexpr std::uint16_t kMsfsAirport = 0x0056;
constexpr std::uint32_t kMsfsAirportHeader = 68;
constexpr std::uint16_t kPrepar3dAirport = 0x00AB;
constexpr std::uint32_t kPrepar3dAirportHeader = 60;
constexpr std::uint16_t kName = 0x0019;
constexpr std::uint16_t kMsfsRunway = 0x00CE;
constexpr std::uint16_t kHelipad = 0x0026;
constexpr std::uint16_t kMsfsParkings = 0x00E7;
constexpr std::uint16_t kPrepar3dParkings = 0x00AD;

class Out {
public:
    template <typename T> void put(T value) {
        const auto* bytes = reinterpret_cast<const char*>(&value);
        data.insert(data.end(), bytes, bytes + sizeof(T));
    }
    template <typename T> void putAt(std::size_t offset, T value) { std::memcpy(data.data() + offset, &value, sizeof(T)); }
    void zeros(std::size_t count) { data.insert(data.end(), count, '\0'); }
    void zerosTo(std::size_t size) { zeros(size - data.size()); }
    void append(const std::vector<char>& more) { data.insert(data.end(), more.begin(), more.end()); }
    std::size_t size() const { return data.size(); }
    std::vector<char> data;
};

// Latitude 90 .. -90 over 0 .. 2^29, longitude -180 .. 180 over 0 .. 3 * 2^28.
std::uint32_t lf_latitude(double lat) { return static_cast<std::uint32_t>(std::llround((90.0 - lat) / 180.0 * 536870912.0)); }
std::uint32_t lf_longitude(double lon) {
    return static_cast<std::uint32_t>(std::llround((lon + 180.0) / 360.0 * 805306368.0));
}

// Base 38 (blank 0, digits 2..11, letters 12..37), shifted left by five bits.
std::uint32_t lf_ident(const std::string& text) {
    std::uint32_t v = 0;
    for (const char ch : text) {
        const std::uint32_t c = ch >= 'A' && ch <= 'Z' ? 12u + (ch - 'A') : ch >= '0' && ch <= '9' ? 2u + (ch - '0') : 0u;
        v = v * 38 + c;
    }
    return v << 5;
}

void lf_position(Out& r, double lat, double lon, double altitudeM) {
    r.put(lf_longitude(lon));
    r.put(lf_latitude(lat));
    r.put(static_cast<std::int32_t>(std::lround(altitudeM * 1000.0)));
}

void lf_helipad(Out& r, const BglHelipad& h, double altitudeM) {
    r.put<std::uint16_t>(kHelipad);
    r.put<std::uint32_t>(36);
    r.put<std::uint8_t>(4);                              // surface: grass
    r.put<std::uint8_t>(static_cast<std::uint8_t>(h.type & 0xF));
    r.put<std::uint32_t>(0x00FFFFFF);                    // colour
    lf_position(r, h.lat, h.lon, altitudeM);
    r.put(h.lengthM);
    r.put(h.widthM);
    r.put(h.headingDeg);
}

void lf_parkings(Out& r, const std::vector<BglParking>& parkings, BglSimulator simulator) {
    const std::size_t at = r.size();
    r.put<std::uint16_t>(simulator == BglSimulator::Msfs ? kMsfsParkings : kPrepar3dParkings);
    r.put<std::uint32_t>(0); // size, below
    r.put(static_cast<std::uint16_t>(parkings.size()));
    for (const BglParking& p : parkings) {
        const std::uint32_t flags = (p.nameCode & 0x3F) | ((p.type & 0xF) << 8) | ((p.number & 0xFFF) << 12) |
                                    (static_cast<std::uint32_t>(p.airlines) << 24);
        r.put(flags);
        r.put(p.radiusM);
        r.put(p.headingDeg);
        r.zeros(16); // tee offsets
        r.put(lf_longitude(p.lon));
        r.put(lf_latitude(p.lat));
        for (int i = 0; i < p.airlines; ++i) r.append({'K', 'L', 'M', '\0'});
        if (simulator == BglSimulator::Msfs) {
            r.put<std::uint8_t>(0);
            r.put(static_cast<std::uint8_t>(p.suffix));
            r.zeros(18);
        } else {
            r.zeros(4);
        }
    }
    r.putAt<std::uint32_t>(at + 2, static_cast<std::uint32_t>(r.size() - at));
}

std::vector<char> lf_airportRecord(const BglAirport& a, BglSimulator simulator) {
    const bool msfs = simulator == BglSimulator::Msfs;
    Out r;
    r.put<std::uint16_t>(msfs ? kMsfsAirport : kPrepar3dAirport);
    r.put<std::uint32_t>(0); // size, below
    r.put<std::uint8_t>(1);  // runways
    r.put<std::uint8_t>(0);  // frequencies
    r.put<std::uint8_t>(0);  // starts
    r.put<std::uint8_t>(0);  // approaches
    r.put<std::uint8_t>(0);  // aprons
    r.put(static_cast<std::uint8_t>(a.helipads.size()));
    lf_position(r, a.lat, a.lon, a.altitudeM); // 12: the reference point
    lf_position(r, a.lat, a.lon, a.altitudeM); // 24: the tower
    r.put<float>(-2.0f);                        // 36: magnetic variation
    r.put(lf_ident(a.icao));                    // 40
    r.zerosTo(msfs ? kMsfsAirportHeader : kPrepar3dAirportHeader);
    r.put<std::uint16_t>(kName);
    r.put<std::uint32_t>(static_cast<std::uint32_t>(6 + a.name.size()));
    r.data.insert(r.data.end(), a.name.begin(), a.name.end());
    // A runway the reader steps over by its size.
    r.put<std::uint16_t>(kMsfsRunway);
    r.put<std::uint32_t>(16);
    r.zeros(10);
    // The first helipad before the parkings, the others after them.
    if (!a.helipads.empty()) lf_helipad(r, a.helipads.front(), a.altitudeM);
    if (!a.parkings.empty()) lf_parkings(r, a.parkings, simulator);
    for (std::size_t i = 1; i < a.helipads.size(); ++i) lf_helipad(r, a.helipads[i], a.altitudeM);
    r.putAt<std::uint32_t>(2, static_cast<std::uint32_t>(r.size()));
    return r.data;
}

struct Section {
    std::uint32_t type;
    std::uint32_t entrySize;           // 16 or 20 bytes per subsection entry
    std::vector<std::vector<char>> subsections;
};

// Bytes standing for what the reader does not read: library objects, terrain.
std::vector<char> lf_filler(std::uint16_t id, std::size_t size, char fill) {
    Out r;
    r.put(id);
    r.put(static_cast<std::uint32_t>(size));
    r.data.insert(r.data.end(), size - 6, fill);
    return r.data;
}

} // namespace

std::vector<char> gf_bglFile(const std::vector<BglAirport>& airports, BglSimulator simulator) {
    std::vector<Section> sections{{kSceneryObjectSectionType, 16, {lf_filler(0x000B, 40, '\x0B')}},
                                  {kTerrainSectionType, 16, {lf_filler(0x0000, 64, '\x65')}}};
    if (!airports.empty()) {
        Section airportSection{kAirportSectionType, 20, {}};
        for (const BglAirport& a : airports) airportSection.subsections.push_back(lf_airportRecord(a, simulator));
        sections.push_back(std::move(airportSection));
    }
    Out f;
    f.put(kMagic);
    f.put(kFileHeaderSize);
    f.zerosTo(0x14);
    f.put(static_cast<std::uint32_t>(sections.size()));
    f.zerosTo(kFileHeaderSize);
    const std::size_t sectionTable = f.size();
    f.zeros(sections.size() * kSectionEntrySize);
    for (std::size_t s = 0; s < sections.size(); ++s) {
        const Section& section = sections[s];
        const std::size_t table = f.size();
        const std::size_t tableSize = section.subsections.size() * section.entrySize;
        f.zeros(tableSize);
        for (std::size_t i = 0; i < section.subsections.size(); ++i) {
            const std::size_t data = f.size();
            f.append(section.subsections[i]);
            // An entry ends with the record count, the data offset and the data size; the 16-byte
            // entry has one QMID word before them, the 20-byte entry two.
            const std::size_t entry = table + i * section.entrySize;
            f.putAt<std::uint32_t>(entry, 0x00C0FFEE);
            f.putAt<std::uint32_t>(entry + section.entrySize - 12, 1);
            f.putAt<std::uint32_t>(entry + section.entrySize - 8, static_cast<std::uint32_t>(data));
            f.putAt<std::uint32_t>(entry + section.entrySize - 4, static_cast<std::uint32_t>(section.subsections[i].size()));
        }
        const std::size_t entry = sectionTable + s * kSectionEntrySize;
        f.putAt<std::uint32_t>(entry, section.type);
        f.putAt<std::uint32_t>(entry + 4, section.entrySize == 20 ? 0x10001u : 0x1u);
        f.putAt<std::uint32_t>(entry + 8, static_cast<std::uint32_t>(section.subsections.size()));
        f.putAt<std::uint32_t>(entry + 12, static_cast<std::uint32_t>(table));
        f.putAt<std::uint32_t>(entry + 16, static_cast<std::uint32_t>(tableSize));
    }
    return f.data;
}

void gf_writeBglFile(const std::filesystem::path& file, const std::vector<BglAirport>& airports, BglSimulator simulator) {
    std::filesystem::create_directories(file.parent_path());
    const auto bytes = gf_bglFile(airports, simulator);
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

} // namespace vorl::tools
