#pragma once
// The per-user cookie store that carries cookies from one run to the next: one small text file,
// one "host<TAB>name<TAB>value" line per cookie, rewritten atomically on every change (which
// also removes the temporary files of saves a crash cut short).

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

namespace qivra {

class CookieStore {
public:
    // $XDG_DATA_HOME/Qivra28/cookies.txt, or ~/.local/share/Qivra28/cookies.txt.
    static std::filesystem::path DefaultPath();

    explicit CookieStore(std::filesystem::path file = DefaultPath());

    const std::filesystem::path& path() const { return file_; }

    // The cookies of the URL's host as "a=1; b=2", or with a name only that cookie's value;
    // empty when there are none or the file cannot be read.
    std::string ReadSystemCookies(std::string_view url, std::string_view name = {});

    // Stores every "name=value" part of cookies (";"-separated) for the URL's host. A value
    // that is empty or "deleted" removes the cookie. Returns false when the file could not be
    // written (the previous file then stays as it was).
    bool StoreSystemCookies(std::string_view url, std::string_view cookies);

private:
    std::filesystem::path file_;
    std::mutex mutex_;
};

}  // namespace qivra
