#pragma once
// Names parameterised cases after the `name` field of their table row.
#include <gtest/gtest.h>

#include <string>

struct CaseName {
  template <class T>
  std::string operator()(const testing::TestParamInfo<T>& row) const {
    return row.param.name;
  }
};
