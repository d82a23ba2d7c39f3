#pragma once
// Runs an HTTP fetch on a worker thread and hands the body back on the receiver's thread.

#include <QObject>

#include <functional>
#include <memory>
#include <string>

namespace qivra {

class HttpSession;

class AsyncFetcher : public QObject {
    Q_OBJECT
public:
    explicit AsyncFetcher(std::shared_ptr<HttpSession> session, QObject* parent = nullptr);

    // done runs on this object's thread with the body (empty on any failure). If this object
    // is gone by then, the result is dropped; the worker never touches it.
    void Fetch(std::string url, std::function<void(std::string)> done);

private:
    std::shared_ptr<HttpSession> session_;
};

}  // namespace qivra
