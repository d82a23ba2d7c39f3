#include "net/remote_config.hpp"

#include <gtest/gtest.h>

#include "core/text.hpp"

namespace qivra {
namespace {

const std::string kFullBody =
    "[info]\r\n版本:1.4.0]1\r\n公告:欢迎使用]4\r\n更新:第一行\r\n第二行]5\r\nJK1:0A1B]7\r\nJK2:http://h/f]8\r\n";

TEST(ParseRemoteConfig, ReadsUtf8AndGbkBodiesAlike) {
    std::optional<std::string> gbk = Utf8ToGbk(kFullBody);
    ASSERT_TRUE(gbk);
    ASSERT_NE(*gbk, kFullBody);
    for (const std::string& body : {kFullBody, *gbk}) {
        RemoteConfig c = ParseRemoteConfig(body);
        EXPECT_EQ(c.version, "1.4.0");
        EXPECT_EQ(c.notice, "欢迎使用");
        EXPECT_EQ(c.updateNotes, "第一行\r\n第二行");
        EXPECT_EQ(c.feedEndpoint1, "0A1B");
        EXPECT_EQ(c.feedEndpoint2, "http://h/f");
        EXPECT_TRUE(IsCurrentVersion(c));
    }
}

TEST(ParseRemoteConfig, LabelsAnywhereAnyCaseMissingOnesEmpty) {
    RemoteConfig c = ParseRemoteConfig("jk2:B]8 x jK1:A]7 公告:欢迎]4 版本:1.4.0]1");
    EXPECT_EQ(c.feedEndpoint1, "A");
    EXPECT_EQ(c.feedEndpoint2, "B");
    EXPECT_EQ(c.notice, "欢迎");
    EXPECT_EQ(c.updateNotes, "");

    c = ParseRemoteConfig("版本:1.4.0]1公告:欢迎]4");
    EXPECT_EQ(c.notice, "欢迎");
    EXPECT_EQ(c.updateNotes, "");
    EXPECT_EQ(c.feedEndpoint1, "");
    EXPECT_EQ(c.feedEndpoint2, "");

    c = ParseRemoteConfig("更新:no end marker");
    EXPECT_EQ(c.updateNotes, "");
    EXPECT_FALSE(IsCurrentVersion(c));

    // Neither UTF-8 nor GBK: searched as the bytes they are.
    c = ParseRemoteConfig("\xff\xfe" + kFullBody + "\x81");
    EXPECT_EQ(c.version, "1.4.0");
    EXPECT_EQ(c.feedEndpoint1, "0A1B");
}

TEST(IsCurrentVersion, ComparesExactly) {
    for (const char* other : {"1.4.1", "", " 1.4.0", "1.4.0 ", "1.4", "v1.4.0"}) {
        RemoteConfig c;
        c.version = other;
        EXPECT_FALSE(IsCurrentVersion(c)) << other;
    }
}

}  // namespace
}  // namespace qivra
