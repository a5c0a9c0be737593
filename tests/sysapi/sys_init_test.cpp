#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kvo_sys.h"
#include "temp_folder.h"

namespace {

class SysInitTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (KVO_IsInited()) kvo_release();
  }
  TempFolder data_;
};

TEST_F(SysInitTest, InitReleaseLifecycle) {
  EXPECT_FALSE(KVO_IsInited());
  EXPECT_EQ(kvo_release(), KVO_SYS_NOT_INITED);
  ASSERT_EQ(kvo_init(("dataPath=" + data_.path()).c_str()), KVO_SYS_OK);
  EXPECT_TRUE(KVO_IsInited());
  EXPECT_EQ(kvo_init(nullptr), KVO_SYS_ALREADY_INITED);
  EXPECT_EQ(std::string(KVO_GetDataPath()), data_.path() + "/");
  EXPECT_EQ(kvo_release(), KVO_SYS_OK);
  EXPECT_FALSE(KVO_IsInited());
  EXPECT_STREQ(KVO_GetDataPath(), "");
}

struct InitCase {
  const char* config;
  int expected;
};

class SysInitConfigTest : public ::testing::TestWithParam<InitCase> {
 protected:
  void TearDown() override {
    if (KVO_IsInited()) kvo_release();
  }
};

