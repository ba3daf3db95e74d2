#include <cstdlib>
#include <dlfcn.h>
#include <stdexcept>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "common/platform.h"

namespace fs = std::filesystem;

namespace vorl {

struct InstanceGuard::Impl {
    int fd = -1;
};

InstanceGuard::InstanceGuard() : impl_(std::make_unique<Impl>()) {}

InstanceGuard::~InstanceGuard() {
    if (impl_->fd >= 0) ::close(impl_->fd);
}

bool InstanceGuard::acquire(const fs::path& lockFolder) {
    const fs::path lockFile = lockFolder / ".VORL.lock";
    impl_->fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (impl_->fd < 0) return true; // an unlockable folder must not keep the program from running
    if (::flock(impl_->fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(impl_->fd);
        impl_->fd = -1;
        return false;
    }
    return true;
}

namespace {
std::optional<fs::path> lf_xdgFolder(const char* variable, const char* fallbackBelowHome) {
    if (const char* value = std::getenv(variable); value && *value) return fs::path(value);
    if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / fallbackBelowHome;
    return std::nullopt;
}
} // namespace

std::optional<fs::path> gf_roamingAppDataFolder() { return lf_xdgFolder("XDG_CONFIG_HOME", ".config"); }
std::optional<fs::path> gf_localAppDataFolder() { return lf_xdgFolder("XDG_DATA_HOME", ".local/share"); }

int gf_processId() { return static_cast<int>(::getpid()); }

bool gf_copyFileReplacing(const fs::path& from, const fs::path& to, std::error_code& ec) {
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
}

bool gf_syncFile(std::FILE* file) { return ::fsync(::fileno(file)) == 0; }

bool gf_showInFileManager(const fs::path& file) {
    // Only a desktop session has a file manager; a console run has nobody to show it to.
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland)) return false;
    const std::string command = "xdg-open '" + file.parent_path().string() + "' >/dev/null 2>&1 &";
    return std::system(command.c_str()) == 0;
}

bool gf_isElevated() { return ::geteuid() == 0; }

std::vector<fs::path> gf_protectedProgramFolders() { return {}; }

bool gf_beginFineTimer() { return false; }
void gf_endFineTimer() {}

DynamicLibrary::DynamicLibrary(const std::string& name) {
    handle_ = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = ::dlerror();
        throw std::runtime_error(name + " could not be loaded: " + (reason ? reason : "unknown reason"));
    }
}

DynamicLibrary::~DynamicLibrary() {
    if (handle_) ::dlclose(handle_);
}

void* DynamicLibrary::symbol(const char* name) const { return ::dlsym(handle_, name); }

std::string gf_utf8ToSystemCodePage(const std::string& utf8) { return utf8; }

std::vector<std::string> gf_commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void gf_useParentConsole() {}

void gf_setEnvironment(const char* name, const std::string& value) {
    if (value.empty()) ::unsetenv(name);
    else ::setenv(name, value.c_str(), 1);
}

} // namespace vorl
