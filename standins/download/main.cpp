// The maker's download server stand-in as a program of its own, for runs by hand.
#include <chrono>
#include <csignal>
#include <iostream>
#include <string>
#include <thread>

#include "common/platform.h"
#include "standins/download/DownloadServerStandIn.h"

int main(int argc, char** argv) {
    int port = 0;
    std::string root = ".";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--port") port = std::stoi(argv[i + 1]);
        else if (option == "--root") root = argv[i + 1];
    }
    if (argc < 2 || std::string(argv[1]) == "--help") {
        std::cout << "Usage: vorl-download-standin --root FOLDER [--port N]\n"
                     "Serves GET /downloads/<path> from FOLDER on 127.0.0.1 until interrupted.\n";
        if (argc < 2) return 2;
        return 0;
    }
    vorl::standin::DownloadServerStandIn server(root);
    server.start(port);
    std::cout << "download stand-in at " << server.baseUrl() << "/downloads/ serving " << root << std::endl;
    vorl::gf_installInterruptHandler();
    while (!vorl::gf_interruptRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    server.stop();
    return 0;
}
