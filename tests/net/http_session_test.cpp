#include "net/http_session.hpp"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>
#include <vector>

#include "net/cookie_store.hpp"

namespace qivra {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the system temporary folder, removed with the fixture.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "qivra-http-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// A listening loopback socket on an ephemeral port.
class RawListener {
public:
    RawListener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(fd_, 8) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            return;
        }
        port_ = ntohs(addr.sin_port);
    }
    ~RawListener() { ::close(fd_); }
    int fd() const { return fd_; }
    int port() const { return port_; }
    std::string url(const std::string& path = "/") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

// Accepts one connection, keeps the request bytes exactly as they arrived and answers "ok".
std::string CaptureOneRequest(const RawListener& listener) {
    int c = ::accept(listener.fd(), nullptr, nullptr);
    if (c < 0) return {};
    std::string got;
    char buf[4096];
    size_t wanted = std::string::npos;
    while (got.size() < wanted) {
        ssize_t n = ::recv(c, buf, sizeof buf, 0);
        if (n <= 0) break;
        got.append(buf, static_cast<size_t>(n));
        size_t end = got.find("\r\n\r\n");
        if (end != std::string::npos && wanted == std::string::npos) {
            size_t length = 0;
            if (size_t p = got.find("Content-Length: "); p != std::string::npos && p < end) {
                length = std::strtoul(got.c_str() + p + 16, nullptr, 10);
            }
            wanted = end + 4 + length;
        }
    }
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";
    [[maybe_unused]] ssize_t sent = ::send(c, reply.data(), reply.size(), MSG_NOSIGNAL);
    ::close(c);
    return got;
}

// Whether a connection waits in the listener's queue; it is taken and closed, so the next
// question starts afresh. A request returns only after its connection was made, so nothing
// waiting means nothing was attempted.
bool ConnectionArrived(const RawListener& listener) {
    pollfd p{listener.fd(), POLLIN, 0};
    if (::poll(&p, 1, 0) != 1) return false;
    ::close(::accept(listener.fd(), nullptr, nullptr));
    return true;
}

std::string WireOf(HttpRequest request, const RawListener& listener) {
    std::string wire;
    std::thread server([&] { wire = CaptureOneRequest(listener); });
    HttpSession session;
    std::string body = session.Request(request);
    server.join();
    EXPECT_EQ(body, "ok");
    return wire;
}

TEST(HttpSessionWire, HeaderLinesSplitAtCrLfAndFirstColon) {
    RawListener listener;
    HttpRequest request;
    request.url = listener.url("/h");
    request.extraHeaders = "X-Test: a:b\r\nNo colon here\r\nX-Empty:\r\nX-Bare:c";
    std::string wire = WireOf(request, listener);
    // The value goes out byte for byte after the first colon: the space and second colon stay.
    EXPECT_NE(wire.find("\r\nX-Test: a:b\r\n"), std::string::npos) << wire;
    EXPECT_NE(wire.find("\r\nX-Bare:c\r\n"), std::string::npos) << wire;
    EXPECT_NE(wire.find("\r\nX-Empty:\r\n"), std::string::npos) << wire;
    EXPECT_EQ(wire.find("No colon"), std::string::npos);
    EXPECT_EQ(wire.find("Referer:"), std::string::npos) << "extra headers replace the default block";
}

TEST(HttpSessionWire, LineBreaksInUrlOrMethodSendNothing) {
    RawListener listener;
    HttpRequest control;
    control.url = listener.url("/a");
    control.method = "get";
    EXPECT_EQ(WireOf(control, listener).rfind("GET /a HTTP/1.1\r\n", 0), 0u);

    struct Case {
        std::string url;
        std::string method;
    };
    const Case cases[] = {
        {listener.url("/a\r\nX-Injected: 1"), "GET"},
        {listener.url("/a\nb"), "GET"},
        {listener.url("/a\rb"), "GET"},
        {listener.url(std::string("/a\0b", 4)), "GET"},
        {listener.url("/a"), "GET\r\nX-Injected: 1"},
        {listener.url("/a"), "GE\nT"},
        {listener.url("/a"), "POST\r"},
        {listener.url("/a"), std::string("GET\0", 4)},
        {listener.url("/a"), "GET /b HTTP/1.0"},  // a second request line in the first
    };
    HttpSession session;
    for (const Case& c : cases) {
        HttpRequest request;
        request.url = c.url;
        request.method = c.method;
        request.timeoutSeconds = 2;
        EXPECT_EQ(session.Request(request), "") << c.url << " " << c.method;
        EXPECT_FALSE(ConnectionArrived(listener)) << c.url << " " << c.method;
    }
}

