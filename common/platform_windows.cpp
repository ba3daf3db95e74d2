#include <windows.h>
#include <io.h>
#include <knownfolders.h>
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

bool gf_beginFineTimer() { return timeBeginPeriod(1) == TIMERR_NOERROR; }
void gf_endFineTimer() { timeEndPeriod(1); }

} // namespace vorl
