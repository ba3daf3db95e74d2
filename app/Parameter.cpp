#include "app/Parameter.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include <fmt/format.h>

namespace vorl {
namespace {

// atoi-like: leading blanks, an optional sign and the digits that follow; 0 when there are
// none. Values beyond 32 bits saturate so that clamping still gives the nearest limit.
std::int32_t lf_parseInt(std::string_view text) {
    const std::string copy(text);
    const char* begin = copy.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(begin, &end, 10);
    if (end == begin) return 0;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

template <typename T> std::optional<std::size_t> lf_indexOf(const std::vector<T>& list, const T& value) {
    const auto it = std::find(list.begin(), list.end(), value);
    if (it == list.end()) return std::nullopt;
    return static_cast<std::size_t>(it - list.begin());
}

} // namespace

IntParameter::IntParameter(std::string key, std::int32_t defaultValue, std::int32_t lower, std::int32_t upper,
                           std::optional<ControlBinding> control)
    : Parameter(std::move(key), control), default_(defaultValue), lower_(lower), upper_(upper),
      value_(defaultValue) {}

std::string IntParameter::valueText() const { return fmt::format("{}", value()); }
std::string IntParameter::defaultText() const { return fmt::format("{}", default_); }
void IntParameter::setFromText(std::string_view text) { set(lf_parseInt(text)); }

IntChoiceParameter::IntChoiceParameter(std::string key, std::int32_t defaultValue, std::vector<std::int32_t> choices,
                                       ControlBinding control)
    : IntParameter(std::move(key), defaultValue, choices.front(), choices.back(), control),
      choices_(std::move(choices)) {}

std::optional<std::size_t> IntChoiceParameter::selectedIndex() const { return lf_indexOf(choices_, value()); }

FloatChoiceParameter::FloatChoiceParameter(std::string key, float defaultValue, std::vector<float> choices,
                                           ControlBinding control)
    : Parameter(std::move(key), control), default_(defaultValue), choices_(std::move(choices)),
      value_(defaultValue) {}

void FloatChoiceParameter::set(float value) {
    if (std::isnan(value)) value = default_;
    value_.store(std::clamp(value, choices_.front(), choices_.back()));
}

std::optional<std::size_t> FloatChoiceParameter::selectedIndex() const { return lf_indexOf(choices_, value()); }

std::vector<std::string> FloatChoiceParameter::choiceTexts() const {
    std::vector<std::string> texts;
    texts.reserve(choices_.size());
    for (const float c : choices_) texts.push_back(fmt::format("{:.1f}", c));
    return texts;
}

std::string FloatChoiceParameter::valueText() const { return fmt::format("{}", value()); }
std::string FloatChoiceParameter::defaultText() const { return fmt::format("{}", default_); }

void FloatChoiceParameter::setFromText(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    const float parsed = std::strtof(copy.c_str(), &end);
    set(end == copy.c_str() ? 0.0f : parsed);
}

void BoolParameter::setFromText(std::string_view text) {
    const char first = text.empty() ? '\0' : text.front();
    set(first == '1' || first == 't' || first == 'T' || first == 'y' || first == 'Y');
}

std::string TextParameter::value() const {
    std::lock_guard lock(mutex_);
    return value_;
}

void TextParameter::set(std::string value) {
    std::lock_guard lock(mutex_);
    value_ = std::move(value);
}

std::vector<std::string> TextChoiceParameter::choices() const {
    std::lock_guard lock(choicesMutex_);
    return choices_;
}

void TextChoiceParameter::setChoices(std::vector<std::string> choices) {
    std::lock_guard lock(choicesMutex_);
    choices_ = std::move(choices);
}

std::optional<std::size_t> TextChoiceParameter::selectedIndex() const {
    const std::string current = value();
    std::lock_guard lock(choicesMutex_);
    return lf_indexOf(choices_, current);
}

} // namespace vorl
