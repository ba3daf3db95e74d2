#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace vorl::test {

// A fresh folder below the system temp folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, std::string_view bytes);
std::string readFile(const std::filesystem::path& path);

} // namespace vorl::test

namespace vorl::test {

// A Steam-style simulator installation below `folder`: the per-user folders that hold it are
// returned, to be used as XDG_CONFIG_HOME (roaming) and XDG_DATA_HOME (local).
struct FakeSimulator {
    std::filesystem::path roaming;
    std::filesystem::path local;
    std::filesystem::path packages; // holds Community and Official(2024)
};
FakeSimulator makeFakeSimulator(const std::filesystem::path& folder, bool msfs2020 = true);

// Points this process's per-user folders at the fake installation.
void useFakeSimulator(const FakeSimulator& simulator);

} // namespace vorl::test
