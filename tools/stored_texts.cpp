#include "tools/stored_texts.hpp"

#include "stored_texts_generated.hpp"

namespace qivra {

DeploymentSettings CompiledInSettings() {
    DeploymentSettings s;
    s.configUrlStored = generated::ConfigUrlStored();
    s.resultsHost = generated::ResultsHost();
    s.legacyDomain = generated::LegacyDomain();
    s.downloadPage = generated::DownloadPage();
    s.contactLines = generated::ContactLines();
    return s;
}

std::string FreePlanDefinitionsStored() { return generated::FreePlanDefinitionsStored(); }
std::string NamedPlanDefinitionsStored() { return generated::NamedPlanDefinitionsStored(); }

}  // namespace qivra