TEST(SplitHeaderLines, NothingSmuggledPastALine) {
    struct Case {
        std::string text;
        std::vector<std::pair<std::string, std::string>> expected;
    };
    const Case cases[] = {
        {"X-Test: a:b", {{"X-Test", " a:b"}}},
        {"A:1\r\nB:2\r\n", {{"A", "1"}, {"B", "2"}}},
        // A bare LF or CR would start a header (or the body) of its own on the wire.
        {"X-A: 1\nX-B: 2\r\nX-C:3\r", {}},
        {": blank\r\n  :blank\r\nno colon", {}},
        {std::string("X-Z:a\0b\r\nX-Ok:", 14), {{"X-Ok", ""}}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<std::string, std::string>> got;
        for (const HeaderLine& h : SplitHeaderLines(c.text)) got.emplace_back(h.name, h.value);
        EXPECT_EQ(got, c.expected) << c.text;
    }
}

TEST(HttpSessionWire, DefaultBlockMethodAndBody) {
    RawListener listener;
    HttpRequest request;
    request.url = listener.url("/form?x=1");
    request.method = "post";
    request.bodyText = "a=1&b=2";
    std::string wire = WireOf(request, listener);
    EXPECT_EQ(wire.rfind("POST /form?x=1 HTTP/1.1\r\n", 0), 0u) << wire;
    EXPECT_NE(wire.find("\r\nReferer: " + request.url + "\r\n"), std::string::npos);
    EXPECT_NE(wire.find("\r\nAccept-Language: zh-cn\r\n"), std::string::npos);
    EXPECT_NE(wire.find("\r\nUser-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)\r\n"),
              std::string::npos);
    EXPECT_NE(wire.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
    EXPECT_EQ(wire.substr(wire.size() - 7), "a=1&b=2");
    EXPECT_EQ(wire.find("Expect"), std::string::npos);

    // Body bytes win over the body text; an empty method is GET.
    request.method = "";
    request.bodyBytes = std::string("\x01\x00\x02", 3);
    wire = WireOf(request, listener);
    EXPECT_EQ(wire.rfind("GET /form?x=1 HTTP/1.1\r\n", 0), 0u) << wire;
    EXPECT_EQ(wire.substr(wire.size() - 3), request.bodyBytes);
}

TEST(MergeCookies, Table) {
    struct Case {
        const char* jar;
        const char* add;
        const char* expected;
    };
    const Case cases[] = {
        {"sid=1; other=3", "sid=2; old=deleted", "sid=2; other=3"},
        {"sid=1; other=3", "sid=", "other=3"},                   // an empty value drops the cookie
        {"sid=1", "id=9", "sid=1; id=9"},                        // whole names: "id" is not "sid"
        {"id=1; sid=1", "ID=2", "ID=2; sid=1"},                  // names compare ignoring case
        {"", "a=1;b=2", "a=1; b=2"},
        {"  a=1;  ", "", "a=1"},
        {"a=1", "junk; =x", "a=1"},                              // items without a name are ignored
        {"tok=a=b", "tok=c=d", "tok=c=d"},                       // values may hold "="
        {"a=1; gone=deleted", "", "a=1"},
    };
    for (const Case& c : cases) {
        std::string jar = c.jar;
        EXPECT_EQ(MergeCookies(jar, c.add), c.expected) << c.jar << " + " << c.add;
        EXPECT_EQ(jar, c.expected);
    }
}

TEST(HostOf, Table) {
    struct Case {
        const char* url;
        bool rootOnly;
        bool keepPort;
        const char* expected;
    };
    const Case cases[] = {
        {"https://WWW.Example.COM:8080/path", true, false, "example.com"},
        {"https://WWW.Example.COM:8080/path", false, true, "www.example.com:8080"},
        {"https://WWW.Example.COM:8080/path", true, true, "example.com:8080"},
        {"http://a.b.c.d/x", false, false, "a.b.c.d"},
        {"HTTP://Feed.Example.org?x=1", true, false, "example.org"},
        {"example.org/feed", false, false, "example.org"},
        {"http://localhost:28028/", true, false, "localhost"},
        {"http://127.0.0.1:28028/qivra/config.txt", true, false, "127.0.0.1"},  // an address stays whole
        {"http://[::1]:8080/x", true, false, "[::1]"},
        {"http://user:pw@host.example.net:81/", true, false, "example.net"},
        {"https://a.example.com/go?to=http://b.example.org/", false, false, "a.example.com"},
        {"", true, true, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HostOf(c.url, c.rootOnly, c.keepPort), c.expected) << c.url;
    }
}

// A loopback server for the cookie, redirect and status behaviour.
class HttpSessionServer : public ::testing::Test {
protected:
    void SetUp() override {
        server_.Get("/login", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "sid=abc; Path=/; HttpOnly");
            res.set_header("Set-Cookie", "lang=zh");  // no attributes at all
            res.set_content("in", "text/plain");
        });
        server_.Get("/logout", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "sid=deleted; expires=Thu, 01 Jan 1970 00:00:00 GMT");
            res.set_content("out", "text/plain");
        });
        server_.Get("/whoami", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_header_value("Cookie"), "text/plain");
        });
        server_.Get("/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/target"); });
        server_.Get("/target", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string("arrived\0tail", 12), "text/plain");
        });
        server_.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("not here", "text/plain");
        });
        server_.Get("/broken", [](const httplib::Request&, httplib::Response& res) {
            res.status = 500;
            res.set_content("版本:error page]1", "text/plain");
        });
        server_.Get("/redirect", [](const httplib::Request& req, httplib::Response& res) {
            res.set_redirect(req.get_param_value("to"));
        });
        server_.Get("/huge", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string(kMaxResponseBody + 1, 'x'), "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void TearDown() override {
        server_.stop();
        thread_.join();
    }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    TempFolder folder_;
};

