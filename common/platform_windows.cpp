#include <windows.h>
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

} // namespace vorl
