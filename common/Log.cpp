#include "common/Log.h"

#include <ctime>
#include <stdexcept>

#include "common/Generations.h"
#include "common/Names.h"
#include "common/TimeStamp.h"

namespace vorl {

Log& Log::instance() {
    static Log log;
    return log;
}

void Log::open(const std::filesystem::path& path) {
    std::lock_guard lock(mutex_);
    if (stream_.is_open()) stream_.close();
    gf_saveUpto3GenerationsOf(path);
    stream_.open(path, std::ios::binary | std::ios::trunc);
    if (!stream_.is_open()) throw std::runtime_error("Failed to write file " + path.string());
    path_ = path;
    line(fmt::format("{} (utc) {} version {} for {}", gf_timeStampText(std::time(nullptr)), kProgramName,
                     gf_versionText(), kSimulatorFamily));
}

void Log::close() {
    std::lock_guard lock(mutex_);
    if (stream_.is_open()) stream_.close();
}

bool Log::isOpen() const {
    std::lock_guard lock(mutex_);
    return stream_.is_open();
}

void Log::line(std::string_view text) { write({}, text); }

void Log::important(std::string_view text) { write("==> ", text); }

void Log::write(std::string_view prefix, std::string_view text) {
    std::lock_guard lock(mutex_);
    if (!stream_.is_open()) return;
    stream_ << prefix << text << '\n';
    stream_.flush();
}

} // namespace vorl
