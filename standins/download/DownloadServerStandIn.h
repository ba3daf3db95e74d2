#pragma once
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace vorl::standin {

// A stand-in for the maker's download server: a plain file server on loopback that answers
// GET /downloads/<path> from one folder (versions.json, release/latest_version.zip,
// docs/ReleaseNotes.pdf, MSFS/<ICAO>.xml, MSFS2024/<ICAO>.xml, ...).
class DownloadServerStandIn {
public:
    explicit DownloadServerStandIn(std::filesystem::path root);
    ~DownloadServerStandIn();
    DownloadServerStandIn(const DownloadServerStandIn&) = delete;
    DownloadServerStandIn& operator=(const DownloadServerStandIn&) = delete;

    // Listens on 127.0.0.1; port 0 picks a free one. Returns the port.
    int start(int port = 0);
    void stop();

    // What the program's DOWNLOAD_SERVER_URL setting should say.
    std::string baseUrl() const;
    int port() const { return port_; }
    // Files answered so far (tests check what was fetched).
    int filesServed() const { return served_.load(); }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::filesystem::path root_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<int> served_{0};
};

} // namespace vorl::standin
