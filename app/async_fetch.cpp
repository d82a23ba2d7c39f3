#include "app/async_fetch.hpp"

#include "net/http_session.hpp"

namespace qivra {

AsyncFetcher::AsyncFetcher(std::shared_ptr<HttpSession> session, QObject* parent)
    : QObject(parent), session_(std::move(session)), worker_([this] { Run(); }) {}

AsyncFetcher::~AsyncFetcher() {
    {
        std::lock_guard lock(mutex_);
        cancel_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    worker_.join();
}

void AsyncFetcher::Fetch(std::string url, std::function<void(std::string)> done) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({std::move(url), std::move(done)});
    }
    wake_.notify_one();
}

void AsyncFetcher::Run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return cancel_ || !jobs_.empty(); });
            if (cancel_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        std::string body = session_->FetchText(job.url, &cancel_);
        if (cancel_) return;
        // Queued to this object: Qt drops the call if the object is destroyed before delivery,
        // and the destructor joins this thread before the object is gone.
        QMetaObject::invokeMethod(
            this, [done = std::move(job.done), body = std::move(body)]() { done(body); }, Qt::QueuedConnection);
    }
}

}  // namespace qivra
