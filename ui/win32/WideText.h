#pragma once
#include <string>
#include <string_view>

namespace vorl {

// The core's UTF-8 text as UTF-16 for the W functions of Windows. The same strict conversion as
// at every other window boundary: invalid UTF-8 throws std::runtime_error, so that each caller
// logs what it could not show, as the Qt window does.
std::wstring gf_toWide(std::string_view utf8);

// A control's UTF-16 text as the core's UTF-8; throws std::runtime_error on a lone surrogate.
std::string gf_toUtf8(std::wstring_view wide);

} // namespace vorl
