#pragma once
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vorl {

// Holds the one-instance lock for as long as it lives.
class InstanceGuard {
public:
    InstanceGuard();
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // False when another running copy holds the lock. On Windows the lock is the named mutex
    // "Local\$VORL$"; elsewhere an exclusive lock on a file in `lockFolder`.
    bool acquire(const std::filesystem::path& lockFolder);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Per-user folders: Windows' roaming and local application-data folders, or their XDG
// counterparts (config and data home). Nothing when they cannot be found.
std::optional<std::filesystem::path> gf_roamingAppDataFolder();
std::optional<std::filesystem::path> gf_localAppDataFolder();

int gf_processId();

// Copies `from` over `to`, replacing a file there. (The C++ library of the Windows build takes
// every existing target for the source itself and refuses, so Windows copies with its own call.)
bool gf_copyFileReplacing(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& ec);
bool gf_syncFile(std::FILE* file);

// Interrupt (Ctrl+C, SIGTERM) handling for console front-ends: the handler only sets a flag.
void gf_installInterruptHandler();
bool gf_interruptRequested();

// Opens the system's file manager with `file` selected; false when there is none to open.
bool gf_showInFileManager(const std::filesystem::path& file);

// True when the process runs with administrator rights (Windows); elsewhere never needed.
bool gf_isElevated();

// Folders only an administrator may write to (Program Files); empty where there are none.
std::vector<std::filesystem::path> gf_protectedProgramFolders();

// A 1 ms system timer resolution for the 10 ms loops; a no-op where timers are fine already.
bool gf_beginFineTimer();
void gf_endFineTimer();

// A shared library loaded at run time (a DLL on Windows), unloaded when the last owner goes.
class DynamicLibrary {
public:
    // Throws std::runtime_error "<name> could not be loaded: <reason>" when it cannot be found.
    explicit DynamicLibrary(const std::string& name);
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The address of an exported function, or nullptr when the library has none by that name.
    void* symbol(const char* name) const;

private:
    void* handle_ = nullptr;
};

// The program's arguments after its name, as UTF-8. Windows hands `main` its arguments in the
// narrow code page, so there they are read again from the wide command line.
std::vector<std::string> gf_commandLineArguments(int argc, char** argv);

// Lets a window program print its usage and version in the console it was started from (a
// Windows window program has none of its own); output already redirected stays where it goes.
void gf_useParentConsole();

// Sets (or, with an empty value, removes) a variable of the process environment, visible to
// getenv in libraries loaded afterwards.
void gf_setEnvironment(const char* name, const std::string& value);

#ifdef _WIN32
// UTF-8 as UTF-16 for the W functions of Windows; what is not UTF-8 shows as replacement
// characters instead of failing, and nothing at all comes back empty.
std::wstring gf_utf8ToWideLenient(std::string_view utf8);
#endif

// UTF-8 text in the system's narrow code page, for interfaces that take 8-bit strings
// (unchanged where the system code page is UTF-8 already).
std::string gf_utf8ToSystemCodePage(const std::string& utf8);

} // namespace vorl
