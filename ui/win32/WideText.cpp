#include "ui/win32/WideText.h"

#include "common/TextConversion.h"

namespace vorl {

// wchar_t is a UTF-16 unit on Windows, so the core's char16_t text carries over unit by unit.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "the Win32 window needs 16-bit wchar_t");

std::wstring gf_toWide(std::string_view utf8) {
    const std::u16string wide = utf8_to_wide(utf8);
    return std::wstring(wide.begin(), wide.end());
}

std::string gf_toUtf8(std::wstring_view wide) {
    return wide_to_utf8(std::u16string(wide.begin(), wide.end()));
}

} // namespace vorl
