#include <windows.h>
#include <stdexcept>
#include <string>
#include <io.h>
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

DynamicLibrary::DynamicLibrary(const std::string& name) {
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, nullptr, 0);
    std::wstring wide(wideLength > 0 ? static_cast<std::size_t>(wideLength) : 1u, L'\0');
    if (wideLength > 0) MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, wide.data(), wideLength);
    HMODULE module = LoadLibraryW(wide.c_str());
    if (!module) throw std::runtime_error(name + " could not be loaded: error " + std::to_string(GetLastError()));
    handle_ = module;
}

DynamicLibrary::~DynamicLibrary() {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* DynamicLibrary::symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

std::string gf_utf8ToSystemCodePage(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wideLength <= 0) return utf8;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wideLength);
    const int narrowLength = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (narrowLength <= 0) return utf8;
    std::string narrow(static_cast<std::size_t>(narrowLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, narrow.data(), narrowLength, nullptr, nullptr);
    return narrow;
}

} // namespace vorl
