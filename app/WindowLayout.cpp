#include "app/WindowLayout.h"

#include <algorithm>

#include <fmt/format.h>

#include "app/Parameters.h"

namespace vorl {
namespace {

ControlSpec lf_check(int id, int x, int row, const char* key) {
    return {id, ControlKind::CheckBox, x, row, 12, 0, key, {}};
}
ControlSpec lf_list(int id, int x, int row, int width, int listHeight, const char* key) {
    return {id, ControlKind::DropDownList, x, row, width, listHeight, key, {}};
}
ControlSpec lf_edit(int id, int x, int row, int width, const char* key) {
    return {id, ControlKind::EditBox, x, row, width, 0, key, {}};
}
ControlSpec lf_button(int id, int x, int row, int width, const char* text) {
    return {id, ControlKind::PushButton, x, row, width, 0, {}, text};
}

} // namespace

const std::vector<ControlSpec>& gf_controls() {
    static const std::vector<ControlSpec> controls{
        lf_list(0x8015, 5, 119, 105, 80, "SIM_CHOICE"),
        lf_edit(0x8014, 111, 119, 1200, "ALL_INSTALL_PATH"),
        lf_check(0x801e, 5, 147, "SCAN_LIVERIES"),
        lf_check(0x801f, 217, 147, "LIG_AUTOMATIC"),
        lf_list(0x8016, 323, 147, 175, 300, "AI_PACKAGE_SELECTOR"),
        lf_check(0x8020, 536, 147, "LIG_PRIORITIZE"),
        lf_check(0x8003, 748, 147, "ALWAYS_ON_TOP"),
        lf_check(0x8022, 5, 175, "SCAN_AIRPORTS"),
        lf_button(control::kTbloZip, 217, 175, 80, "tblo.zip"),
        lf_check(0x8007, 652, 175, "OBJECTID_LIST"),
        lf_check(0x8006, 748, 175, "NAV_LIGHTS_WHILE_PARKED"),
        lf_list(0x8028, 217, 203, 40, 120, "MATCHING_DEPTH"),
        lf_check(0x8029, 323, 203, "LIGHT_AIRCRAFT"),
        lf_check(0x802a, 430, 203, "HELICOPTERS"),
        lf_check(0x802b, 536, 203, "HIGH_PERF_AIRCRAFT"),
        lf_check(0x8005, 748, 203, "GUID_CHANGES"),
        lf_list(0x8032, 217, 231, 50, 200, "RANGE"),
        lf_check(0x8033, 323, 231, "AUTO_RANGE"),
        lf_list(0x8034, 455, 231, 70, 230, "AR_ABOVE_HEIGHT"),
        lf_check(0x8035, 572, 231, "AIRBORNE_ONLY"),
        lf_list(0x805a, 748, 231, 45, 200, "TIME_SHIFT_DAYS"),
        lf_button(control::kUnblock, 223, 257, 60, "Unblock"),
        lf_button(control::kCallsignToObjectId, 305, 257, 60, "cs->oid:"),
        lf_button(control::kBlock, 576, 257, 60, "Block"),
        lf_edit(0x803c, 107, 259, 100, "BLOCK_CALLSIGN"),
        lf_list(0x803f, 375, 259, 100, 300, "CALLSIGN_2_OBJECTID"),
        lf_check(0x805d, 652, 259, "SIM_TIME"),
        lf_list(0x805b, 748, 259, 45, 200, "TIME_SHIFT_HOURS"),
        lf_check(0x8042, 217, 287, "COLLISION_USER_GND"),
        lf_check(0x8041, 323, 287, "COLLISION_USER_AIR"),
        lf_check(0x8043, 430, 287, "COLLISION_LIVE_PARKED_GND"),
        lf_check(0x805e, 652, 287, "KEEP_SIM_TIME_PAR"),
        lf_list(0x805c, 748, 287, 45, 300, "TIME_SHIFT_MINS"),
        lf_button(control::kNow, 111, 313, 45, "Now"),
        lf_list(0x8050, 323, 315, 55, 144, "MAX_PARK_SEL"),
        lf_list(0x8051, 536, 315, 55, 144, "MAX_LIVE_SEL"),
        lf_check(0x8057, 652, 315, "STRAIGHT_PBS_ONLY"),
        lf_button(control::kReRead, 758, 341, 90, "Re-read"),
        lf_edit(0x8047, 217, 343, 50, "DESTINATION"),
        lf_list(0x8048, 353, 343, 45, 144, "AIRP_RANGE"),
        lf_list(0x8049, 566, 343, 70, 230, "AIRP_HEIGHT"),
        lf_button(control::kFlushStatic, 758, 369, 90, "Flush static"),
        lf_check(0x8053, 5, 371, "INITIAL_LOAD_ONLY"),
        lf_check(0x8055, 71, 371, "WEEK"),
        lf_check(0x8054, 151, 371, "PARK_SOFT"),
        lf_list(0x8052, 323, 371, 50, 200, "parking_percentage"),
        lf_list(0x8056, 566, 371, 60, 300, "MAX_FIT_FL"),
        lf_check(0x8058, 667, 371, "RT_PARKTRAFFIC_ONLY"),
    };
    return controls;
}

const ControlSpec* gf_controlById(int id) {
    const auto& all = gf_controls();
    const auto it = std::find_if(all.begin(), all.end(), [id](const ControlSpec& c) { return c.id == id; });
    return it == all.end() ? nullptr : &*it;
}

const ControlSpec* gf_controlBySetting(const std::string& key) {
    const auto& all = gf_controls();
    const auto it = std::find_if(all.begin(), all.end(), [&](const ControlSpec& c) { return c.settingKey == key; });
    return it == all.end() ? nullptr : &*it;
}

std::vector<LabelSpec> gf_labels() {
    const Parameters& p = gf_params();
    const auto plural = [](const char* word, int n) { return fmt::format("{}{}", word, n == 1 ? "" : "s"); };
    return {
        {"Scan for liveries", 21, 147},
        {"Automatic:", 233, 147},
        {"Prioritize", 552, 147},
        {"Stay on top", 764, 147},
        {"Scan for addon airports", 21, 175},
        {"Oid list", 668, 175},
        {"Nav lights", 764, 175},
        {"Max aircraft matching depth", 5, 203},
        {"Optional:", 262, 203},
        {"Light aircraft", 339, 203},
        {"Helicopters", 446, 203},
        {"FighterJets", 552, 203},
        {"GUID changes", 764, 203},
        {"Traffic injection", 5, 231},
        {"Radius:", 170, 231},
        {"nm, or", 270, 231},
        {"Auto radius", 339, 231},
        {"Ah:", 432, 231},
        {"AirOnly", 588, 231},
        {"Time shift:", 680, 231},
        {plural("day", p.TIME_SHIFT_DAYS.value()), 797, 231},
        {"Block callsign:", 5, 259},
        {"Sim Time", 668, 259},
        {plural("hour", p.TIME_SHIFT_HOURS.value()), 797, 259},
        {"Collision avoidance", 5, 287},
        {"User ground", 233, 287},
        {"User air", 339, 287},
        {"Live X parked", 446, 287},
        {"Keep", 668, 287},
        {plural("minute", p.TIME_SHIFT_MINS.value()), 797, 287},
        {"Airport parking", 5, 315},
        {"Max park (static+live):", 165, 315},
        {"Max live (park incl):", 400, 315},
        {"Straight push backs only", 668, 315},
        {"Destination:", 140, 343},
        {"Range:", 305, 343},
        {"Height above gnd:", 450, 343},
        {"ILO", 21, 371},
        {"Week", 87, 371},
        {"Soft", 167, 371},
        {"Target: ", 270, 371},
        {"Max fit:", 515, 371},
        {"hrs", 630, 371},
        {"PT only", 683, 371},
    };
}

std::vector<std::string> gf_listEntries(const Parameter& p) {
    std::vector<std::string> entries;
    if (const auto* i = dynamic_cast<const IntChoiceParameter*>(&p)) {
        for (const int v : i->choices()) entries.push_back(fmt::format("{}", v));
    } else if (const auto* f = dynamic_cast<const FloatChoiceParameter*>(&p)) {
        entries = f->choiceTexts();
    } else if (const auto* t = dynamic_cast<const TextChoiceParameter*>(&p)) {
        entries = t->choices();
    }
    return entries;
}

std::optional<std::size_t> gf_selectedListIndex(const Parameter& p) {
    if (const auto* i = dynamic_cast<const IntChoiceParameter*>(&p)) return i->selectedIndex();
    if (const auto* f = dynamic_cast<const FloatChoiceParameter*>(&p)) return f->selectedIndex();
    if (const auto* t = dynamic_cast<const TextChoiceParameter*>(&p)) return t->selectedIndex();
    return std::nullopt;
}

} // namespace vorl
