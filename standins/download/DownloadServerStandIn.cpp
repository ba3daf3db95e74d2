#include "standins/download/DownloadServerStandIn.h"

#include <chrono>
#include <stdexcept>

#include <fmt/format.h>
#include <httplib.h>

namespace vorl::standin {

struct DownloadServerStandIn::Impl {
    httplib::Server server;
};

DownloadServerStandIn::DownloadServerStandIn(std::filesystem::path root)
    : impl_(std::make_unique<Impl>()), root_(std::move(root)) {}

DownloadServerStandIn::~DownloadServerStandIn() { stop(); }

int DownloadServerStandIn::start(int port) {
    if (!impl_->server.set_mount_point("/downloads", root_.string()))
        throw std::runtime_error(fmt::format("download stand-in: no folder {}", root_.string()));
    impl_->server.set_post_routing_handler([this](const httplib::Request&, httplib::Response& res) {
        if (res.status == 200) served_.fetch_add(1);
    });
    port_ = port == 0 ? impl_->server.bind_to_any_port("127.0.0.1") : port;
    if (port != 0 && !impl_->server.bind_to_port("127.0.0.1", port)) port_ = -1;
    if (port_ <= 0) throw std::runtime_error("download stand-in: cannot listen on 127.0.0.1");
    thread_ = std::thread([this] { impl_->server.listen_after_bind(); });
    for (int i = 0; i < 500 && !impl_->server.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return port_;
}

void DownloadServerStandIn::stop() {
    if (!thread_.joinable()) return;
    impl_->server.stop();
    thread_.join();
}

std::string DownloadServerStandIn::baseUrl() const { return fmt::format("http://127.0.0.1:{}", port_); }

} // namespace vorl::standin