TEST_P(SysInitConfigTest, AcceptsOrRefusesTheInitString) {
  EXPECT_EQ(kvo_init(GetParam().config), GetParam().expected) << (GetParam().config ? GetParam().config : "(null)");
  EXPECT_EQ(KVO_IsInited() != 0, GetParam().expected == KVO_SYS_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, SysInitConfigTest,
    ::testing::Values(InitCase{nullptr, KVO_SYS_OK}, InitCase{"", KVO_SYS_OK},
                      InitCase{"appkey=abc,developerKey=d,cloudUrl=x", KVO_SYS_OK},
                      InitCase{"unknownKey=1", KVO_SYS_OK}, InitCase{"logLevel=5", KVO_SYS_OK},
                      InitCase{"logLevel=6", KVO_SYS_BAD_CONFIG}, InitCase{"logLevel=abc", KVO_SYS_BAD_CONFIG},
                      InitCase{"logFileSize=0", KVO_SYS_BAD_CONFIG}, InitCase{"logFileCount=-2", KVO_SYS_BAD_CONFIG},
                      InitCase{"maxSessionCount=0", KVO_SYS_BAD_CONFIG},
                      InitCase{"maxSessionCount=257", KVO_SYS_BAD_CONFIG}, InitCase{"latitude=91", KVO_SYS_BAD_CONFIG},
                      InitCase{"a=1,,b", KVO_SYS_BAD_CONFIG}, InitCase{"=", KVO_SYS_BAD_CONFIG},
                      InitCase{"dataPath=/nonexistent/kvo/folder", KVO_SYS_BAD_CONFIG},
                      InitCase{"logLevel=3,logFilePath=/proc/kvo_cannot_write", KVO_SYS_OK}));

TEST_F(SysInitTest, SettingsReachTheGetters) {
  ASSERT_EQ(kvo_init("appkey=my-app,maxSessionCount=3,latitude=31.2,longitude=121.5"), KVO_SYS_OK);
  EXPECT_STREQ(KVO_GetDefaultAppKey(), "my-app");
  EXPECT_EQ(KVO_GetMaxSessionCount(), 3);
  KvoLocation location{9, 9};
  EXPECT_EQ(KVO_GetLocation(&location), KVO_SYS_OK);
  EXPECT_DOUBLE_EQ(location.latitude, 31.2);
  EXPECT_DOUBLE_EQ(location.longitude, 121.5);
  EXPECT_EQ(KVO_GetLocation(nullptr), KVO_SYS_INVALID_ARG);
  kvo_release();
  ASSERT_EQ(kvo_init(nullptr), KVO_SYS_OK);
  EXPECT_EQ(KVO_GetMaxSessionCount(), 16);
  EXPECT_STREQ(KVO_GetDefaultAppKey(), "");
  EXPECT_EQ(KVO_GetLocation(&location), KVO_SYS_OK);
  EXPECT_EQ(location.latitude, 0.0);
  EXPECT_EQ(location.longitude, 0.0);
}

TEST_F(SysInitTest, ServiceAddressNeedsCloudUrl) {
  EXPECT_EQ(KVO_ApplyServiceUrlSynch(), KVO_SYS_NOT_INITED);
  ASSERT_EQ(kvo_init(nullptr), KVO_SYS_OK);
  EXPECT_EQ(KVO_ApplyServiceUrlSynch(), KVO_SYS_NO_SERVICE);
  EXPECT_EQ(KVO_StartApplyServiceUrlThread(), KVO_SYS_OK);
  kvo_release();
  ASSERT_EQ(kvo_init("cloudUrl=http://127.0.0.1:1/tts"), KVO_SYS_OK);
  EXPECT_EQ(KVO_ApplyServiceUrlSynch(), KVO_SYS_OK);
}

TEST_F(SysInitTest, UsageRecordsAreCountedAndTextsStayOffDiskByDefault) {
  ASSERT_EQ(kvo_init(("dataPath=" + data_.path() + ",logLevel=5,logFilePath=" + data_.path()).c_str()), KVO_SYS_OK);
  const char secret[] = "my private text";
  UserHistoryItem item{};
  item.appkey = "app";
  item.capkey = "tts.local.synth";
  item.config_text = "capkey=tts.local.synth";
  item.request_data = reinterpret_cast<const unsigned char*>(secret);
  item.request_len = static_cast<int>(std::strlen(secret));
  EXPECT_EQ(kvo_append_user_his_item(&item), KVO_SYS_OK);
  EXPECT_EQ(kvo_append_user_his_item(&item), KVO_SYS_OK);
  EXPECT_EQ(kvo_append_user_his_item(nullptr), KVO_SYS_INVALID_ARG);
  EXPECT_EQ(KVO_GetUsageRecordCount(), 2);
  kvo_release();
  for (const std::string& name : data_.List()) {
    EXPECT_EQ(data_.Read(name).find(secret), std::string::npos) << name;
  }
}

TEST_F(SysInitTest, HistoryFileKeepsTextsWhenAskedFor) {
  const std::string history = data_.path() + "/history.txt";
  ASSERT_EQ(kvo_init(("historyFile=" + history).c_str()), KVO_SYS_OK);
  const char text[] = "hello";
  UserHistoryItem item{};
  item.capkey = "tts.local.synth";
  item.request_data = reinterpret_cast<const unsigned char*>(text);
  item.request_len = 5;
  EXPECT_EQ(kvo_append_user_his_item(&item), KVO_SYS_OK);
  kvo_release();
  EXPECT_NE(data_.Read("history.txt").find("hello"), std::string::npos);
}

TEST(SysErrorTextTest, EveryCodeHasAText) {
  const int known[] = {0,
                       -1,
                       1,
                       2,
                       3,
                       4,
                       5,
                       6,
                       7,
                       9,
                       10,
                       14,
                       15,
                       16,
                       17,
                       18,
                       22,
                       23,
                       100,
                       500,
                       501,
                       502,
                       503,
                       504,
                       KVO_SYS_INVALID_ARG,
                       KVO_SYS_BAD_CONFIG,
                       KVO_SYS_ALREADY_INITED,
                       KVO_SYS_CATALOG_MISSING,
                       KVO_SYS_CATALOG_MALFORMED,
                       KVO_SYS_CAPKEY_UNKNOWN,
                       KVO_SYS_NO_SERVICE,
                       KVO_SYS_NO_MEMORY};
  const std::string unknown = kvo_get_error_info(123456);
  for (int code : known) {
    ASSERT_NE(kvo_get_error_info(code), nullptr);
    EXPECT_NE(kvo_get_error_info(code), unknown) << code;
  }
  EXPECT_NE(kvo_get_error_info(-77), nullptr);
  for (int code = 0; code <= 7; ++code) EXPECT_NE(kvo_get_player_error_info(code), nullptr);
  EXPECT_STREQ(kvo_get_player_error_info(99), "unknown player error");
}

}  // namespace
