#include "app/async_fetch.hpp"

#include <QCoreApplication>
#include <QPointer>

#include <thread>

#include "net/http_session.hpp"

namespace qivra {

AsyncFetcher::AsyncFetcher(std::shared_ptr<HttpSession> session, QObject* parent)
    : QObject(parent), session_(std::move(session)) {}

void AsyncFetcher::Fetch(std::string url, std::function<void(std::string)> done) {
    QPointer<AsyncFetcher> self(this);
    std::thread([session = session_, url = std::move(url), done = std::move(done), self]() mutable {
        std::string body = session->FetchText(url);
        // Delivered through the application object and checked on its thread: the receiver
        // may be destroyed while the worker waits on the network.
        if (QCoreApplication* app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                app,
                [self, done = std::move(done), body = std::move(body)]() {
                    if (self) done(body);
                },
                Qt::QueuedConnection);
        }
    }).detach();
}

}  // namespace qivra