TEST_F(HttpSessionServer, CookiesCarryBetweenRequestsAndRuns) {
    const fs::path file = folder_.path() / "Qivra28" / "cookies.txt";
    {
        CookieStore store(file);
        HttpSession session(&store);
        HttpRequest login;
        login.url = url("/login");
        login.cookies = "pref=1";
        EXPECT_EQ(session.Request(login), "in");
        EXPECT_EQ(login.returnedCookies, "sid=abc; lang=zh; ");
        EXPECT_EQ(login.cookies, "pref=1; sid=abc; lang=zh");
        EXPECT_EQ(session.FetchText(url("/whoami")), "pref=1; sid=abc; lang=zh");
    }
    // A new run reads the same store; a cookie the server clears is gone from it too.
    CookieStore store(file);
    HttpSession session(&store);
    EXPECT_EQ(store.ReadSystemCookies(url("/"), "sid"), "abc");
    EXPECT_EQ(session.FetchText(url("/logout")), "out");
    EXPECT_EQ(session.FetchText(url("/whoami")), "pref=1; lang=zh");
}

TEST_F(HttpSessionServer, RedirectIsFollowedAndReported) {
    HttpSession session;
    HttpRequest request;
    request.url = url("/moved");
    EXPECT_EQ(session.Request(request), std::string("arrived\0tail", 12));
    EXPECT_EQ(request.redirectTarget, "/target");
    EXPECT_NE(request.responseHeaders.find("302"), std::string::npos);
    EXPECT_EQ(session.FetchText(url("/moved")), "arrived");  // text stops at the zero byte

    HttpRequest stay;
    stay.url = url("/moved");
    stay.noRedirect = true;
    EXPECT_EQ(session.Request(stay), "");
    EXPECT_EQ(stay.redirectTarget, "/target");
}

