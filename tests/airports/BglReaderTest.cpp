#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include <fmt/format.h>

#include "airports/BglFormat.h"
#include "airports/BglReader.h"
#include "common/Geodesy.h"
#include "common/Log.h"
#include "tests/support/TempFolder.h"
#include "tools/sceneries/BglWriter.h"

using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;
using vorl::tools::BglAirport;
using vorl::tools::BglParking;

namespace {

class BglReaderTest : public ::testing::Test {
protected:
    void SetUp() override { Log::instance().open(folder / "log.txt"); }
    void TearDown() override { Log::instance().close(); }
    std::string log() const { return readFile(folder / "log.txt"); }

    const Stand* stand(const ScannedAirport& a, const std::string& id) const {
        for (const Stand& s : a.file.stands)
            if (s.id == id) return &s;
        return nullptr;
    }

    TempFolder folder;
};

BglAirport lf_lelystad() {
    BglAirport a{"EHLE", "Lelystad", 52.4594, 5.5199, 12.0, {}, {}};
    a.helipads = {{52.4580, 5.5200, 30.0f, 20.0f, 90.0f},
                  {52.4580, 5.5200, 30.0f, 20.0f, 90.0f}, // the same pad again
                  {0.0, 0.0, 20.0f, 20.0f, 0.0f}};
    a.parkings = {{12, 9, 4, 2, 24.0f, 180.0f, 52.4601, 5.5201}, // A4, with two airline codes after it
                  {12, 9, 4, 0, 24.0f, 180.0f, 52.4602, 5.5202}, // A4 again -> A4a
                  {2, 2, 7, 0, 10.0f, 45.0f, 52.4590, 5.5190},   // p7
                  {11, 8, 3, 0, 15.0f, 0.0f, 52.4591, 5.5191},   // dock: no prefix
                  {1, 13, 9, 0, 5.0f, 0.0f, 52.4592, 5.5192},    // vehicles
                  {1, 0, 8, 0, 5.0f, 0.0f, 52.4593, 5.5193},     // type none
                  {1, 5, 10, 0, 30.0f, 270.0f, 0.0, 0.0}};       // no position
    return a;
}

TEST(BglFormatTest, PackedValuesRoundTrip) {
    for (const double lat : {-89.5, -33.9, 0.1, 52.4594, 89.9})
        EXPECT_NEAR(bgl::unpackLatitude(bgl::packLatitude(lat)), lat, 1e-6);
    for (const double lon : {-179.9, -0.01, 5.5199, 151.2, 179.9})
        EXPECT_NEAR(bgl::unpackLongitude(bgl::packLongitude(lon)), lon, 1e-6);
    for (const char* ident : {"EHLE", "K2J0", "A", "LFPG"}) EXPECT_EQ(bgl::unpackIdent(bgl::packIdent(ident)), ident);
    EXPECT_EQ(bgl::subsectionEntrySize(1), 16u);
    EXPECT_EQ(bgl::subsectionEntrySize(0x10001), 20u);
}

TEST_F(BglReaderTest, ReadsTheStandsOfTheAirportRecord) {
    tools::gf_writeBglFile(folder / "ehle.bgl", {lf_lelystad()});
    ScannedAirport a;
    ASSERT_TRUE(gf_readBglAirport(folder / "ehle.bgl", "EHLE", a));
    EXPECT_EQ(a.file.name, "Lelystad");
    EXPECT_NEAR(a.latitude, 52.4594, 1e-6);
    EXPECT_EQ(a.file.elevationFeet, 39);
    EXPECT_FALSE(a.file.facilities);

    std::vector<std::string> ids;
    for (const Stand& s : a.file.stands) ids.push_back(s.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"helipad1", "A4", "A4a", "p7", "3"}));

    const Stand* gate = stand(a, "A4a");
    ASSERT_NE(gate, nullptr);
    EXPECT_NEAR(gate->latitude, 52.4602, 1e-6) << "the airline codes of A4 were stepped over";
    EXPECT_NEAR(gate->longitude, 5.5202, 1e-6);
    EXPECT_NEAR(gate->heading, kPi, 1e-6);
    EXPECT_NEAR(gate->radius, 24.0 * kMetersToNm, 1e-9);
    EXPECT_EQ(gate->type, 9);
    EXPECT_TRUE(stand(a, "p7")->ramp);
    const Stand* pad = stand(a, "helipad1");
    EXPECT_TRUE(pad->heli);
    EXPECT_NEAR(pad->radius, 15.0 * kMetersToNm, 1e-9) << "half the helipad's length";

    const std::string text = log();
    EXPECT_NE(text.find("double helipad 52.458000,5.520000 (skipped) "), std::string::npos);
    EXPECT_NE(text.find("lat/lon helipad incorrect (skipped): 0.000000,0.000000"), std::string::npos);
    EXPECT_NE(text.find("LatLon 0.000000,0.000000 invalid (skipped)"), std::string::npos);
}

