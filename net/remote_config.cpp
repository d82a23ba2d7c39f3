#include "net/remote_config.hpp"

#include <optional>

#include "core/text.hpp"

namespace qivra {

RemoteConfig ParseRemoteConfig(std::string_view body) {
    std::string text;
    if (IsValidUtf8(body)) {
        text = std::string(body);
    } else if (std::optional<std::string> utf8 = GbkToUtf8(body)) {
        text = std::move(*utf8);
    } else {
        text = std::string(body);
    }
    RemoteConfig config;
    config.version = TextBetween(text, "版本:", "]1");
    config.notice = TextBetween(text, "公告:", "]4");
    config.updateNotes = TextBetween(text, "更新:", "]5");
    config.feedEndpoint1 = TextBetween(text, "JK1:", "]7");
    config.feedEndpoint2 = TextBetween(text, "JK2:", "]8");
    return config;
}

bool IsCurrentVersion(const RemoteConfig& config) { return config.version == kProgramVersion; }

}  // namespace qivra
