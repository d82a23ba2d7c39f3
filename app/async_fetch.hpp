#pragma once
// The program's network worker: one thread, owned by this object, that runs HTTP fetches one
// after another and hands each body back on the owner's thread. Destroying the fetcher cancels
// the fetch in progress (it ends within about a second, whatever the service does), drops the
// queued ones and joins the thread; nothing is detached.

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace qivra {

class HttpSession;

class AsyncFetcher : public QObject {
    Q_OBJECT
public:
    explicit AsyncFetcher(std::shared_ptr<HttpSession> session, QObject* parent = nullptr);
    ~AsyncFetcher() override;

    // done runs on this object's thread with the body (empty on any failure), unless this object
    // is destroyed first.
    void Fetch(std::string url, std::function<void(std::string)> done);

private:
    struct Job {
        std::string url;
        std::function<void(std::string)> done;
    };
    void Run();

    std::shared_ptr<HttpSession> session_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::atomic<bool> cancel_{false};
    std::thread worker_;  // last: started once everything it uses exists
};

}  // namespace qivra