TEST_F(BglReaderTest, FindsTheWantedAirportAmongSeveralAndSuffixesRepeatedIds) {
    BglAirport other{"EHAM", "Schiphol", 52.3, 4.76, 0.0, {}, {{12, 9, 1, 0, 20.0f, 0.0f, 52.31, 4.77}}};
    BglAirport crowded{"EHRD", "Rotterdam", 51.95, 4.43, 0.0, {}, {}};
    for (int i = 0; i < 13; ++i) crowded.parkings.push_back({1, 2, 5, 0, 10.0f, 0.0f, 51.951 + i * 1e-4, 4.431});
    tools::gf_writeBglFile(folder / "two.bgl", {other, crowded});
    ScannedAirport a;
    ASSERT_TRUE(gf_readBglAirport(folder / "two.bgl", "EHRD", a));
    ASSERT_EQ(a.file.stands.size(), 11u) << "r5, r5a .. r5j; the rest have no letter left";
    EXPECT_EQ(a.file.stands[1].id, "r5a");
    EXPECT_EQ(a.file.stands[10].id, "r5j");
    EXPECT_NE(log().find("Warning: more than 10 duplicate IDs r5 in"), std::string::npos);

    ScannedAirport none;
    EXPECT_FALSE(gf_readBglAirport(folder / "two.bgl", "EHLE", none)) << "two airports, neither the one wanted";
}

TEST_F(BglReaderTest, BrokenFilesAreReportedNotFatal) {
    const auto bytes = tools::gf_bglFile({lf_lelystad()});
    writeFile(folder / "cut.bgl", std::string_view(bytes.data(), 150));
    writeFile(folder / "text.bgl", "this is not a scenery file at all, only some text to read");
    writeFile(folder / "empty.bgl", "");
    ScannedAirport a;
    EXPECT_FALSE(gf_readBglAirport(folder / "cut.bgl", "EHLE", a));
    EXPECT_FALSE(gf_readBglAirport(folder / "text.bgl", "EHLE", a));
    EXPECT_FALSE(gf_readBglAirport(folder / "empty.bgl", "EHLE", a));
    EXPECT_FALSE(gf_readBglAirport(folder / "missing.bgl", "EHLE", a));
    // Cut inside the parking list: the airport is there with the helipad before the list.
    const std::string name = "Lelystad";
    const auto nameAt = static_cast<std::size_t>(std::search(bytes.begin(), bytes.end(), name.begin(), name.end()) - bytes.begin());
    const std::size_t cutAt = nameAt + name.size() + 16 + 36 + 20;
    writeFile(folder / "short.bgl", std::string_view(bytes.data(), cutAt));
    ScannedAirport cut;
    EXPECT_TRUE(gf_readBglAirport(folder / "short.bgl", "EHLE", cut));
    ASSERT_EQ(cut.file.stands.size(), 1u);
    EXPECT_EQ(cut.file.stands.front().id, "helipad1");
    EXPECT_NE(log().find(fmt::format("exceeded data buffer size ({}), aborting.", cutAt)), std::string::npos);
    const std::string text = log();
    EXPECT_NE(text.find(" possible corrupt BGL or malformed input in:\n'"), std::string::npos);
    EXPECT_NE(text.find("Exception in lf_processBGLfile: not a BGL file"), std::string::npos);

    // A sub-record claiming size 0 ends the walk with what was read so far.
    auto zeroed = bytes;
    const auto at = std::search(zeroed.begin(), zeroed.end(), name.begin(), name.end()) - zeroed.begin();
    const std::size_t nextSubrecord = static_cast<std::size_t>(at) + name.size();
    std::fill(zeroed.begin() + static_cast<long>(nextSubrecord) + 2, zeroed.begin() + static_cast<long>(nextSubrecord) + 6, 0);
    writeFile(folder / "zero.bgl", std::string_view(zeroed.data(), zeroed.size()));
    ScannedAirport z;
    EXPECT_TRUE(gf_readBglAirport(folder / "zero.bgl", "EHLE", z));
    EXPECT_TRUE(z.file.stands.empty());
    EXPECT_NE(log().find("   Warning: decodeSizeAtBoundary returned 0 at o3 = "), std::string::npos);
}

