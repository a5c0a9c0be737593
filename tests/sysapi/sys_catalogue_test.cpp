#include <gtest/gtest.h>

#include <string>

#include "kvo_sys.h"
#include "temp_folder.h"

namespace {

const char kGoodCatalogue[] =
    "# voices of this installation\n"
    "[tts.local.synth]\n"
    "type = local\n"
    "lang = zh-CN\n"
    "speaker = xiaoling\n"
    "gender = female\n"
    "config = speaker=xiaoling, domain=common\n"
    "resource = cnlib:zh_voice.kvl\n"
    "resource = enlib:en.kvl\n"
    "\n"
    "; a cloud voice\n"
    "[tts.cloud.synth]\n"
    "type = cloud\n"
    "lang = en-US\n"
    "service_url = http://127.0.0.1:1/tts\n"
    "[asr.local.x]\n"
    "type = local\n";

class SysCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(kvo_init(Config().c_str()), KVO_SYS_OK); }
  void TearDown() override {
    if (KVO_IsInited()) kvo_release();
  }
  std::string Config() const { return "dataPath=" + data_.path() + ",logLevel=1,logFilePath=" + data_.path() + "/log"; }
  TempFolder data_;
};

TEST_F(SysCatalogueTest, InnerItemCarriesConfigsResourcesAndCloudFlag) {
  data_.Write("catalogue.ini", kGoodCatalogue);
  CapInnerItem item;
  ASSERT_EQ(KVO_GetCapabilityInternalItemByKey("tts.local.synth", &item, "none"), KVO_SYS_OK);
  EXPECT_EQ(item.is_cloud, 0);
  ASSERT_EQ(item.config_count, 2);
  EXPECT_STREQ(item.configs[0].key, "speaker");
  EXPECT_STREQ(item.configs[0].value, "xiaoling");
  EXPECT_STREQ(item.configs[1].key, "domain");
  ASSERT_EQ(item.resource_count, 2);
  EXPECT_STREQ(item.resources[0].tag, "cnlib");
  EXPECT_STREQ(item.resources[0].file_name, "zh_voice.kvl");
  EXPECT_STREQ(item.resources[1].tag, "enlib");
  EXPECT_EQ(item.service_url, nullptr);
  EXPECT_EQ(KVO_ReleaseCapabilityInternalItem(&item), KVO_SYS_OK);
  EXPECT_EQ(item.resources, nullptr);

  ASSERT_EQ(KVO_GetCapabilityInternalItemByKey("tts.cloud.synth", &item, "android_so"), KVO_SYS_OK);
  EXPECT_EQ(item.is_cloud, 1);
  EXPECT_STREQ(item.service_url, "http://127.0.0.1:1/tts");
  EXPECT_EQ(item.resource_count, 0);
  KVO_ReleaseCapabilityInternalItem(&item);
}

TEST_F(SysCatalogueTest, LookupErrors) {
  CapInnerItem item;
  EXPECT_EQ(KVO_GetCapabilityInternalItemByKey("tts.local.synth", &item, "none"), KVO_SYS_CATALOG_MISSING);
  data_.Write("catalogue.ini", kGoodCatalogue);
  EXPECT_EQ(KVO_GetCapabilityInternalItemByKey("tts.local.other", &item, "none"), KVO_SYS_CAPKEY_UNKNOWN);
  EXPECT_EQ(KVO_GetCapabilityInternalItemByKey("TTS.LOCAL.SYNTH", &item, "none"), KVO_SYS_CAPKEY_UNKNOWN);
  EXPECT_EQ(KVO_GetCapabilityInternalItemByKey(nullptr, &item, "none"), KVO_SYS_INVALID_ARG);
  EXPECT_EQ(KVO_GetCapabilityInternalItemByKey("tts.local.synth", nullptr, "none"), KVO_SYS_INVALID_ARG);
  kvo_release();
  EXPECT_EQ(KVO_GetCapabilityInternalItemByKey("tts.local.synth", &item, "none"), KVO_SYS_NOT_INITED);
}

