#include "service/results_service.hpp"

#include <httplib.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <utility>

#include "core/text.hpp"
#include "net/string_cipher.hpp"
#include "service/draw_schedule.hpp"

namespace qivra {
namespace {

constexpr auto kPauseStep = std::chrono::milliseconds(50);
constexpr auto kDripBudget = std::chrono::milliseconds(3000);
constexpr size_t kDripBytes = 8;
constexpr size_t kJunkBlockBytes = 64 * 1024;
constexpr size_t kGarbageBytes = 4096;

const char* const kFeedType = "text/plain";
const char* const kConfigType = "text/plain; charset=gbk";

std::string HostForUrl(const std::string& host) {
    // A wildcard address is not somewhere to connect to; loopback reaches it.
    if (host.empty() || host == "0.0.0.0" || host == "::") return "127.0.0.1";
    if (host.find(':') != std::string::npos) return "[" + host + "]";
    return host;
}

// The body cut in the middle of its last line, that line left without its CR LF.
std::string Truncated(std::string body) {
    if (body.size() >= 2 && body.compare(body.size() - 2, 2, "\r\n") == 0) body.resize(body.size() - 2);
    const size_t lastLineStart = [&] {
        const size_t p = body.rfind("\r\n");
        return p == std::string::npos ? size_t{0} : p + 2;
    }();
    const size_t lastLineLength = body.size() - lastLineStart;
    body.resize(lastLineStart + lastLineLength / 2 + (lastLineLength > 1 ? 0 : lastLineLength));
    return body;
}

std::string Garbage() {
    std::random_device rd;
    std::mt19937 gen(rd());
    std::uniform_int_distribution<int> byte(0, 255);
    std::string out(kGarbageBytes, '\0');
    for (size_t i = 0; i < out.size(); ++i) {
        char c = static_cast<char>(byte(gen));
        if (c == '\n') c = '\x7f';  // without line ends nothing can pass for a feed line
        out[i] = (i % 251 == 17) ? '\0' : c;
    }
    return out;
}

std::string LocalStamp(std::chrono::system_clock::time_point t) {
    const std::time_t tt = std::chrono::system_clock::to_time_t(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

const char* const kDownloadPage =
    "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Qivra28 下载</title></head>\n"
    "<body><h1>Qivra28</h1><p>本机开奖服务已是最新版本。</p></body></html>\n";

}  // namespace

ResultsService::ResultsService() : ResultsService(Options{}) {}

ResultsService::ResultsService(Options options) { state_.options = std::move(options); }

ResultsService::~ResultsService() { Stop(); }

int ResultsService::Start(const std::string& host, int port) {
    std::lock_guard<std::mutex> lifecycle(lifecycleMutex_);
    if (server_) return port_;
    if (port < 0 || port > 65535) return -1;

    auto server = std::make_unique<httplib::Server>();
    // Idle keep-alive connections hold a worker until this runs out; keep Stop() quick.
    server->set_keep_alive_timeout(1);
    server->Get(kConfigPath, [this](const httplib::Request& req, httplib::Response& res) { Serve(req, res, -1); });
    server->Get(FeedPath(0), [this](const httplib::Request& req, httplib::Response& res) { Serve(req, res, 0); });
    server->Get(FeedPath(1), [this](const httplib::Request& req, httplib::Response& res) { Serve(req, res, 1); });
    server->Get(kDownloadPath, [this](const httplib::Request& req, httplib::Response& res) { Serve(req, res, 2); });
    server->set_logger([this](const httplib::Request& req, const httplib::Response& res) { Log(req, res); });

    int bound = port;
    if (port == 0) {
        bound = server->bind_to_any_port(host);
        if (bound <= 0) return -1;
    } else if (!server->bind_to_port(host, port)) {
        return -1;
    }

    // The configuration names the bound address; know it before the first request can come in.
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        host_ = host;
    }
    port_ = bound;
    stopping_ = false;
    httplib::Server* raw = server.get();
    listener_ = std::thread([raw] { raw->listen_after_bind(); });
    // stop() is a no-op until the accept loop runs; wait for it so an early Stop() cannot hang.
    for (int i = 0; i < 5000 && !raw->is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    server_ = std::move(server);
    return bound;
}

void ResultsService::Stop() {
    std::lock_guard<std::mutex> lifecycle(lifecycleMutex_);
    if (!server_) return;
    stopping_ = true;
    server_->stop();
    if (listener_.joinable()) listener_.join();  // returns once the worker pool has drained
    server_.reset();
    port_ = 0;
    std::lock_guard<std::mutex> lock(stateMutex_);
    host_.clear();
}

bool ResultsService::Running() const { return port_ > 0; }
int ResultsService::Port() const { return port_; }

std::string ResultsService::BaseUrl() const {
    const int port = port_;
    if (port <= 0) return {};
    std::lock_guard<std::mutex> lock(stateMutex_);
    return "http://" + HostForUrl(host_) + ":" + std::to_string(port);
}

std::string ResultsService::ConfigUrl() const {
    const std::string base = BaseUrl();
    return base.empty() ? base : base + kConfigPath;
}

std::string ResultsService::FeedPath(int game) { return "/qivra/feed/" + std::to_string(game) + ".txt"; }

std::string ResultsService::FeedUrl(int game) const {
    const std::string base = BaseUrl();
    if (base.empty() || (game != 0 && game != 1)) return {};
    return base + FeedPath(game);
}

void ResultsService::SetClock(Clock clock) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    state_.clock = std::move(clock);
}

void ResultsService::SetPublishedVersion(std::string version) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    state_.options.publishedVersion = std::move(version);
}

void ResultsService::SetNotice(std::string notice) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    state_.options.notice = std::move(notice);
}