// Little-endian bytes as a compiled BGL holds them, written out one field at a time so that the
// layout below can be read against the format description.
struct Bytes {
    std::string data;
    Bytes& u8(std::uint8_t v) { return raw(&v, 1); }
    Bytes& u16(std::uint16_t v) { return raw(&v, 2); }
    Bytes& u32(std::uint32_t v) { return raw(&v, 4); }
    Bytes& i32(std::int32_t v) { return raw(&v, 4); }
    Bytes& f32(float v) { return raw(&v, 4); }
    Bytes& text(const std::string& t) { return raw(t.data(), t.size()); }
    Bytes& zeros(std::size_t n) {
        data.append(n, '\0');
        return *this;
    }
    Bytes& raw(const void* p, std::size_t n) {
        data.append(static_cast<const char*>(p), n);
        return *this;
    }
};

// A compiled MSFS airport, byte by byte: a scenery-object section before the airport section,
// the airport record 0x0056 with its 68-byte header, a parking list 0x00E7 whose entries take
// 56 + 4 n bytes (the second byte after the airline codes is the name suffix), and a 36-byte
// helipad 0x0026 after the list. The airport lies below sea level, as EHLE does.
std::string lf_handWrittenMsfsAirport() {
    Bytes b;
    b.u32(0x19920201).u32(0x38).zeros(0x14 - 8).u32(2).zeros(0x38 - 0x18); // header, two sections
    b.u32(0x25).u32(0x1).u32(1).u32(96).u32(16);                         // 0x38: scenery objects, 16-byte entries
    b.u32(0x03).u32(0x10001).u32(1).u32(132).u32(20);                    // 0x4C: airports, 20-byte entries
    b.u32(0x1111).u32(1).u32(112).u32(20);                               // 96: its one subsection
    b.u16(0x000B).u32(20).zeros(14);                                     // 112: a library object
    b.u32(0x2222).u32(0x3333).u32(1).u32(152).u32(302);                  // 132: the airport subsection
    // 152: the airport record, 302 bytes.
    b.u16(0x0056).u32(302).u8(0).u8(0).u8(0).u8(0).u8(0).u8(1);
    b.u32(0x18bc699f).u32(0x06ac83b1).i32(-4000); // 12: 5.5199 E, 52.4594 N, -4 m
    b.zeros(12).f32(0.0f).u32(0x01ba84c0).zeros(24); // 24: tower, 36: variation, 40: EHLE, 44..67
    b.u16(0x0019).u32(14).text("Lelystad");          // 68: name
    b.u16(0x00E7).u32(184).u16(3);                   // 82: three parkings
    // A4 (name 12, type 9, number 4) with two airline codes.
    b.u32(0x0200490C).f32(24.0f).f32(180.0f).zeros(16).u32(0x18bc6b5f).u32(0x06ac7b89);
    b.text("KLM").u8(0).text("DLH").u8(0);
    b.u8(0).u8(0).zeros(18);
    // A4 again with suffix 0x0D: A4B.
    b.u32(0x0000490C).f32(30.0f).f32(90.0f).zeros(16).u32(0x18bc6c3e).u32(0x06ac7a5f);
    b.u8(0).u8(0x0D).zeros(18);
    // B4 (name 13): the same number under another name.
    b.u32(0x0000490D).f32(24.0f).f32(0.0f).zeros(16).u32(0x18bc6b5f).u32(0x06ac7b89);
    b.u8(0).u8(0).zeros(18);
    // 266: a square helipad (type 2, transparent bit set) of 30 x 20 m heading 90.
    b.u16(0x0026).u32(36).u8(4).u8(0x12).u32(0xFFFFFFFF).u32(0x18bc6a7f).u32(0x06ac9401).i32(-4000);
    b.f32(30.0f).f32(20.0f).f32(90.0f);
    return b.data;
}

