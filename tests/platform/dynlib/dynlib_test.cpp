#include <gtest/gtest.h>

#include "platform/dynlib/dynlib.h"

TEST(DynLib, LoadsResolvesAndReportsMissingThings) {
  qv::DynLib lib;
  ASSERT_TRUE(lib.Load(QV_TEST_PLUGIN)) << lib.Error();
  auto twice = lib.Function<int (*)(int)>("twice");
  ASSERT_NE(twice, nullptr);
  EXPECT_EQ(twice(21), 42);
  EXPECT_EQ(lib.Symbol("Init"), nullptr);
  EXPECT_FALSE(lib.Error().empty());
  lib.Unload();
  EXPECT_FALSE(lib.Loaded());
  EXPECT_EQ(lib.Symbol("twice"), nullptr);

  qv::DynLib missing;
  EXPECT_FALSE(missing.Load("/nonexistent/libnothing.so"));
  EXPECT_FALSE(missing.Error().empty());
}
