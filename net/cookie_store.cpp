#include "net/cookie_store.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <vector>

#include "core/atomic_file.hpp"
#include "core/text.hpp"
#include "net/http_session.hpp"

namespace qivra {
namespace {

constexpr std::uintmax_t kMaxStoreBytes = 1024u * 1024u;

struct Cookie {
    std::string host;
    std::string name;
    std::string value;
};

bool FitsField(std::string_view text) {
    return text.find_first_of(std::string_view("\t\r\n\0", 4)) == std::string_view::npos;
}

bool ValidCookie(const Cookie& c) {
    return !c.host.empty() && !c.name.empty() && FitsField(c.host) && FitsField(c.name) && FitsField(c.value) &&
           c.name.find_first_of("=; ") == std::string::npos && c.value.find(';') == std::string::npos;
}

// Lines that do not hold a well-formed cookie are skipped; an oversized file is not read.
std::vector<Cookie> Load(const std::filesystem::path& file) {
    std::vector<Cookie> cookies;
    std::error_code ec;
    auto size = std::filesystem::file_size(file, ec);
    if (ec || size > kMaxStoreBytes) return cookies;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t tab1 = line.find('\t');
        if (tab1 == std::string::npos) continue;
        size_t tab2 = line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos) continue;
        Cookie c{line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)};
        if (ValidCookie(c) && !c.value.empty()) cookies.push_back(std::move(c));
    }
    return cookies;
}

// Replaced whole, so a crash leaves either the old store or the new one, never half of it.
// Owner-only: the cookies hold sessions.
bool SaveAtomically(const std::filesystem::path& file, const std::vector<Cookie>& cookies) {
    std::error_code ec;
    std::filesystem::path folder = file.parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec) return false;

    std::string text;
    for (const Cookie& c : cookies) text += c.host + '\t' + c.name + '\t' + c.value + '\n';
    return ReplaceFileAtomically(file.string(), text, 0600) == 0;
}

}  // namespace

std::filesystem::path CookieStore::DefaultPath() {
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::filesystem::path(home) / ".local" / "share";
    } else {
        base = std::filesystem::temp_directory_path();
    }
    return base / "Qivra28" / "cookies.txt";
}

CookieStore::CookieStore(std::filesystem::path file) : file_(std::move(file)) {}

std::string CookieStore::ReadSystemCookies(std::string_view url, std::string_view name) {
    std::string host = HostOf(url);
    std::lock_guard lock(mutex_);
    std::string out;
    for (const Cookie& c : Load(file_)) {
        if (c.host != host) continue;
        if (!name.empty()) {
            if (c.name == name) return c.value;
            continue;
        }
        if (!out.empty()) out += "; ";
        out += c.name + '=' + c.value;
    }
    return name.empty() ? out : std::string();
}

bool CookieStore::StoreSystemCookies(std::string_view url, std::string_view cookies) {
    std::string host = HostOf(url);
    std::lock_guard lock(mutex_);
    std::vector<Cookie> all = Load(file_);
    bool changed = false;
    for (const std::string& part : SplitText(cookies, ";")) {
        size_t eq = part.find('=');
        if (eq == std::string::npos) continue;
        Cookie c{host, Trim(std::string_view(part).substr(0, eq)), Trim(std::string_view(part).substr(eq + 1))};
        if (!ValidCookie(c)) continue;
        bool remove = c.value.empty() || c.value == "deleted";
        bool found = false;
        for (auto it = all.begin(); it != all.end();) {
            if (it->host == c.host && it->name == c.name) {
                if (remove || found) {  // a repeated entry goes as well
                    it = all.erase(it);
                    changed = true;
                    continue;
                }
                if (it->value != c.value) {
                    it->value = c.value;
                    changed = true;
                }
                found = true;
            }
            ++it;
        }
        if (!found && !remove) {
            all.push_back(std::move(c));
            changed = true;
        }
    }
    return !changed || SaveAtomically(file_, all);
}

}  // namespace qivra
