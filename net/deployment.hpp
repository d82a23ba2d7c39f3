#pragma once
// Where this build finds its services; filled from the build's deployment settings, or by tests
// with the address of a server they started.

#include <string>

namespace qivra {

struct DeploymentSettings {
    std::string configUrlStored;  // StoredText of the configuration URL
    std::string resultsHost;      // current results host, "host[:port]"
    std::string legacyDomain;     // old results domain that stored addresses may still name
    std::string downloadPage;     // opened when a newer version is published
    std::string contactLines;     // makers' contact and download lines, joined with CR LF
};

}  // namespace qivra
