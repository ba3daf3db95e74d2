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
// MSFS's airport record; Prepar3D and FSX write the same section with records of their own.
inline constexpr std::uint16_t kAirportRecord = 0x56;
inline constexpr std::uint16_t kFsxAirportRecord = 0x3C;
inline constexpr std::uint16_t kPrepar3dAirportRecord = 0xAB;
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
// A helipad sub-record: surface (u8) at 6, type in bits 0-3 of the u8 at 7, colour (u32) at 8,
// packed longitude, latitude and altitude at 12, 16, 20, then length, width, heading (f32).
inline constexpr std::uint32_t kHelipadType = 7;
inline constexpr std::uint32_t kHelipadLongitude = 12;
inline constexpr std::uint32_t kHelipadLatitude = 16;
inline constexpr std::uint32_t kHelipadLength = 24;
inline constexpr std::uint32_t kHelipadWidth = 28;
inline constexpr std::uint32_t kHelipadHeading = 32;
inline constexpr std::uint32_t kHelipadSize = 36;
// The parking list starts with a 16-bit count at 6; its first parking at 8.
inline constexpr std::uint32_t kParkingCount = 6;
inline constexpr std::uint32_t kFirstParking = 8;
// A taxiway parking: flags word, radius, heading, four tee offsets, packed longitude and latitude
// (36 bytes), one 4-byte airline code for each counted in bits 24-31 of the flags, then 20 bytes
// of which the second is the suffix of the stand's name.
inline constexpr std::uint32_t kParkingRadius = 4;
inline constexpr std::uint32_t kParkingHeading = 8;
inline constexpr std::uint32_t kParkingLongitude = 28;
inline constexpr std::uint32_t kParkingLatitude = 32;
inline constexpr std::uint32_t kParkingFixedSize = 36;
inline constexpr std::uint32_t kAirlineCodeSize = 4;
inline constexpr std::uint32_t kParkingTrailerSize = 20;
inline constexpr std::uint32_t kParkingSuffixInTrailer = 1;

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
inline std::uint32_t parkingSize(std::uint32_t flags) {
    return kParkingFixedSize + kAirlineCodeSize * static_cast<std::uint32_t>(parkingAirlines(flags)) + kParkingTrailerSize;
}
// Name suffixes use the letter codes of the names (12 = A .. 37 = Z); 0 is none.
inline bool isSuffixLetter(int code) { return code >= 12 && code <= 37; }

} // namespace vorl::bgl
