#include "net/stored_text.hpp"

#include <array>
#include <optional>

#include "core/text.hpp"
#include "net/string_cipher.hpp"

namespace qivra {

std::string LegacyHostRewrite(std::string_view text, std::string_view legacyDomain, std::string_view currentHost) {
    if (legacyDomain.empty()) return std::string(text);
    const std::string d(legacyDomain);
    // Longest spelling first at each position, and one pass over the text: a current host that
    // itself contains the legacy domain is never rewritten a second time.
    const std::array<std::string, 6> spellings = {"https://www." + d, "https://" + d, "http://www." + d,
                                                  "http://" + d,      "www." + d,     d};
    const std::string replacement = "http://" + std::string(currentHost);
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        bool replaced = false;
        for (const std::string& s : spellings) {
            if (text.substr(i, s.size()) == s) {
                out += replacement;
                i += s.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

std::string DecodeStoredText(std::string_view stored, const DeploymentSettings& settings) {
    std::string text = Trim(stored);
    if (text.empty()) return {};
    if (!StartsWithNoCase(text, "http://") && !StartsWithNoCase(text, "https://")) {
        std::optional<std::string> plain = Decipher(text, kStoredTextKey);
        if (!plain || plain->empty()) return {};
        text = std::move(*plain);
    }
    return LegacyHostRewrite(text, settings.legacyDomain, settings.resultsHost);
}

}  // namespace qivra
