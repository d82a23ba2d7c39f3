#pragma once
// Turning the program's stored texts (built in or received in the configuration) into plain
// text, with outdated results-host spellings brought up to date.

#include <string>
#include <string_view>

#include "net/deployment.hpp"

namespace qivra {

// Every spelling of the legacy domain becomes "http://" + currentHost: "http://www." + domain,
// "http://" + domain, "www." + domain and the bare domain, in that order of preference, all
// occurrences, case-sensitive ("https://" forms are read like "http://" ones). An empty
// legacy domain changes nothing.
std::string LegacyHostRewrite(std::string_view text, std::string_view legacyDomain, std::string_view currentHost);

// The plain text of a StoredText, host spellings rewritten; "" for an empty or damaged one.
// A text that already is an "http://" or "https://" address is taken as it stands.
std::string DecodeStoredText(std::string_view stored, const DeploymentSettings& settings);

}  // namespace qivra
