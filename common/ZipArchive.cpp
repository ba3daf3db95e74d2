#include "common/ZipArchive.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <system_error>

#include <fmt/format.h>
#include <zip.h>

#include "common/Charset.h"
#include "common/Log.h"

namespace fs = std::filesystem;

namespace vorl {

ZipArchive::ZipArchive(const fs::path& path, Mode mode) : path_(path) {
    int error = 0;
    const int flags = mode == Mode::Read ? ZIP_RDONLY : (ZIP_CREATE | ZIP_TRUNCATE);
    archive_ = zip_open(path.string().c_str(), flags, &error);
    if (!archive_) throw std::runtime_error(fmt::format("Could not open {}", path.string()));
}

ZipArchive::~ZipArchive() {
    if (archive_) zip_discard(archive_);
}

std::vector<std::string> ZipArchive::entryNames() const {
    std::vector<std::string> names;
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        if (const char* name = zip_get_name(archive_, static_cast<zip_uint64_t>(i), 0)) names.emplace_back(name);
    }
    return names;
}

std::string ZipArchive::read(const std::string& entryName) const {
    // The sizes in an archive's directory are the archive's word only: the bytes are read as they
    // come, so that a damaged or hostile archive cannot make us reserve gigabytes up front.
    constexpr std::size_t kChunk = 64 * 1024;
    constexpr std::size_t kMaxEntryBytes = std::size_t{512} * 1024 * 1024;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive_, entryName.c_str(), 0, &stat) != 0)
        throw std::runtime_error(fmt::format("no entry {} in {}", entryName, path_.string()));
    zip_file_t* file = zip_fopen(archive_, entryName.c_str(), 0);
    if (!file) throw std::runtime_error(fmt::format("cannot open entry {} in {}", entryName, path_.string()));
    std::string bytes;
    zip_int64_t got = 0;
    do {
        const std::size_t at = bytes.size();
        bytes.resize(at + kChunk);
        got = zip_fread(file, bytes.data() + at, kChunk);
        bytes.resize(at + static_cast<std::size_t>(std::max<zip_int64_t>(got, 0)));
    } while (got > 0 && bytes.size() <= kMaxEntryBytes);
    zip_fclose(file);
    if (got < 0 || bytes.size() > kMaxEntryBytes || ((stat.valid & ZIP_STAT_SIZE) && bytes.size() != stat.size))
        throw std::runtime_error(fmt::format("cannot read entry {} in {}", entryName, path_.string()));
    return bytes;
}

void ZipArchive::add(const std::string& entryName, const fs::path& file) {
    zip_source_t* source = zip_source_file(archive_, file.string().c_str(), 0, 0);
    if (!source) throw std::runtime_error(fmt::format("cannot read {}", file.string()));
    if (zip_file_add(archive_, entryName.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(source);
        throw std::runtime_error(fmt::format("cannot add {} to {}", entryName, path_.string()));
    }
}

bool ZipArchive::addData(const std::string& entryName, std::string bytes) {
    buffers_.push_back(std::move(bytes));
    zip_source_t* source = zip_source_buffer(archive_, buffers_.back().data(), buffers_.back().size(), 0);
    if (!source) return false;
    if (zip_file_add(archive_, entryName.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(source);
        return false;
    }
    return true;
}

bool ZipArchive::commit(int* errorCode) {
    if (zip_close(archive_) != 0) {
        if (errorCode) *errorCode = zip_error_code_zip(zip_get_error(archive_));
        return false;
    }
    archive_ = nullptr;
    return true;
}

bool gf_isSafeEntryName(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
    if (name.size() >= 2 && name[1] == ':') return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        const auto end = name.find_first_of("/\\", start);
        const std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part == "..") return false;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return true;
}

UnzipResult gf_unzipInto(const fs::path& archivePath, const fs::path& folder) {
    UnzipResult result;
    std::unique_ptr<ZipArchive> archive;
    try {
        archive = std::make_unique<ZipArchive>(archivePath, ZipArchive::Mode::Read);
    } catch (const std::exception& e) {
        logLine(e.what());
        return result;
    }
    try {
        for (const auto& name : archive->entryNames()) {
            if (!gf_isSafeEntryName(name)) {
                logImportant("Refused zip entry outside {}: {}", folder.string(), name);
                result.refused.push_back(name);
                continue;
            }
            const fs::path target = folder / fs::path(name).lexically_normal();
            if (name.back() == '/' || name.back() == '\\') {
                fs::create_directories(target);
                continue;
            }
            fs::create_directories(target.parent_path());
            std::ofstream out(target, std::ios::binary | std::ios::trunc);
            const std::string bytes = archive->read(name);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            if (!out) {
                logLine("Could not create output file {}", target.string());
                return result;
            }
            result.written.push_back(target);
        }
    } catch (const std::exception& e) {
        logLine("Unzipping error code: {}", e.what());
        return result;
    }
    result.ok = true;
    return result;
}

bool gf_zipFolder(const fs::path& folder, const fs::path& target) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        logLine("[zip] Not a directory: {}", folder.string());
        return false;
    }
    if (fs::exists(target, ec)) {
        logLine("[zip] Removing old zip {}", target.string());
        fs::remove(target, ec);
    }
    logLine("[zip] Target file: {}", target.string());
    logLine("[zip] Source dir : {}", folder.string());
    std::optional<ZipArchive> archive;
    try {
        archive.emplace(target, ZipArchive::Mode::Create);
    } catch (const std::exception&) {
        logLine("[zip] Could not open archive for writing");
        return false;
    }
    int added = 0;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec) || entry.path() == target) continue;
        std::string bytes;
        try {
            bytes = gf_readFileBytes(entry.path());
        } catch (const std::exception&) {
            logLine("[zip] READ FAIL: {}", entry.path().string());
            continue;
        }
        const std::string name = entry.path().filename().string();
        logLine("[zip] Adding (data) {} -> {} ({} bytes)", entry.path().string(), name, bytes.size());
        if (archive->addData(name, std::move(bytes))) ++added;
        else logLine("[zip] ERROR addData({})", name);
    }
    const bool closed = archive->commit();
    const bool exists = fs::exists(target, ec);
    const auto size = exists ? fs::file_size(target, ec) : 0;
    logLine("[zip] Added {} files, ok_close={}, exists={}, size={} bytes", added, closed, exists, size);
    return closed && exists;
}

} // namespace vorl
