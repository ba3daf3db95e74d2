#pragma once
// The parts of the simulator's BGL scenery container that hold airports, as public format
// descriptions give them: a 0x38-byte file header with the section count at 0x14, a section
// table of 20-byte entries (type, subsection size code, subsection count, table offset, size),
// subsection tables of 16- or 20-byte entries (QMID(s), record count, data offset, data size),
// and records that start with a 16-bit id and a 32-bit size.
#include <cmath>
#include <cstdint>
#include <string>

namespace vorl::bgl {

inline constexpr std::uint32_t kMagic = 0x19920201;
inline constexpr std::uint32_t kHeaderSize = 0x38;
inline constexpr std::uint32_t kSectionCountOffset = 0x14;
inline constexpr std::uint32_t kSectionEntrySize = 20;
inline constexpr std::uint32_t kAirportSection = 0x3;
inline constexpr std::uint16_t kAirportRecord = 0x56;
// Sub-records of an airport start this far into its record.
inline constexpr std::uint32_t kAirportSubrecordsOffset = 68;
inline constexpr std::uint16_t kNameSubrecord = 0x19;
inline constexpr std::uint16_t kHelipadSubrecord = 0x26;
inline constexpr std::uint16_t kTaxiParkingSubrecord = 0xE7;

// Offsets inside an airport record.
inline constexpr std::uint32_t kAirportLongitude = 12;
inline constexpr std::uint32_t kAirportLatitude = 16;
inline constexpr std::uint32_t kAirportAltitude = 20; // millimetres
inline constexpr std::uint32_t kAirportIdent = 40;
// Offsets inside a helipad sub-record.
inline constexpr std::uint32_t kHelipadLongitude = 8;
inline constexpr std::uint32_t kHelipadLatitude = 12;
inline constexpr std::uint32_t kHelipadLength = 20;
inline constexpr std::uint32_t kHelipadWidth = 24;
inline constexpr std::uint32_t kHelipadHeading = 28;
inline constexpr std::uint32_t kHelipadSize = 32;
// A taxiway parking: flags word, radius, heading, four tee offsets, longitude, latitude, then
// one 4-byte airline code for each counted in bits 24-31 of the flags.
inline constexpr std::uint32_t kParkingWords = 9;

// Bytes per subsection entry, from the section's size code.
inline constexpr std::uint32_t subsectionEntrySize(std::uint32_t sizeCode) {
    return ((sizeCode & 0x10000u) | 0x40000u) >> 14;
}

inline double unpackLatitude(std::uint32_t v) { return 90.0 - v * (180.0 / (1u << 29)); }
inline double unpackLongitude(std::uint32_t v) { return v * (360.0 / (3.0 * (1u << 28))) - 180.0; }
inline std::uint32_t packLatitude(double lat) {
    return static_cast<std::uint32_t>(std::llround((90.0 - lat) * ((1u << 29) / 180.0)));
}
inline std::uint32_t packLongitude(double lon) {
    return static_cast<std::uint32_t>(std::llround((lon + 180.0) * (3.0 * (1u << 28) / 360.0)));
}

// Idents are base-38 numbers (blank 0, digits 2..11, letters 12..37) shifted left by 5 bits.
inline std::string unpackIdent(std::uint32_t v) {
    std::string text;
    for (v >>= 5; v > 0; v /= 38) {
        const std::uint32_t c = v % 38;
        text.insert(text.begin(), c >= 12 ? static_cast<char>('A' + c - 12) : c >= 2 ? static_cast<char>('0' + c - 2) : ' ');
    }
    return text;
}
inline std::uint32_t packIdent(const std::string& text) {
    std::uint32_t v = 0;
    for (const char ch : text) {
        const std::uint32_t c = ch >= 'A' && ch <= 'Z' ? 12u + (ch - 'A') : ch >= '0' && ch <= '9' ? 2u + (ch - '0') : 0u;
        v = v * 38 + c;
    }
    return v << 5;
}

// Parts of a taxiway parking's flags word.
inline int parkingName(std::uint32_t flags) { return static_cast<int>(flags & 0x3Fu); }
inline int parkingType(std::uint32_t flags) { return static_cast<int>((flags >> 8) & 0xFu); }
inline int parkingNumber(std::uint32_t flags) { return static_cast<int>((flags >> 12) & 0xFFFu); }
inline int parkingAirlines(std::uint32_t flags) { return static_cast<int>(flags >> 24); }

} // namespace vorl::bgl
