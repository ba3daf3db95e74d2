#include "ui/win32/WideText.h"

#include <climits>

#include <windows.h>

#include "common/TextConversion.h"

namespace vorl {

// wchar_t is a UTF-16 unit on Windows, so the core's char16_t text carries over unit by unit.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "the Win32 window needs 16-bit wchar_t");

std::wstring gf_toWide(std::string_view utf8) {
    const std::u16string wide = utf8_to_wide(utf8);
    return std::wstring(wide.begin(), wide.end());
}

std::wstring gf_toWideLenient(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int length = static_cast<int>(utf8.size());
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (wideLength <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), wideLength);
    return wide;
}

std::string gf_toUtf8(std::wstring_view wide) {
    return wide_to_utf8(std::u16string(wide.begin(), wide.end()));
}

} // namespace vorl
