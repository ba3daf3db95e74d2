#pragma once
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

struct zip;

namespace vorl {

// A thin owner of a libzip archive handle: opened for reading or created for writing,
// closed (and, when writing, committed) when it goes.
class ZipArchive {
public:
    enum class Mode { Read, Create };
    // Throws std::runtime_error "Could not open <path>" when the archive cannot be opened.
    ZipArchive(const std::filesystem::path& path, Mode mode);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    std::vector<std::string> entryNames() const;
    std::string read(const std::string& entryName) const;
    void add(const std::string& entryName, const std::filesystem::path& file);
    // Adds bytes held in memory (kept until the archive is written); false when libzip refuses.
    bool addData(const std::string& entryName, std::string bytes);
    // Writes the archive out; false with libzip's error code when that fails.
    bool commit(int* errorCode = nullptr);

private:
    zip* archive_ = nullptr;
    std::deque<std::string> buffers_;
    std::filesystem::path path_;
};

// True when an entry name stays inside the folder it is unpacked into: no absolute path, no
// drive letter, no ".." part.
bool gf_isSafeEntryName(const std::string& entryName);

struct UnzipResult {
    bool ok = false;
    std::vector<std::string> refused; // entries that would land outside the folder
    std::vector<std::filesystem::path> written;
};

// Unpacks every safe entry into `folder`; unsafe entries are refused and reported.
UnzipResult gf_unzipInto(const std::filesystem::path& archive, const std::filesystem::path& folder);

// Zips every regular file of `folder` (not the target itself) into `target`, replacing an old
// one, and logs each step. False when the archive could not be written.
bool gf_zipFolder(const std::filesystem::path& folder, const std::filesystem::path& target);

} // namespace vorl
