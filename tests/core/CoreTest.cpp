#include <gtest/gtest.h>

#include "core/Error.h"
#include "core/Event.h"
#include "core/Random.h"
#include "core/Strings.h"

using namespace velmora;

TEST(Error, MessageNamesClassAndOperation) {
  try {
    RaiseError("TGLTexture", "SetWidth", "Width is not power 2");
    FAIL() << "no exception";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "TGLTexture.SetWidth error: Width is not power 2");
  }
}

TEST(Event, UnsetEventIsSkippedAndSetOneFires) {
  TEvent<int> ev;
  Fire(ev, 3);  // must not throw
  int got = 0;
  ev = [&](int v) { got = v; };
  Fire(ev, 7);
  EXPECT_EQ(got, 7);
}

TEST(Strings, CaseInsensitiveCompareIsAsciiOnly) {
  EXPECT_TRUE(SameText("Scene.GSC", "scene.gsc"));
  EXPECT_FALSE(SameText("abc", "abcd"));
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_GT(CompareText("b", "A"), 0);
  EXPECT_LT(CompareText("ab", "abc"), 0);
  EXPECT_EQ(UpperCase("saver.scr"), "SAVER.SCR");
}

TEST(Strings, NumbersMustBeWholeTexts) {
  EXPECT_EQ(ParseInt(" 42 ").value(), 42);
  EXPECT_EQ(ParseInt("-7").value(), -7);
  EXPECT_FALSE(ParseInt("4x2").has_value());
  EXPECT_FALSE(ParseInt("").has_value());
  EXPECT_DOUBLE_EQ(ParseFloat("0.5").value(), 0.5);
  EXPECT_FALSE(ParseFloat("0,5").has_value());
  EXPECT_EQ(Format("%.5d", 1), "00001");
}

TEST(Random, SeededSequenceRepeatsAndStaysInRange) {
  RandSeed(42);
  int first[16];
  for (int& v : first) v = RandomInt(1000);
  RandSeed(42);
  for (int v : first) EXPECT_EQ(RandomInt(1000), v);

  int hits[10] = {};
  for (int i = 0; i < 100000; ++i) {
    const int v = RandomInt(10);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 10);
    ++hits[v];
    const float f = RandomFloat();
    ASSERT_GE(f, 0.0f);
    ASSERT_LT(f, 1.0f);
  }
  for (int h : hits) EXPECT_NEAR(h, 10000, 600);  // roughly uniform
  EXPECT_EQ(RandomInt(0), 0);
  EXPECT_EQ(RandomInt(-3), 0);
}
