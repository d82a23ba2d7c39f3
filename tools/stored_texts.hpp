#pragma once
// The texts this build carries inside the program: its deployment settings and the plan
// definition lists. The configuration URL and the lists are kept enciphered, never in plain form.

#include <string>

#include "net/deployment.hpp"

namespace qivra {

// configUrlStored is a StoredText; the other fields are plain.
DeploymentSettings CompiledInSettings();

// StoredTexts of plans/definitions/free_plans.txt and named_plans.txt, byte for byte.
std::string FreePlanDefinitionsStored();
std::string NamedPlanDefinitionsStored();

}  // namespace qivra
