// The built-in tables of word building and tagging: the values the tagger
// is tuned around must survive any regeneration of the transition table.
#include <gtest/gtest.h>

#include "frontend/analysis/tag_tables.h"

namespace kvo::frontend {
namespace {

int Tag(const char* name) { return TagNumberOfName(name, 4); }

TEST(TagTables, AnchorTransitionsKeepTheirValues) {
  struct Anchor {
    int earlier, later;
    uint16_t cost;
  };
  const Anchor anchors[] = {
      {Tag("n"), Tag("v"), 823}, {Tag("n"), Tag("n"), 738}, {Tag("v"), Tag("n"), 737}, {Tag("m"), Tag("q"), 326},
      {Tag("q"), Tag("n"), 515}, {-1, Tag("n"), 942},       {Tag("n"), -2, 1580},
  };
  for (const Anchor& a : anchors)
    EXPECT_EQ(TagTransitionCost(a.earlier, a.later), a.cost) << a.earlier << "->" << a.later;
}

TEST(TagTables, TransitionCostsStayInTheirRange) {
  int unseen = 0;
  for (const auto& row : kTagTransitionCost)
    for (uint16_t cost : row) {
      if (cost == kCostUnreachable) {
        ++unseen;
        continue;
      }
      EXPECT_GE(cost, 46);
      EXPECT_LE(cost, 3656);
    }
  EXPECT_GT(unseen, 0);
  EXPECT_LT(unseen, kTaggerTagCount * kTaggerTagCount);
  // A tag outside the tagger's list never connects.
  EXPECT_EQ(TagTransitionCost(Tag("x"), Tag("n")), kCostUnreachable);
  EXPECT_EQ(TagTransitionCost(Tag("n"), Tag("nrf")), kCostUnreachable);
}

TEST(TagTables, NamesNumbersAndLetterCodes) {
  EXPECT_EQ(Tag("m"), 34);
  EXPECT_EQ(Tag("n"), 38);
  EXPECT_EQ(Tag("nrg"), 41);
  EXPECT_EQ(Tag("w"), 88);
  EXPECT_EQ(Tag("x"), 104);
  EXPECT_EQ(Tag("zs"), 108);
  EXPECT_EQ(Tag("nq"), 255);
  EXPECT_EQ(TagNumberOfName("nsxx", 2), 42);  // only the given bytes count
  EXPECT_EQ(LetterCodedTag(Tag("n")), 110);
  EXPECT_EQ(LetterCodedTag(Tag("ns")), 29550);
  EXPECT_EQ(LetterCodedTag(Tag("nz")), 31342);
  EXPECT_EQ(LetterCodedTag(Tag("y")), 121);
  EXPECT_EQ(LetterCodedTag(500), 119);  // no tag: w
}

TEST(TagTables, CostScaleAndEmissionSteps) {
  struct Step {
    uint32_t x;
    int32_t cost;
  };
  const Step steps[] = {
      {0, 97}, {1, 97}, {2, 194}, {3, 485}, {2079997, 6396}, {2010764683u, 9303}, {4000000000u, 9303}};
  for (const Step& s : steps) EXPECT_EQ(CostScale(s.x), s.cost) << s.x;
  EXPECT_EQ(kEmissionCost[0], 65535);
  EXPECT_EQ(kEmissionCost[1], 2000);
  EXPECT_EQ(kEmissionCost[10], 1000);
  EXPECT_EQ(kEmissionCost[100], 0);
}

}  // namespace
}  // namespace kvo::frontend
