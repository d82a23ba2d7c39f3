#pragma once
// The configuration text published for the program: version, notice, update notes and the two
// results-feed endpoints, each written as label, value, end marker.

#include <string>
#include <string_view>

#include "core/version.hpp"

namespace qivra {

struct RemoteConfig {
    std::string version;
    std::string notice;
    std::string updateNotes;
    std::string feedEndpoint1;  // StoredText (or plain URL) of the game-0 feed
    std::string feedEndpoint2;  // StoredText (or plain URL) of the game-1 feed
};

// Fields are found by label anywhere in the body, ignoring letter case; a missing field is
// empty. The body is read as UTF-8 when it is valid UTF-8, else as GBK; a body that is neither
// is searched as the bytes it is. Values come back as UTF-8 whenever the body could be decoded.
RemoteConfig ParseRemoteConfig(std::string_view body);

// True only when the published version is exactly this program's.
bool IsCurrentVersion(const RemoteConfig& config);

}  // namespace qivra