TEST_F(HttpSessionServer, FailuresGiveAnEmptyBody) {
    HttpSession session;
    for (const std::string& target :
         {url("/missing"), url("/broken"), url("/huge"), std::string("file:///etc/hostname"),
          std::string("http://127.0.0.1:1/")}) {
        HttpRequest request;
        request.url = target;
        request.timeoutSeconds = 5;
        EXPECT_EQ(session.Request(request), "") << target;
    }
    HttpRequest missing;
    missing.url = url("/missing");
    session.Request(missing);
    EXPECT_NE(missing.responseHeaders.find("404"), std::string::npos) << "headers are still reported";
}

TEST_F(HttpSessionServer, OtherSchemesAreNeverFetchedNorFollowed) {
    const fs::path secret = folder_.path() / "secret.txt";
    std::ofstream(secret) << "local file";
    const std::string fileUrl = "file://" + secret.string();
    RawListener other;  // would see the connection of an FTP, DICT or Gopher client
    const std::string otherHost = "127.0.0.1:" + std::to_string(other.port());
    const std::string ftpUrl = "ftp://" + otherHost + "/x";
    auto redirect = [&](const std::string& to) { return url("/redirect?to=" + httplib::detail::encode_query_param(to)); };

    const std::string cases[] = {
        fileUrl,
        "FILE://" + secret.string(),
        ftpUrl,
        "dict://" + otherHost + "/d:x",
        "gopher://" + otherHost + "/",
        redirect(fileUrl),
        redirect(ftpUrl),
    };
    HttpSession session;
    session.SetDefaultTimeout(2);
    for (const std::string& target : cases) {
        EXPECT_EQ(session.FetchText(target), "") << target;
        EXPECT_FALSE(ConnectionArrived(other)) << target;
    }
    // The redirect itself arrived; only following it was refused.
    HttpRequest request;
    request.url = redirect(fileUrl);
    EXPECT_EQ(session.Request(request), "");
    EXPECT_EQ(request.redirectTarget, fileUrl);
    // The control: the same redirect to an http address is followed.
    EXPECT_EQ(session.FetchText(redirect(url("/target"))), "arrived");
}

TEST(HttpSessionTimeout, SilentServerEndsWithinTheTimeout) {
    RawListener listener;  // accepts into its backlog but never answers
    HttpSession session;
    HttpRequest request;
    request.url = listener.url("/");
    request.timeoutSeconds = 1;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(session.Request(request), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(CookieStore, SkipsMalformedLinesAndRewritesWhole) {
    TempFolder folder;
    const fs::path file = folder.path() / "cookies.txt";
    {
        std::ofstream out(file, std::ios::binary);
        out << "example.com\ta\t1\n"
               "no tabs at all\n"
               "example.com\t\tnameless\n"
               "example.com\tb c\tspace in name\n"
               "other.org\tz\t26\r\n"
               "example.com\tb\t2\n";
    }
    CookieStore store(file);
    EXPECT_EQ(store.ReadSystemCookies("https://example.com/x"), "a=1; b=2");
    EXPECT_EQ(store.ReadSystemCookies("http://other.org", "z"), "26");
    EXPECT_EQ(store.ReadSystemCookies("http://other.org", "a"), "");

    std::ofstream(folder.path() / "cookies.txt.qivra-tmp-Zz9zZ9") << "a save killed midway";
    EXPECT_TRUE(store.StoreSystemCookies("http://example.com", "a=9; b=deleted; c=x=y; bad\tname=1"));
    EXPECT_EQ(store.ReadSystemCookies("http://example.com"), "a=9; c=x=y");
    EXPECT_EQ(store.ReadSystemCookies("http://other.org"), "z=26");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder.path())) ++entries;
    EXPECT_EQ(entries, 1) << "no temporary file is left behind, nor one an earlier save left";
}

TEST(CookieStore, DefaultPathFollowsXdgDataHome) {
    const char* old = std::getenv("XDG_DATA_HOME");
    std::string saved = old ? old : "";
    ::setenv("XDG_DATA_HOME", "/tmp/qivra-xdg", 1);
    EXPECT_EQ(CookieStore::DefaultPath(), fs::path("/tmp/qivra-xdg/Qivra28/cookies.txt"));
    if (old) {
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_DATA_HOME");
    }
}

}  // namespace
}  // namespace qivra
