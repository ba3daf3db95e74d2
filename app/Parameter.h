#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorl {

enum class ParameterKind { Int, IntChoice, FloatChoice, Bool, Text, TextEdit, TextChoice };

// Where a bound setting's control sits in the main window.
struct ControlBinding {
    int id = 0;
    int row = 0;
};

// One named setting of parameters.xml. Values are read from several threads (the run loops
// poll booleans and integers), so each kind keeps its value in an atomic or under a lock.
class Parameter {
public:
    Parameter(std::string key, std::optional<ControlBinding> control) : key_(std::move(key)), control_(control) {}
    virtual ~Parameter() = default;
    Parameter(const Parameter&) = delete;
    Parameter& operator=(const Parameter&) = delete;

    const std::string& key() const { return key_; }
    const std::optional<ControlBinding>& control() const { return control_; }

    virtual ParameterKind kind() const = 0;
    // The value as written in the file.
    virtual std::string valueText() const = 0;
    virtual std::string defaultText() const = 0;
    // Applies the reading rules of the file (numbers clamped, booleans by first letter, ...).
    virtual void setFromText(std::string_view text) = 0;
    virtual void resetToDefault() = 0;

private:
    std::string key_;
    std::optional<ControlBinding> control_;
};

class IntParameter : public Parameter {
public:
    IntParameter(std::string key, std::int32_t defaultValue, std::int32_t lower, std::int32_t upper,
                 std::optional<ControlBinding> control = std::nullopt);

    ParameterKind kind() const override { return ParameterKind::Int; }
    std::int32_t value() const { return value_.load(); }
    // Stores the value clamped to the limits.
    void set(std::int32_t value) { value_.store(clamp(value)); }
    std::int32_t defaultValue() const { return default_; }
    std::int32_t lower() const { return lower_; }
    std::int32_t upper() const { return upper_; }
    std::int32_t clamp(std::int32_t value) const { return value < lower_ ? lower_ : value > upper_ ? upper_ : value; }

    std::string valueText() const override;
    std::string defaultText() const override;
    void setFromText(std::string_view text) override;
    void resetToDefault() override { value_.store(default_); }

private:
    std::int32_t default_;
    std::int32_t lower_;
    std::int32_t upper_;
    std::atomic<std::int32_t> value_;
};

// An integer picked from a drop-down list; the limits are the list's first and last entries,
// so a stored value between entries is kept (it just selects nothing in the list).
class IntChoiceParameter : public IntParameter {
public:
    IntChoiceParameter(std::string key, std::int32_t defaultValue, std::vector<std::int32_t> choices,
                       ControlBinding control);

    ParameterKind kind() const override { return ParameterKind::IntChoice; }
    const std::vector<std::int32_t>& choices() const { return choices_; }
    // Index of the current value in the list, nothing when it is not an entry.
    std::optional<std::size_t> selectedIndex() const;

private:
    std::vector<std::int32_t> choices_;
};

class FloatChoiceParameter : public Parameter {
public:
    FloatChoiceParameter(std::string key, float defaultValue, std::vector<float> choices, ControlBinding control);

    ParameterKind kind() const override { return ParameterKind::FloatChoice; }
    float value() const { return value_.load(); }
    void set(float value);
    float defaultValue() const { return default_; }
    const std::vector<float>& choices() const { return choices_; }
    std::optional<std::size_t> selectedIndex() const;
    // The list entries as the window shows them ("{:.1f}").
    std::vector<std::string> choiceTexts() const;

    std::string valueText() const override;
    std::string defaultText() const override;
    void setFromText(std::string_view text) override;
    void resetToDefault() override { value_.store(default_); }

private:
    float default_;
    std::vector<float> choices_;
    std::atomic<float> value_;
};

class BoolParameter : public Parameter {
public:
    BoolParameter(std::string key, bool defaultValue, std::optional<ControlBinding> control = std::nullopt)
        : Parameter(std::move(key), control), default_(defaultValue), value_(defaultValue) {}

    ParameterKind kind() const override { return ParameterKind::Bool; }
    bool value() const { return value_.load(); }
    void set(bool value) { value_.store(value); }
    bool defaultValue() const { return default_; }

    std::string valueText() const override { return value() ? "true" : "false"; }
    std::string defaultText() const override { return default_ ? "true" : "false"; }
    // True when the text begins with '1', 't', 'T', 'y' or 'Y'.
    void setFromText(std::string_view text) override;
    void resetToDefault() override { value_.store(default_); }

private:
    bool default_;
    std::atomic<bool> value_;
};

class TextParameter : public Parameter {
public:
    TextParameter(std::string key, std::string defaultValue = {}, std::optional<ControlBinding> control = std::nullopt)
        : Parameter(std::move(key), control), default_(std::move(defaultValue)), value_(default_) {}

    ParameterKind kind() const override { return ParameterKind::Text; }
    std::string value() const;
    void set(std::string value);
    bool empty() const { return value().empty(); }
    const std::string& defaultValue() const { return default_; }

    std::string valueText() const override { return value(); }
    std::string defaultText() const override { return default_; }
    void setFromText(std::string_view text) override { set(std::string(text)); }
    void resetToDefault() override { set(default_); }

private:
    std::string default_;
    mutable std::mutex mutex_;
    std::string value_;
};

class TextEditParameter : public TextParameter {
public:
    TextEditParameter(std::string key, ControlBinding control, std::string defaultValue = {})
        : TextParameter(std::move(key), std::move(defaultValue), control) {}
    ParameterKind kind() const override { return ParameterKind::TextEdit; }
};

// A text picked from a drop-down list; the list is fixed or filled at run time.
class TextChoiceParameter : public TextParameter {
public:
    TextChoiceParameter(std::string key, std::string defaultValue, std::vector<std::string> choices,
                        ControlBinding control)
        : TextParameter(std::move(key), std::move(defaultValue), control), choices_(std::move(choices)) {}

    ParameterKind kind() const override { return ParameterKind::TextChoice; }
    std::vector<std::string> choices() const;
    void setChoices(std::vector<std::string> choices);
    std::optional<std::size_t> selectedIndex() const;

private:
    mutable std::mutex choicesMutex_;
    std::vector<std::string> choices_;
};

} // namespace vorl
