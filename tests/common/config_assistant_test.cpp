#include "config_assistant.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries ToEntries(const ConfigMap& map) { return Entries(map.begin(), map.end()); }

struct ParseCase {
  const char* text;
  bool ok;
  Entries expected;
};

class ParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, ParsesOrFailsLeavingMapEmpty) {
  const ParseCase& c = GetParam();
  ConfigMap map;
  map["stale"] = "entry";  // a failed parse must also drop what was there
  map.clear();
  EXPECT_EQ(ConfigAssistant::Parse(c.text, map), c.ok) << (c.text ? c.text : "(null)");
  EXPECT_EQ(ToEntries(map), c.expected) << (c.text ? c.text : "(null)");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseTest,
    ::testing::Values(
        ParseCase{nullptr, true, {}}, ParseCase{"", true, {}}, ParseCase{"a=1,,b=2", true, {{"a", "1"}, {"b", "2"}}},
        ParseCase{"a=1,b=2,", true, {{"a", "1"}, {"b", "2"}}}, ParseCase{" , a=1", true, {{"a", "1"}}},
        ParseCase{"a", false, {}}, ParseCase{"=1", false, {}}, ParseCase{"a=", false, {}}, ParseCase{"a= ", false, {}},
        ParseCase{" = 1", false, {}}, ParseCase{" A = x y ", true, {{"a", "x y"}}},
        ParseCase{"a=b=c", true, {{"a", "b=c"}}}, ParseCase{"capKey=x,CAPKEY=y", true, {{"capkey", "y"}}},
        ParseCase{"Speed=3,speed=7", true, {{"speed", "7"}}},
        ParseCase{"b=1,a=2,ab=3,B=4", true, {{"a", "2"}, {"ab", "3"}, {"b", "4"}}}, ParseCase{"a=1,x,b=2", false, {}},
        ParseCase{"\t\r\nk\n=\tV\r", true, {{"k", "V"}}}, ParseCase{"K\xC3\x84=v", true, {{"k\xC3\x84", "v"}}}));

TEST(ConfigAssistantTest, FailedParseClearsExistingEntries) {
  ConfigMap map;
  ASSERT_TRUE(ConfigAssistant::Parse("x=1", map));
  EXPECT_FALSE(ConfigAssistant::Parse("y=2,broken", map));
  EXPECT_TRUE(map.empty());
}

TEST(ConfigAssistantTest, SetGetRemoveAreCaseInsensitiveOnKeysOnly) {
  ConfigMap map;
  EXPECT_TRUE(ConfigAssistant::SetValue(" Volume ", " Loud ", map));
  std::string value;
  EXPECT_TRUE(ConfigAssistant::GetValue("VOLUME", map, value));
  EXPECT_EQ(value, "Loud");
  EXPECT_FALSE(ConfigAssistant::GetValue(" volume", map, value)) << "GetValue does not trim";
  EXPECT_FALSE(ConfigAssistant::SetValue("k", "  ", map));
  EXPECT_FALSE(ConfigAssistant::SetValue("\t", "v", map));
  EXPECT_EQ(map.size(), 1u);
  EXPECT_TRUE(ConfigAssistant::RemoveKey("VoLuMe", map));
  EXPECT_FALSE(ConfigAssistant::RemoveKey("volume", map));
}

TEST(ConfigAssistantTest, MergeOverwritesAndSerializeJoinsInKeyOrder) {
  ConfigMap target, source;
  ASSERT_TRUE(ConfigAssistant::Parse("speed=5,capkey=tts.local.synth", target));
  ASSERT_TRUE(ConfigAssistant::Parse("speed=7,audioformat=pcm8k8bit", source));
  ConfigAssistant::Merge(target, source);
  EXPECT_EQ(ConfigAssistant::Serialize(target), "audioformat=pcm8k8bit,capkey=tts.local.synth,speed=7");
  EXPECT_EQ(ConfigAssistant::Serialize(ConfigMap()), "");
}