void ResultsService::SetUpdateNotes(std::string notes) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    state_.options.updateNotes = std::move(notes);
}

void ResultsService::SetFault(int game, FaultPlan fault) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (game == -1) state_.configFault = fault;
    if (game == 0 || game == 1) state_.feedFault[game] = fault;
}

void ResultsService::ClearFaults() {
    std::lock_guard<std::mutex> lock(stateMutex_);
    state_.configFault = {};
    state_.feedFault[0] = {};
    state_.feedFault[1] = {};
}

ResultsService::State ResultsService::Snapshot() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    State copy = state_;
    if (!copy.clock) copy.clock = [] { return std::chrono::system_clock::now(); };
    return copy;
}

std::string ResultsService::ConfigTextFor(const State& state) const {
    const Options& o = state.options;
    std::string text;
    text += "版本:" + o.publishedVersion + "]1\r\n";
    text += "公告:" + o.notice + "]4\r\n";
    text += "更新:" + o.updateNotes + "]5\r\n";
    text += "JK1:" + Encipher(FeedUrl(0), kStoredTextKey) + "]7\r\n";
    text += "JK2:" + Encipher(FeedUrl(1), kStoredTextKey) + "]8\r\n";
    return text;
}

std::string ResultsService::ConfigText() const { return ConfigTextFor(Snapshot()); }

std::string ResultsService::FeedText(int game) const {
    const State s = Snapshot();
    return FeedBody(game, s.clock(), s.options.seed, s.options.feedLines, s.options.bias);
}

bool ResultsService::Pause(std::chrono::milliseconds total) const {
    const auto until = std::chrono::steady_clock::now() + total;
    while (!stopping_) {
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return true;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kPauseStep));
    }
    return false;
}

void ResultsService::Serve(const httplib::Request& req, httplib::Response& res, int endpoint) {
    const State state = Snapshot();
    FaultPlan base;
    if (endpoint == -1) base = state.configFault;
    if (endpoint == 0 || endpoint == 1) base = state.feedFault[endpoint];
    const FaultPlan fault = ApplyFaultParameters(base, [&req](const std::string& key) -> std::optional<std::string> {
        if (!req.has_param(key)) return std::nullopt;
        return req.get_param_value(key);
    });

    if (fault.delaySeconds > 0 && !Pause(std::chrono::seconds(fault.delaySeconds))) {
        res.status = 503;
        return;
    }
    if (fault.status != 0 && fault.status != 200) {
        res.status = fault.status;
        res.set_content("status " + std::to_string(fault.status) + "\r\n", kFeedType);
        return;
    }
    if (fault.empty) {
        res.set_content(std::string(), kFeedType);
        return;
    }
    if (fault.garbage) {
        res.set_content(Garbage(), "application/octet-stream");
        return;
    }

    std::string body;
    const char* type = kFeedType;
    if (endpoint == -1) {
        auto gbk = Utf8ToGbk(ConfigTextFor(state));
        if (!gbk) {
            // A notice the configuration's code page cannot carry must not go out half-converted.
            res.status = 500;
            res.set_content("configuration text is not representable in GBK\r\n", kFeedType);
            return;
        }
        body = std::move(*gbk);
        type = kConfigType;
    } else if (endpoint == 0 || endpoint == 1) {
        body = FeedBody(endpoint, state.clock(), state.options.seed, state.options.feedLines, state.options.bias);
    } else {
        body = kDownloadPage;
        type = "text/html; charset=utf-8";
    }

    if (fault.sizeMb > 0) {
        // Feed-like junk: the real body repeated; one block in memory, however large the total.
        auto block = std::make_shared<std::string>();
        if (body.empty()) body = "0\r\n";
        while (block->size() < kJunkBlockBytes) *block += body;
        const size_t total = static_cast<size_t>(fault.sizeMb) * 1024 * 1024;
        res.set_content_provider(total, type, [this, block](size_t offset, size_t length, httplib::DataSink& sink) {
            if (stopping_) return false;
            const size_t at = offset % block->size();
            const size_t n = std::min(length, block->size() - at);
            return sink.write(block->data() + at, n);
        });
        return;
    }
    if (fault.truncate) body = Truncated(std::move(body));
    if (fault.drip) {
        auto data = std::make_shared<std::string>(std::move(body));
        const size_t step = std::max(kDripBytes, data->size() / 3000 + 1);
        const size_t steps = std::max<size_t>(1, (data->size() + step - 1) / step);
        const auto pause = std::clamp<std::chrono::milliseconds>(
            std::chrono::duration_cast<std::chrono::milliseconds>(kDripBudget / steps), std::chrono::milliseconds(1),
            std::chrono::milliseconds(200));
        res.set_content_provider(data->size(), type,
                                 [this, data, step, pause](size_t offset, size_t length, httplib::DataSink& sink) {
                                     const size_t n = std::min({step, length, data->size() - offset});
                                     if (!sink.write(data->data() + offset, n)) return false;
                                     return Pause(pause);
                                 });
        return;
    }
    res.set_content(body, type);
}

void ResultsService::Log(const httplib::Request& req, const httplib::Response& res) const {
    std::function<void(const std::string&)> log;
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        log = state_.options.requestLog;
    }
    if (!log) return;
    const size_t bytes = res.body.empty() ? res.content_length_ : res.body.size();
    std::string target = req.target.empty() ? req.path : req.target;
    // The target comes from the network; keep the log one printable line.
    for (char& c : target)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    log(LocalStamp(std::chrono::system_clock::now()) + " " + req.remote_addr + " " + req.method + " " + target + " " +
        std::to_string(res.status) + " " + std::to_string(bytes));
}

}  // namespace qivra
