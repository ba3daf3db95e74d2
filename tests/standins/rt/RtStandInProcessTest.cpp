// The vorl-rt-standin program ends cleanly when asked to by a signal, so no run leaves it behind.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/TempFolder.h"

extern char** environ;

namespace {

using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

// The program with its output in files of `dir`; the pid, or -1.
pid_t startStandIn(const TempFolder& dir) {
    writeFile(
        dir / "scenario.jsonl",
        R"({"kind":"header","duration":60})"
        "\n"
        R"({"kind":"wx","t":0,"icao":"EHAM","lat":52.3086,"lon":4.7639,"qnh":1009,"metar":"EHAM Q1009"})"
        "\n");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = (dir / "out.txt").string();
    const std::string err = (dir / "err.txt").string();
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    const std::string scenario = (dir / "scenario.jsonl").string();
    std::string binary = VORL_RT_STANDIN_BINARY;
    std::string portFlag = "--port", port = "0", scenarioFlag = "--scenario";
    char* argv[] = {
        binary.data(), portFlag.data(), port.data(), scenarioFlag.data(), const_cast<char*>(scenario.c_str()),
        nullptr};
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : -1;
}

// Polls for the end of `pid` for at most `seconds`; the wait status, or nothing while it runs.
std::optional<int> waitForEnd(pid_t pid, int seconds) {
    for (int i = 0; i < seconds * 50; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

// Kills and reaps a program that did not end by itself.
void killLeftover(pid_t pid) {
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

void expectCleanEndOn(int signal) {
    TempFolder dir;
    const pid_t pid = startStandIn(dir);
    ASSERT_GT(pid, 0);
    // The signal goes out only once the server listens, as it would in a real run.
    bool listening = false;
    for (int i = 0; i < 500 && !listening; ++i) {
        listening = readFile(dir / "out.txt").find("listening on http://127.0.0.1:") != std::string::npos;
        if (!listening) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!listening) {
        killLeftover(pid);
        FAIL() << "the stand-in did not start: " << readFile(dir / "err.txt");
    }
    ASSERT_EQ(kill(pid, signal), 0);
    const auto status = waitForEnd(pid, 5);
    if (!status) {
        killLeftover(pid);
        FAIL() << "the stand-in was still running 5 s after signal " << signal;
    }
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << (WIFSIGNALED(*status) ? WTERMSIG(*status) : 0);
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    EXPECT_NE(readFile(dir / "out.txt").find("stopping on signal"), std::string::npos);
}

TEST(RtStandInProcess, EndsCleanlyOnSigterm) {
    expectCleanEndOn(SIGTERM);
}

TEST(RtStandInProcess, EndsCleanlyOnSigint) {
    expectCleanEndOn(SIGINT);
}

} // namespace