TEST_F(SysCatalogueTest, ListFiltersByPrefixAndKeepsProperties) {
  data_.Write("catalogue.ini", kGoodCatalogue);
  CapabilityList list;
  ASSERT_EQ(kvo_get_capability_list("TTS", &list), KVO_SYS_OK);
  ASSERT_EQ(list.count, 2);
  EXPECT_STREQ(list.items[0].capkey, "tts.local.synth");
  ASSERT_EQ(list.items[0].property_count, 3);
  EXPECT_STREQ(list.items[0].properties[0].name, "lang");
  EXPECT_STREQ(list.items[0].properties[0].value, "zh-CN");
  EXPECT_STREQ(list.items[0].properties[2].name, "gender");
  EXPECT_STREQ(list.items[1].capkey, "tts.cloud.synth");
  EXPECT_EQ(kvo_free_capability_list(&list), KVO_SYS_OK);
  EXPECT_EQ(list.count, 0);

  ASSERT_EQ(kvo_get_capability_list(nullptr, &list), KVO_SYS_OK);
  EXPECT_EQ(list.count, 3);
  kvo_free_capability_list(&list);

  CapabilityItem one;
  ASSERT_EQ(kvo_get_capability("tts.cloud.synth", &one), KVO_SYS_OK);
  EXPECT_STREQ(one.properties[0].value, "en-US");
  kvo_free_capability_item(&one);
  EXPECT_EQ(kvo_get_capability("nope", &one), KVO_SYS_CAPKEY_UNKNOWN);
}

struct BrokenCase {
  const char* name;
  const char* text;
  int line;  // the line the log must name
};

class SysBrokenCatalogueTest : public SysCatalogueTest, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(SysBrokenCatalogueTest, IsMalformedWithFileAndLineInTheLog) {
  data_.Write("catalogue.ini", GetParam().text);
  CapInnerItem item;
  EXPECT_EQ(KVO_GetCapabilityInternalItemByKey("tts.local.synth", &item, "none"), KVO_SYS_CATALOG_MALFORMED);
  EXPECT_EQ(item.resources, nullptr);
  CapabilityList list;
  EXPECT_EQ(kvo_get_capability_list("tts", &list), KVO_SYS_CATALOG_MALFORMED);
  EXPECT_EQ(list.count, 0);
  kvo_release();
  const std::string expected = "catalogue.ini:" + std::to_string(GetParam().line) + ":";
  EXPECT_NE(data_.Read("log/kvo_tts.log").find(expected), std::string::npos) << data_.Read("log/kvo_tts.log");
}

INSTANTIATE_TEST_SUITE_P(
    Files, SysBrokenCatalogueTest,
    ::testing::Values(BrokenCase{"DuplicateKey", "[tts.local.synth]\ntype=local\n[tts.local.synth]\ntype=local\n", 3},
                      BrokenCase{"MissingType", "[tts.local.synth]\nlang=zh\n", 1},
                      BrokenCase{"BadType", "[tts.local.synth]\ntype=remote\n", 2},
                      BrokenCase{"NoBracket", "[tts.local.synth\ntype=local\n", 1},
                      BrokenCase{"EntryBeforeSection", "type=local\n[tts.local.synth]\n", 1},
                      BrokenCase{"LineWithoutEquals", "[tts.local.synth]\ntype=local\njunk\n", 3},
                      BrokenCase{"BadResource", "[tts.local.synth]\ntype=local\nresource=zh.kvl\n", 3},
                      BrokenCase{"ResourceLeavesFolder", "[tts.local.synth]\ntype=local\nresource=cnlib:../x\n", 3},
                      BrokenCase{"BadConfig", "[tts.local.synth]\ntype=local\nconfig=a=1,b\n", 3},
                      BrokenCase{"EmptyProperty", "[tts.local.synth]\ntype=local\nlang=\n", 3},
                      BrokenCase{"Binary", "[tts.local.synth]\ntype=local\n\x01\x02\0\xff=\n", 3}),
    [](const ::testing::TestParamInfo<BrokenCase>& param) { return std::string(param.param.name); });

TEST(SysCatalogueInstalledTest, DefaultDataFolderHoldsTheCatalogue) {
  ASSERT_EQ(kvo_init(nullptr), KVO_SYS_OK);
  const std::string path = KVO_GetDataPath();
  EXPECT_FALSE(path.empty());
  EXPECT_EQ(path.back(), '/');
  kvo_release();
}

}  // namespace
