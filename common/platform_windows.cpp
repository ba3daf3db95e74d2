#include <windows.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <io.h>
#include <climits>
#include <cstdio>
#include <stdlib.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>
#include <timeapi.h>

#include "common/platform.h"

namespace fs = std::filesystem;

namespace vorl {

struct InstanceGuard::Impl {
    HANDLE mutex = nullptr;
};

InstanceGuard::InstanceGuard() : impl_(std::make_unique<Impl>()) {}

InstanceGuard::~InstanceGuard() {
    if (impl_->mutex) CloseHandle(impl_->mutex);
}

bool InstanceGuard::acquire(const fs::path&) {
    impl_->mutex = CreateMutexA(nullptr, FALSE, "Local\\$VORL$");
    return !(impl_->mutex && GetLastError() == ERROR_ALREADY_EXISTS);
}

namespace {
std::optional<fs::path> lf_knownFolder(REFKNOWNFOLDERID id) {
    PWSTR raw = nullptr;
    std::optional<fs::path> result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &raw))) result = fs::path(raw);
    CoTaskMemFree(raw);
    return result;
}
} // namespace

std::optional<fs::path> gf_roamingAppDataFolder() { return lf_knownFolder(FOLDERID_RoamingAppData); }
std::optional<fs::path> gf_localAppDataFolder() { return lf_knownFolder(FOLDERID_LocalAppData); }

int gf_processId() { return static_cast<int>(GetCurrentProcessId()); }

bool gf_copyFileReplacing(const fs::path& from, const fs::path& to, std::error_code& ec) {
    if (CopyFileW(from.c_str(), to.c_str(), FALSE)) {
        ec.clear();
        return true;
    }
    ec = std::error_code(static_cast<int>(GetLastError()), std::system_category());
    return false;
}

bool gf_syncFile(std::FILE* file) { return _commit(_fileno(file)) == 0; }

bool gf_showInFileManager(const fs::path& file) {
    const std::wstring arguments = L"/select,\"" + file.wstring() + L"\"";
    const auto result = ShellExecuteW(nullptr, L"open", L"explorer.exe", arguments.c_str(), nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool gf_isElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = sizeof(elevation);
    const bool ok = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
    CloseHandle(token);
    return ok && elevation.TokenIsElevated != 0;
}

std::vector<fs::path> gf_protectedProgramFolders() {
    std::vector<fs::path> folders;
    if (auto p = lf_knownFolder(FOLDERID_ProgramFiles)) folders.push_back(*p);
    if (auto p = lf_knownFolder(FOLDERID_ProgramFilesX86)) folders.push_back(*p);
    return folders;
}

bool gf_beginFineTimer() { return timeBeginPeriod(1) == TIMERR_NOERROR; }
void gf_endFineTimer() { timeEndPeriod(1); }

std::wstring gf_utf8ToWideLenient(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wideLength <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wideLength);
    return wide;
}

DynamicLibrary::DynamicLibrary(const std::string& name) {
    HMODULE module = LoadLibraryW(gf_utf8ToWideLenient(name).c_str());
    if (!module) throw std::runtime_error(name + " could not be loaded: error " + std::to_string(GetLastError()));
    handle_ = module;
}

DynamicLibrary::~DynamicLibrary() {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* DynamicLibrary::symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

namespace {
std::string lf_wideToUtf8(const wchar_t* wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), length, nullptr, nullptr);
    text.pop_back();
    return text;
}
} // namespace

std::vector<std::string> gf_commandLineArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(lf_wideToUtf8(wide[i]));
    LocalFree(wide);
    return args;
}

void gf_useParentConsole() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output != nullptr && output != INVALID_HANDLE_VALUE) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}

void gf_setEnvironment(const char* name, const std::string& value) { _putenv_s(name, value.c_str()); }

std::string gf_utf8ToSystemCodePage(const std::string& utf8) {
    const std::wstring wide = gf_utf8ToWideLenient(utf8);
    if (wide.empty()) return utf8;
    const int wideLength = static_cast<int>(wide.size());
    const int narrowLength = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (narrowLength <= 0) return utf8;
    std::string narrow(static_cast<std::size_t>(narrowLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, narrow.data(), narrowLength, nullptr, nullptr);
    return narrow;
}

} // namespace vorl