TEST(ConfigAssistantTest, GetUIntAcceptsDigitsOnly) {
  ConfigMap map;
  ASSERT_TRUE(ConfigAssistant::Parse("a=42,b=-1,c=4x,d=007", map));
  unsigned int out = 99;
  EXPECT_TRUE(ConfigAssistant::GetUInt("a", map, out));
  EXPECT_EQ(out, 42u);
  EXPECT_FALSE(ConfigAssistant::GetUInt("b", map, out));
  EXPECT_FALSE(ConfigAssistant::GetUInt("c", map, out));
  EXPECT_FALSE(ConfigAssistant::GetUInt("missing", map, out));
  EXPECT_TRUE(ConfigAssistant::GetUInt("D", map, out));
  EXPECT_EQ(out, 7u);
}

TEST(ConfigAssistantTest, ValueInListIsPlainSubstringSearch) {
  EXPECT_TRUE(ConfigAssistant::ValueInList("on", "|off|on|"));
  EXPECT_FALSE(ConfigAssistant::ValueInList("On", "|off|on|"));
  EXPECT_FALSE(ConfigAssistant::ValueInList("o", "|off|on|"));
  EXPECT_TRUE(ConfigAssistant::ValueInList("off|on", "|off|on|"));
  EXPECT_TRUE(ConfigAssistant::ValueInList("anything", nullptr));
}

const ConfigRule kRules[] = {
    {"capkey", nullptr, nullptr, 4},
    {"puncmode", "|off|on|off_rtn|on_rtn|", "off", 0},
    {"volume", nullptr, "5", 0},
    {"style", "|a|b|", nullptr, 0},
};

TEST(ConfigAssistantTest, CheckAndRebuildFillsDefaultsAndKeepsUnknownKeys) {
  ConfigMap map;
  ASSERT_TRUE(ConfigAssistant::Parse("capkey=tts.local.synth,extra=1", map));
  EXPECT_EQ(ConfigAssistant::CheckAndRebuild(kRules, 4, map), 0);
  EXPECT_EQ(ConfigAssistant::Serialize(map), "capkey=tts.local.synth,extra=1,puncmode=off,volume=5");
}

TEST(ConfigAssistantTest, CheckAndRebuildStopsAtFirstFailingRule) {
  ConfigMap empty;
  EXPECT_EQ(ConfigAssistant::CheckAndRebuild(kRules, 4, empty), 4);
  EXPECT_TRUE(empty.empty()) << "no later rule may run";

  ConfigMap bad;
  ASSERT_TRUE(ConfigAssistant::Parse("capkey=x,puncmode=ON", bad));
  EXPECT_EQ(ConfigAssistant::CheckAndRebuild(kRules, 4, bad), 3);
  EXPECT_EQ(bad.count("volume"), 0u);
}

struct NumericCase {
  const char* value;
  bool valid;
};

class NumericValueTest : public ::testing::TestWithParam<NumericCase> {};

TEST_P(NumericValueTest, FollowsTheDecimalRule) {
  EXPECT_EQ(ConfigAssistant::IsValidNumericValue(GetParam().value), GetParam().valid) << GetParam().value;
  ConfigMap map;
  map["pitch"] = GetParam().value;
  EXPECT_EQ(ConfigAssistant::CheckNumericValues(map, "Test"), GetParam().valid ? 0 : 3);
}

INSTANTIATE_TEST_SUITE_P(Values, NumericValueTest,
                         ::testing::Values(NumericCase{"5", true}, NumericCase{"0", true}, NumericCase{"9.99", true},
                                           NumericCase{"9.5", true}, NumericCase{"5.", true}, NumericCase{"009", true},
                                           NumericCase{"10", false}, NumericCase{"1000", false},
                                           NumericCase{"9.999", false}, NumericCase{".5", false},
                                           NumericCase{"-1", false}, NumericCase{"1e1", false},
                                           NumericCase{" 5", false}, NumericCase{"5.5.5", false},
                                           NumericCase{"", false}, NumericCase{"010.5", false},
                                           NumericCase{"09.25", true}));

TEST(ConfigAssistantTest, NumericCheckLooksAtSpeedVolumePitchOnly) {
  ConfigMap map;
  ASSERT_TRUE(ConfigAssistant::Parse("speed=5,volume=9.99,pitch=0,other=abc", map));
  EXPECT_EQ(ConfigAssistant::CheckNumericValues(map, "Test"), 0);
  map["volume"] = "12";
  EXPECT_EQ(ConfigAssistant::CheckNumericValues(map, "Test"), 3);
}

}  // namespace
