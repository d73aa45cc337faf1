#pragma once

// Compares a model's JSON dump with an expected one, as the sample tests write them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModelJson.h"
#include "RFC822DateTime.h"

namespace vantle::test {

using tool::TJson;

// A date that defaults to the moment its object was made is written "now" in the expected
// dump; it must then lie within the load.
struct TLoadWindow {
  TDateTime Start;
  TDateTime End;
};

// Half a second, in days: the dumps carry whole seconds.
constexpr double kDateTolerance = 0.5 / 86400;

inline void ExpectSame(const TJson& expected, const TJson& actual, const std::string& path,
                       const TLoadWindow& window) {
  if (expected.is_string() && expected == "now" && path.ends_with(".DateTime")) {
    ASSERT_TRUE(actual.is_number()) << path;
    const double value = actual.get<double>();
    EXPECT_GE(value, window.Start - kDateTolerance) << path;
    EXPECT_LE(value, window.End + kDateTolerance) << path;
    return;
  }
  if (expected.is_number_float() || (expected.is_number() && path.ends_with(".DateTime"))) {
    ASSERT_TRUE(actual.is_number()) << path;
    EXPECT_NEAR(actual.get<double>(), expected.get<double>(), kDateTolerance) << path;
    return;
  }
  if (expected.is_object()) {
    ASSERT_TRUE(actual.is_object()) << path;
    std::vector<std::string> expectedKeys, actualKeys;
    for (const auto& [key, value] : expected.items()) expectedKeys.push_back(key);
    for (const auto& [key, value] : actual.items()) actualKeys.push_back(key);
    ASSERT_EQ(expectedKeys, actualKeys) << path;
    for (const std::string& key : expectedKeys)
      ExpectSame(expected[key], actual[key], path + "." + key, window);
    return;
  }
  if (expected.is_array()) {
    ASSERT_TRUE(actual.is_array()) << path;
    ASSERT_EQ(expected.size(), actual.size()) << path;
    for (size_t i = 0; i < expected.size(); ++i)
      ExpectSame(expected[i], actual[i], path + "[" + std::to_string(i) + "]", window);
    return;
  }
  EXPECT_EQ(expected, actual) << path;
}

// Writes every date of `dump` that lies within `window` as "now", so that a dump taken from
// one load compares with another load of the same document.
inline void MarkLoadTimes(TJson& dump, const TLoadWindow& window, const std::string& key = {}) {
  if (key == "DateTime" && dump.is_number()) {
    const double value = dump.get<double>();
    if (value >= window.Start - kDateTolerance && value <= window.End + kDateTolerance)
      dump = "now";
    return;
  }
  if (dump.is_object()) {
    for (auto& [name, value] : dump.items()) MarkLoadTimes(value, window, name);
  } else if (dump.is_array()) {
    for (TJson& value : dump) MarkLoadTimes(value, window);
  }
}

}  // namespace vantle::test
