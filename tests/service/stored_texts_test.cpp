#include "tools/stored_texts.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "net/string_cipher.hpp"

namespace qivra {
namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Value(const char* name) { return FileBytes(std::string(QIVRA_DEPLOY_VALUES_DIR) + "/" + name); }

TEST(CompiledInSettings, CarryTheBuildsDeploymentValues) {
    const DeploymentSettings s = CompiledInSettings();
    const std::string url = Value("config_url.txt");
    ASSERT_FALSE(url.empty());
    EXPECT_NE(s.configUrlStored, url);
    EXPECT_EQ(Decipher(s.configUrlStored, kStoredTextKey), url);
    EXPECT_EQ(s.resultsHost, Value("results_host.txt"));
    EXPECT_EQ(s.legacyDomain, Value("legacy_domain.txt"));
    EXPECT_EQ(s.downloadPage, Value("download_page.txt"));
    EXPECT_EQ(s.contactLines, Value("contact_lines.txt"));
    EXPECT_EQ(s.contactLines.find('|'), std::string::npos);  // the build's separator became CR LF

    // The plain address must not be readable in the library that carries it.
    const std::string library = FileBytes(QIVRA_DEPLOY_LIBRARY);
    ASSERT_FALSE(library.empty());
    EXPECT_EQ(library.find(url), std::string::npos);
}

TEST(CompiledInSettings, PlanListsDecipherByteForByte) {
    const std::string dir = QIVRA_PLAN_DEFINITIONS_DIR;
    EXPECT_EQ(Decipher(FreePlanDefinitionsStored(), kStoredTextKey), FileBytes(dir + "/free_plans.txt"));
    EXPECT_EQ(Decipher(NamedPlanDefinitionsStored(), kStoredTextKey), FileBytes(dir + "/named_plans.txt"));
}

}  // namespace
}  // namespace qivra
