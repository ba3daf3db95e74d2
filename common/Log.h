#pragma once
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string_view>

#include <fmt/format.h>

namespace vorl {

// The process-wide running log. Every thread writes to it; whole lines never interleave.
class Log {
public:
    static Log& instance();

    // Keeps three older generations of the file, truncates it and writes the header line.
    // Throws std::runtime_error "Failed to write file <path>" when it cannot be opened.
    void open(const std::filesystem::path& path);
    void close();
    bool isOpen() const;
    const std::filesystem::path& path() const { return path_; }

    void line(std::string_view text);
    // Lines the user should notice stand out with a leading "==> ".
    void important(std::string_view text);

private:
    Log() = default;
    void write(std::string_view prefix, std::string_view text);

    mutable std::recursive_mutex mutex_;
    std::ofstream stream_;
    std::filesystem::path path_;
};

inline void logLine(std::string_view text) { Log::instance().line(text); }
inline void logImportant(std::string_view text) { Log::instance().important(text); }

template <typename... Args> void logLine(fmt::format_string<Args...> format, Args&&... args) {
    Log::instance().line(fmt::format(format, std::forward<Args>(args)...));
}
template <typename... Args> void logImportant(fmt::format_string<Args...> format, Args&&... args) {
    Log::instance().important(fmt::format(format, std::forward<Args>(args)...));
}

} // namespace vorl
