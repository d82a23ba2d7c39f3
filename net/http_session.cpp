#include "net/http_session.hpp"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <vector>

#include "core/text.hpp"
#include "net/cookie_store.hpp"

namespace qivra {
namespace {

constexpr size_t kMaxResponseHeaders = 1024u * 1024u;
constexpr long kMaxRedirects = 10;

void EnsureCurlInitialised() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool HasLineBreakOrZero(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// A method goes into the request line as it stands: only a token (RFC 9110) cannot break it.
bool IsToken(std::string_view text) {
    constexpr std::string_view kSymbols = "!#$%&'*+-.^_`|~";
    for (char c : text) {
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!alnum && kSymbols.find(c) == std::string_view::npos) return false;
    }
    return !text.empty();
}

// Header lines are split at CR LF; a text without CR LF is one line.
std::vector<std::string_view> HeaderLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

struct Transfer {
    std::string body;
    std::string headers;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    size_t n = size * count;
    if (n > kMaxResponseBody - t->body.size()) return 0;  // aborts the transfer
    t->body.append(data, n);
    return n;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    size_t n = size * count;
    if (n > kMaxResponseHeaders - t->headers.size()) return 0;
    t->headers.append(data, n);
    return n;
}

struct CurlDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

// Appends one request header. libcurl reads "Name:" with nothing after it as "remove this
// header", so an empty value is sent as "Name;" (an empty header). Otherwise the line goes out
// as "Name:" followed by the value byte for byte: leading spaces and further colons stay.
bool AppendHeader(std::unique_ptr<curl_slist, SlistDeleter>& list, std::string_view name,
                  std::string_view value) {
    if (Trim(name).empty() || HasLineBreakOrZero(name) || HasLineBreakOrZero(value)) return true;
    std::string line(name);
    if (Trim(value).empty()) {
        line += ';';
    } else {
        line += ':';
        line += value;
    }
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (!grown) return false;
    list.release();
    list.reset(grown);
    return true;
}

struct CookieHarvest {
    std::string returned;   // "name=value; " per Set-Cookie
    std::string deletions;  // "name=; " for cookies the server cleared
};

// Reads the Location and Set-Cookie headers of every response block received.
CookieHarvest ScanResponseHeaders(std::string_view headers, std::string& redirectTarget) {
    CookieHarvest harvest;
    for (std::string_view line : HeaderLines(headers)) {
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string name = Trim(line.substr(0, colon));
        std::string_view value = line.substr(colon + 1);
        if (EqualsNoCase(name, "Location")) {
            redirectTarget = Trim(value);
        } else if (EqualsNoCase(name, "Set-Cookie")) {
            // A cookie without attributes has no ";" and is taken whole.
            std::string pair = Trim(value.substr(0, value.find(';')));
            size_t eq = pair.find('=');
            if (eq == std::string::npos || eq == 0) continue;
            harvest.returned += pair + "; ";
            std::string cookieValue = Trim(std::string_view(pair).substr(eq + 1));
            if (cookieValue.empty() || cookieValue == "deleted") {
                harvest.deletions += pair.substr(0, eq) + "=; ";
            }
        }
    }
    return harvest;
}

}  // namespace

std::vector<HeaderLine> SplitHeaderLines(std::string_view text) {
    std::vector<HeaderLine> out;
    for (std::string_view line : HeaderLines(text)) {
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view name = line.substr(0, colon);
        std::string_view value = line.substr(colon + 1);
        if (Trim(name).empty() || HasLineBreakOrZero(name) || HasLineBreakOrZero(value)) continue;
        out.push_back({name, value});
    }
    return out;
}

std::string DefaultHeaderBlock(std::string_view url) {
    std::string block = "Referer: ";
    block += url;
    block +=
        "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nUser-Agent: Mozilla/5.0 (compatible; MSIE 9.0; "
        "Windows NT 6.1; Trident/5.0)\r\nContent-Type: application/x-www-form-urlencoded";
    return block;
}

std::string HostOf(std::string_view url, bool rootOnly, bool keepPort) {
    // The earliest scheme wins, so an "http://" inside the query of an https URL is not taken
    // for the host.
    std::string lower = ToLowerAscii(url);
    size_t start = 0;
    size_t plain = lower.find("http://");
    size_t secure = lower.find("https://");
    if (plain != std::string::npos && (secure == std::string::npos || plain < secure)) {
        start = plain + 7;
    } else if (secure != std::string::npos) {
        start = secure + 8;
    }
    size_t end = lower.find_first_of("/?#", start);
    std::string host = lower.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (size_t at = host.rfind('@'); at != std::string::npos) host.erase(0, at + 1);

    bool bracketed = !host.empty() && host.front() == '[';
    if (!keepPort) {
        size_t from = 0;
        if (bracketed) {
            size_t close = host.find(']');
            from = close == std::string::npos ? host.size() : close;
        }
        if (size_t colon = host.find(':', from); colon != std::string::npos) host.erase(colon);
    }
    if (!rootOnly || bracketed) return host;

    // Cookies of an address must not be shared with every address of the same last two bytes.
    std::string bare = host.substr(0, host.find(':'));
    if (!bare.empty() && bare.find_first_not_of("0123456789.") == std::string::npos) return host;

    size_t last = host.rfind('.');
    if (last == std::string::npos || last == 0) return host;
    size_t previous = host.rfind('.', last - 1);
    if (previous == std::string::npos) return host;
    return host.substr(previous + 1);
}

std::string MergeCookies(std::string& jar, std::string_view newCookies) {
    struct Item {
        std::string text;
        std::string name;  // empty when the item has no "="
    };
    auto parse = [](std::string_view text) {
        std::vector<Item> items;
        for (const std::string& piece : SplitText(text, ";")) {
            std::string item = Trim(piece);
            if (item.empty()) continue;
            size_t eq = item.find('=');
            std::string name = eq == std::string::npos ? std::string() : Trim(item.substr(0, eq));
            items.push_back({item, name});
        }
        return items;
    };

    std::vector<Item> merged = parse(jar);
    for (Item& add : parse(newCookies)) {
        if (add.name.empty()) continue;
        bool replaced = false;
        for (Item& old : merged) {
            if (!old.name.empty() && EqualsNoCase(old.name, add.name)) {
                old = add;
                replaced = true;
            }
        }
        if (!replaced) merged.push_back(add);
    }

    std::string out;
    for (const Item& item : merged) {
        std::string_view t = item.text;
        if (t.back() == '=' || (t.size() >= 8 && t.substr(t.size() - 8) == "=deleted")) continue;
        if (!out.empty()) out += "; ";
        out += t;
    }
    jar = out;
    return out;
}

namespace {
// A non-zero return aborts the transfer (CURLE_ABORTED_BY_CALLBACK).
int OnProgress(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(cancel)->load() ? 1 : 0;
}
}  // namespace

HttpSession::HttpSession(CookieStore* cookies) : cookies_(cookies) {}

std::string HttpSession::Request(HttpRequest& request) {
    request.returnedCookies.clear();
    request.redirectTarget.clear();
    request.responseHeaders.clear();

    EnsureCurlInitialised();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) return {};
    CURL* h = curl.get();