TEST_F(BglReaderTest, ReadsTheRealMsfsLayoutWrittenOutByHand) {
    const std::string bytes = lf_handWrittenMsfsAirport();
    ASSERT_EQ(bytes.size(), 152u + 302u);
    writeFile(folder / "polygon.bgl", bytes);
    ScannedAirport a;
    ASSERT_TRUE(gf_readBglAirport(folder / "polygon.bgl", "EHLE", a));
    EXPECT_EQ(a.file.name, "Lelystad");
    EXPECT_NEAR(a.latitude, 52.4594, 1e-6);
    EXPECT_NEAR(a.longitude, 5.5199, 1e-6);
    EXPECT_EQ(a.file.elevationFeet, -13);
    std::vector<std::string> ids;
    for (const Stand& s : a.file.stands) ids.push_back(s.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"A4", "A4B", "B4", "helipad1"}));
    const Stand* a4b = stand(a, "A4B");
    ASSERT_NE(a4b, nullptr);
    EXPECT_NEAR(a4b->latitude, 52.4602, 1e-6) << "the parking after A4's airline codes and trailer";
    EXPECT_NEAR(a4b->longitude, 5.5202, 1e-6);
    EXPECT_NEAR(a4b->heading, kPi / 2, 1e-9);
    EXPECT_NEAR(a4b->radius, 30.0 * kMetersToNm, 1e-9);
    const Stand* b4 = stand(a, "B4");
    ASSERT_NE(b4, nullptr);
    EXPECT_NEAR(b4->latitude, 52.4601, 1e-6);
    const Stand* pad = stand(a, "helipad1");
    ASSERT_NE(pad, nullptr);
    EXPECT_TRUE(pad->heli);
    EXPECT_NEAR(pad->latitude, 52.4580, 1e-6) << "not the colour word";
    EXPECT_NEAR(pad->longitude, 5.5200, 1e-6);
    EXPECT_NEAR(pad->heading, kPi / 2, 1e-9);
    EXPECT_NEAR(pad->radius, 15.0 * kMetersToNm, 1e-9);
}

TEST_F(BglReaderTest, AParkingListLongerThanItsRecordIsReported) {
    std::string bytes = lf_handWrittenMsfsAirport();
    // The list claims 180 bytes: its last parking would run past it.
    const std::uint32_t shorter = 180;
    std::memcpy(bytes.data() + 152 + 82 + 2, &shorter, 4);
    writeFile(folder / "short-list.bgl", bytes);
    ScannedAirport a;
    EXPECT_FALSE(gf_readBglAirport(folder / "short-list.bgl", "EHLE", a));
    EXPECT_NE(log().find(" possible corrupt BGL or malformed input in:\n'"), std::string::npos);
}

