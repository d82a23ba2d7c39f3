#pragma once
// One HTTP request at a time over libcurl, with the program's header block and cookie rules.
// No Qt; safe to use from a worker thread (one session per thread).

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qivra {

class CookieStore;

struct HttpRequest {
    std::string url;              // absolute "http://" or "https://" URL
    std::string method;           // upper-cased before use; empty means GET; not a token: refused
    std::string bodyText;         // sent when bodyBytes is empty
    std::string cookies;          // in: Cookie header to send; out: the updated jar
    std::string returnedCookies;  // out: "name=value; " for every Set-Cookie received
    std::string extraHeaders;     // header lines joined by CR LF; empty means the default block
    std::string redirectTarget;   // out: trimmed value of the last Location header
    bool noRedirect = false;
    int32_t timeoutSeconds = 0;   // -1 keeps libcurl's own; below 1 means the session's default (15 s)
    std::string responseHeaders;  // out: every response header block received, as one text
    std::string bodyBytes;        // sent instead of bodyText when not empty
    // When it turns true the request fails within about a second, whatever phase it is in;
    // the owner of a worker sets it to end the worker without waiting out a time-out.
    const std::atomic<bool>* cancel = nullptr;
};

// A body larger than this fails the request, so a runaway response cannot exhaust memory.
inline constexpr size_t kMaxResponseBody = 16u * 1024u * 1024u;
inline constexpr int32_t kDefaultTimeoutSeconds = 15;

class HttpSession {
public:
    // cookies: the per-user store that carries cookies between requests and runs; without
    // one, only the cookies the caller passes are sent.
    explicit HttpSession(CookieStore* cookies = nullptr);

    // The time-out of requests that do not name one (15 s unless set); lets a test see a
    // time-out without waiting for the real one.
    void SetDefaultTimeout(int32_t seconds) { defaultTimeoutSeconds_ = seconds < 1 ? kDefaultTimeoutSeconds : seconds; }

    // The response body; empty on any failure, including an HTTP status outside 2xx (headers,
    // redirect target and cookies are still reported then). Only http and https are fetched,
    // redirects included; a URL holding CR, LF or a zero byte is refused before any connection.
    std::string Request(HttpRequest& request);

    // GET with every default; the body up to its first zero byte. cancel as in HttpRequest.
    std::string FetchText(std::string_view url, const std::atomic<bool>* cancel = nullptr);

private:
    CookieStore* cookies_;
    int32_t defaultTimeoutSeconds_ = kDefaultTimeoutSeconds;
};

// The default request header block for a URL.
std::string DefaultHeaderBlock(std::string_view url);

// Host part of a URL, lower-cased; without keepPort the port goes, with rootOnly only the
// last two labels stay (an IPv4 address stays whole).
std::string HostOf(std::string_view url, bool rootOnly = false, bool keepPort = false);

// The request headers a header text stands for: split at CR LF (a text without CR LF is one
// line), each line cut at its first ":" into name and value (the value kept byte for byte,
// leading spaces and further colons included). Lines without ":", with a blank name, or whose
// name or value holds a line break or a zero byte are skipped, so nothing can be smuggled
// into the request as a header of its own.
struct HeaderLine {
    std::string_view name;
    std::string_view value;
};
std::vector<HeaderLine> SplitHeaderLines(std::string_view text);

// Merges the "name=value" items of newCookies into jar (new values win, whole names compared
// ignoring case), drops items with an empty value or the value "deleted", and writes the jar
// back as "a=1; b=2". Returns the new jar.
std::string MergeCookies(std::string& jar, std::string_view newCookies);

}  // namespace qivra