    std::string method = UpperAscii(request.method);
    if (method.empty()) method = "GET";
    if (!IsToken(method) || HasLineBreakOrZero(request.url)) return {};

    if (request.timeoutSeconds != -1) {
        long seconds = request.timeoutSeconds < 1 ? defaultTimeoutSeconds_ : request.timeoutSeconds;
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, seconds);
        curl_easy_setopt(h, CURLOPT_TIMEOUT, seconds);
    }

    curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // Addresses come from the configuration and from redirects: never a local file, FTP or any
    // other scheme. A libcurl that cannot take the lists gets no request at all.
    if (curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https") != CURLE_OK ||
        curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") != CURLE_OK) {
        return {};
    }
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, request.noRedirect ? 0L : 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);

    std::string rootHost = HostOf(request.url, true);
    std::string jar = cookies_ ? cookies_->ReadSystemCookies(rootHost) : std::string();
    MergeCookies(jar, request.cookies);
    request.cookies = jar;

    std::unique_ptr<curl_slist, SlistDeleter> headers;
    // "Expect:" removes the header libcurl would add to hold back a larger body for a
    // "100 Continue".
    headers.reset(curl_slist_append(nullptr, "Expect:"));
    if (!headers) return {};
    if (!jar.empty() && !AppendHeader(headers, "Cookie", " " + jar)) return {};
    const std::string headerText =
        request.extraHeaders.empty() ? DefaultHeaderBlock(request.url) : request.extraHeaders;
    for (const HeaderLine& line : SplitHeaderLines(headerText)) {
        if (!AppendHeader(headers, line.name, line.value)) return {};
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());

    const std::string& data = request.bodyBytes.empty() ? request.bodyText : request.bodyBytes;
    if (method == "HEAD") {
        curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    } else if (method == "POST" || !data.empty()) {
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(data.size()));
        curl_easy_setopt(h, CURLOPT_COPYPOSTFIELDS, data.data());
        if (method != "POST") curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, method.c_str());
    } else if (method != "GET") {
        curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, method.c_str());
    }

    Transfer transfer;
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    if (request.cancel) {
        // libcurl calls this about once a second even while nothing arrives, connect included.
        curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
        curl_easy_setopt(h, CURLOPT_XFERINFODATA, request.cancel);
    }

    CURLcode result = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);

    request.responseHeaders = transfer.headers;
    CookieHarvest harvest = ScanResponseHeaders(transfer.headers, request.redirectTarget);
    request.returnedCookies = harvest.returned;
    MergeCookies(request.cookies, request.returnedCookies);
    if (cookies_ && status != 0) cookies_->StoreSystemCookies(rootHost, request.cookies + "; " + harvest.deletions);

    // An error page is not the document asked for: callers would read it as a feed or a
    // configuration.
    if (result != CURLE_OK || status < 200 || status > 299) return {};
    return std::move(transfer.body);
}

std::string HttpSession::FetchText(std::string_view url, const std::atomic<bool>* cancel) {
    HttpRequest request;
    request.url = std::string(url);
    request.cancel = cancel;
    std::string body = Request(request);
    if (size_t zero = body.find('\0'); zero != std::string::npos) body.resize(zero);
    return body;
}

}  // namespace qivra