TEST_F(BglReaderTest, Prepar3dFilesAreSkippedWithAClearLine) {
    // The same container with Prepar3D's airport record 0x00AB (60-byte header).
    Bytes b;
    b.u32(0x19920201).u32(0x38).zeros(0x14 - 8).u32(1).zeros(0x38 - 0x18);
    b.u32(0x03).u32(0x1).u32(1).u32(76).u32(16);
    b.u32(0x1111).u32(1).u32(92).u32(74);
    b.u16(0x00AB).u32(74).zeros(6).u32(0x18bc699f).u32(0x06ac83b1).i32(0).zeros(16).u32(0x01ba84c0).zeros(16);
    b.u16(0x0019).u32(14).text("Lelystad");
    ASSERT_EQ(b.data.size(), 92u + 74u);
    writeFile(folder / "p3d.bgl", b.data);
    ScannedAirport a;
    EXPECT_FALSE(gf_readBglAirport(folder / "p3d.bgl", "EHLE", a));
    EXPECT_NE(log().find("p3d.bgl is a Prepar3D BGL (airport record 0x00AB), not one of MSFS: skipped"), std::string::npos);

    // Our writer's Prepar3D file says the same.
    tools::gf_writeBglFile(folder / "written-p3d.bgl", {lf_lelystad()}, tools::BglSimulator::Prepar3d);
    EXPECT_FALSE(gf_readBglAirport(folder / "written-p3d.bgl", "EHLE", a));
    EXPECT_NE(log().find("written-p3d.bgl is a Prepar3D BGL"), std::string::npos);
}

TEST_F(BglReaderTest, AFileWithoutAirportIsNoAirport) {
    tools::gf_writeBglFile(folder / "AIRPORT.BGL", {});
    ScannedAirport a;
    EXPECT_FALSE(gf_readBglAirport(folder / "AIRPORT.BGL", "EHLE", a));
    EXPECT_NE(log().find("no airport in "), std::string::npos);
}

// The writer's bytes against the layout, written out by hand: the offsets below come from the
// format description, not from the writer or the reader.
TEST(BglWriterTest, WritesTheRealMsfsLayout) {
    BglAirport a{"EHLE", "Lelystad", 52.4594, 5.5199, -4.0, {}, {}};
    a.parkings = {{12, 9, 4, 2, 24.0f, 180.0f, 52.4601, 5.5201, 0}, {12, 9, 4, 0, 30.0f, 90.0f, 52.4602, 5.5202, 13}};
    a.helipads = {{52.4580, 5.5200, 30.0f, 20.0f, 90.0f, 2}};
    const auto file = tools::gf_bglFile({a});
    const auto u8 = [&](std::size_t at) { return static_cast<std::uint8_t>(file.at(at)); };
    const auto u16 = [&](std::size_t at) { return static_cast<std::uint16_t>(u8(at) | u8(at + 1) << 8); };
    const auto u32 = [&](std::size_t at) { return static_cast<std::uint32_t>(u16(at) | static_cast<std::uint32_t>(u16(at + 2)) << 16); };
    const auto f32 = [&](std::size_t at) {
        const std::uint32_t bits = u32(at);
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    };
    ASSERT_EQ(u32(0), 0x19920201u);
    const std::uint32_t sections = u32(0x14);
    std::optional<std::size_t> airport;
    std::vector<std::uint32_t> types;
    for (std::uint32_t s = 0; s < sections; ++s) {
        const std::size_t entry = u32(4) + s * 20;
        types.push_back(u32(entry));
        if (u32(entry) != 0x03) continue;
        const std::size_t entrySize = u32(entry + 4) == 0x10001 ? 20 : 16;
        ASSERT_EQ(u32(entry + 8), 1u);
        const std::size_t sub = u32(entry + 12);
        EXPECT_EQ(u32(sub + entrySize - 12), 1u); // one record
        airport = u32(sub + entrySize - 8);
        EXPECT_EQ(u32(sub + entrySize - 4), u32(*airport + 2)); // the subsection is the record
    }
    EXPECT_EQ(types, (std::vector<std::uint32_t>{0x25, 0x65, 0x03})) << "scenery objects and terrain first";
    ASSERT_TRUE(airport);
    const std::size_t r = *airport;
    EXPECT_EQ(u16(r), 0x0056);
    EXPECT_EQ(u8(r + 11), 1u); // helipads
    EXPECT_EQ(u32(r + 12), 0x18bc699fu);
    EXPECT_EQ(u32(r + 16), 0x06ac83b1u);
    EXPECT_EQ(u32(r + 20), 0xfffff060u); // -4000 mm
    EXPECT_EQ(u32(r + 40), 0x01ba84c0u); // EHLE
    // Sub-records from 68: name, a runway, the helipad, the parkings.
    std::size_t o = r + 68;
    EXPECT_EQ(u16(o), 0x0019);
    EXPECT_EQ(u32(o + 2), 14u);
    o += u32(o + 2);
    EXPECT_EQ(u16(o), 0x00CE);
    o += u32(o + 2);
    ASSERT_EQ(u16(o), 0x0026);
    EXPECT_EQ(u32(o + 2), 36u);
    EXPECT_EQ(u8(o + 7) & 0xF, 2);
    EXPECT_EQ(u32(o + 12), 0x18bc6a7fu);
    EXPECT_EQ(u32(o + 16), 0x06ac9401u);
    EXPECT_EQ(f32(o + 24), 30.0f);
    EXPECT_EQ(f32(o + 28), 20.0f);
    EXPECT_EQ(f32(o + 32), 90.0f);
    o += 36;
    ASSERT_EQ(u16(o), 0x00E7);
    EXPECT_EQ(u32(o + 2), 8u + (56 + 8) + 56);
    EXPECT_EQ(u16(o + 6), 2);
    const std::size_t first = o + 8;
    EXPECT_EQ(u32(first), 0x0200490Cu);
    EXPECT_EQ(f32(first + 4), 24.0f);
    EXPECT_EQ(u32(first + 28), 0x18bc6b5fu);
    EXPECT_EQ(u32(first + 32), 0x06ac7b89u);
    EXPECT_EQ(std::string(file.data() + first + 36, 3), "KLM");
    EXPECT_EQ(u8(first + 44 + 1), 0u); // no suffix
    const std::size_t second = first + 64;
    EXPECT_EQ(u32(second), 0x0000490Cu);
    EXPECT_EQ(u32(second + 28), 0x18bc6c3eu);
    EXPECT_EQ(u32(second + 32), 0x06ac7a5fu);
    EXPECT_EQ(u8(second + 36 + 1), 13u); // suffix B
    EXPECT_EQ(second + 56, r + u32(r + 2)) << "the record ends with the list";
}

