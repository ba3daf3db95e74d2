#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vorl {

// Identifiers of the window's controls that are not bound to a setting.
namespace control {
inline constexpr int kTbloZip = 0x8024;
inline constexpr int kUnblock = 0x803d;
inline constexpr int kCallsignToObjectId = 0x803e;
inline constexpr int kBlock = 0x8040;
inline constexpr int kNow = 0x804f;
inline constexpr int kReRead = 0x8046;
inline constexpr int kFlushStatic = 0x8059;
inline constexpr int kInstallPath = 0x8014;
inline constexpr int kPackageSelector = 0x8016;
inline constexpr int kScanAirports = 0x8022;
inline constexpr int kBlockCallsign = 0x803c;
inline constexpr int kCallsignList = 0x803f;
inline constexpr int kDestination = 0x8047;
inline constexpr int kParkingPercentage = 0x8052;
} // namespace control

inline constexpr int kWindowWidth = 880;
inline constexpr int kWindowHeight = 516;
// The status display uses the space above the first row of controls.
inline constexpr int kStatusAreaHeight = 112;
inline constexpr int kParkingPanelTop = 396;

enum class ControlKind { CheckBox, DropDownList, EditBox, PushButton };

// One control of the main window: where it stands and what it shows. Bound controls carry the
// key of their setting; push buttons their text.
struct ControlSpec {
    int id;
    ControlKind kind;
    int x;
    int row;        // top pixel row (buttons stand two pixels higher than their row)
    int width;      // lists, edits and buttons
    int listHeight; // lists
    std::string settingKey;
    std::string buttonText;
};

// A text painted beside the controls.
struct LabelSpec {
    std::string text;
    int x;
    int row;
};

// Every control in creation order (table order within each row).
const std::vector<ControlSpec>& gf_controls();
const ControlSpec* gf_controlById(int id);
const ControlSpec* gf_controlBySetting(const std::string& key);

// The painted labels; texts with "{}" take a plural "s" where their value asks for it.
std::vector<LabelSpec> gf_labels();

class Parameter;

// What the drop-down list of a choice setting offers, and which entry its value is; nothing when
// the value is none of the entries (the list then keeps its selection).
std::vector<std::string> gf_listEntries(const Parameter& parameter);
std::optional<std::size_t> gf_selectedListIndex(const Parameter& parameter);

} // namespace vorl
