#pragma once
// The program's default results service: publishes the remote configuration and one results
// feed per game over HTTP on loopback, so that everything can run on one machine. Tests start
// it in-process on an ephemeral port and steer its clock, its texts and its faults.
//
// Paths:  /qivra/config.txt    the remote configuration, GBK
//         /qivra/feed/0.txt    results feed of game 0
//         /qivra/feed/1.txt    results feed of game 1
//         /qivra/download.html the download page named in the update message
// Every path takes the fault parameters of ApplyFaultParameters (delay, status, empty, garbage,
// truncate, size_mb, drip) in its query.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/version.hpp"
#include "service/draw_bias.hpp"
#include "service/fault_plan.hpp"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace qivra {

class ResultsService {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    struct Options {
        uint64_t seed = 28028;  // digits are a hash of (seed, game, period)
        int feedLines = 130;
        DrawBias bias;  // off: every game draws fairly
        std::string publishedVersion{kProgramVersion};
        std::string notice = "欢迎使用Qivra28，本机开奖服务已启动";
        std::string updateNotes = "1.4.0 更新内容：\r\n1. 新增加拿大夜场28\r\n2. 倒计时更准确\r\n3. 自定义算法支持随机搜索";
        // Receives one line (without line end) per answered request; called from handler threads.
        std::function<void(const std::string&)> requestLog;
    };

    static constexpr const char* kConfigPath = "/qivra/config.txt";
    static constexpr const char* kDownloadPath = "/qivra/download.html";

    ResultsService();
    explicit ResultsService(Options options);
    ~ResultsService();
    ResultsService(const ResultsService&) = delete;
    ResultsService& operator=(const ResultsService&) = delete;

    // Listens on host:port (port 0: any free port) and returns the port, or -1 when it cannot
    // listen. While running, a further Start returns the current port.
    int Start(const std::string& host = "127.0.0.1", int port = 0);
    // Stops listening and waits for the running handlers; delays and drips cut short. Safe to
    // call when not running.
    void Stop();
    bool Running() const;
    int Port() const;

    // URLs on the host and port actually bound; empty while not running.
    std::string BaseUrl() const;
    std::string ConfigUrl() const;
    std::string FeedUrl(int game) const;
    static std::string FeedPath(int game);

    // The service's clock; the system clock unless set.
    void SetClock(Clock clock);
    void SetPublishedVersion(std::string version);
    void SetNotice(std::string notice);
    void SetUpdateNotes(std::string notes);
    // Fault of every request to one endpoint (game 0 or 1, or -1 for the configuration),
    // under whatever the request's own parameters add; for fetches whose URLs a test cannot change.
    void SetFault(int game, FaultPlan fault);
    void ClearFaults();

    // What the endpoints publish now, without faults (configuration in UTF-8; the wire text is GBK).
    std::string ConfigText() const;
    std::string FeedText(int game) const;

private:
    struct State {
        Options options;
        Clock clock;
        FaultPlan configFault;
        FaultPlan feedFault[2];
    };

    State Snapshot() const;
    std::string ConfigTextFor(const State& state) const;
    void Serve(const httplib::Request& req, httplib::Response& res, int endpoint /* -1 config, 0/1 feed, 2 page */);
    bool Pause(std::chrono::milliseconds total) const;  // false when stopped meanwhile
    void Log(const httplib::Request& req, const httplib::Response& res) const;

    mutable std::mutex stateMutex_;
    State state_;

    std::mutex lifecycleMutex_;
    std::unique_ptr<httplib::Server> server_;
    std::thread listener_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> port_{0};
    std::string host_;  // guarded by stateMutex_
};

}  // namespace qivra