// The two ways of reading an add-on airport name its stands alike, suffix and all.
TEST_F(BglReaderTest, StandIdsMatchTheFacilityData) {
    BglAirport written{"EHLE", "Lelystad", 52.4594, 5.5199, 0.0, {}, {}};
    written.parkings = {{12, 9, 10, 0, 20.0f, 0.0f, 52.4601, 5.5201, 23},  // A10L
                        {13, 9, 10, 0, 20.0f, 0.0f, 52.4602, 5.5202, 0},   // B10
                        {2, 2, 7, 1, 10.0f, 0.0f, 52.4603, 5.5203, 12}};   // p7A
    tools::gf_writeBglFile(folder / "ehle.bgl", {written});
    ScannedAirport fromBgl;
    ASSERT_TRUE(gf_readBglAirport(folder / "ehle.bgl", "EHLE", fromBgl));

    FacilityAirport facility;
    facility.latitude = 52.4594;
    facility.longitude = 5.5199;
    facility.parkings = {{9, 12, 23, 10, 0.0f, 20.0f, 10.0f, 10.0f},
                         {9, 13, 0, 10, 0.0f, 20.0f, 20.0f, 10.0f},
                         {2, 2, 12, 7, 0.0f, 10.0f, 30.0f, 10.0f}};
    ScannedAirport fromFacilities;
    gf_takeFacilityData(facility, fromFacilities);

    std::vector<std::string> bglIds, facilityIds;
    for (const Stand& s : fromBgl.file.stands) bglIds.push_back(s.id);
    for (const Stand& s : fromFacilities.file.stands) facilityIds.push_back(s.id);
    EXPECT_EQ(bglIds, (std::vector<std::string>{"A10L", "B10", "p7A"}));
    EXPECT_EQ(bglIds, facilityIds);
}

} // namespace
