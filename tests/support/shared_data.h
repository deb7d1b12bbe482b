// Where the sample files and the corpus made by other programs are found.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "core/bytes.h"

namespace vexilo::test {

// The folder holding samples/ and corpus/ (beside the project, never copied into it).
std::filesystem::path sharedDir();
bool sharedAvailable();
// True when running under CI, where missing test data and oracles are failures, not skips.
bool inCi();
core::ByteBuffer readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, core::Bytes bytes);

}  // namespace vexilo::test

// Skips the test when ../shared is absent, except under CI, where that is a failure.
#define VEXILO_REQUIRE_SHARED()                                                        \
  do {                                                                                 \
    if (!::vexilo::test::sharedAvailable()) {                                          \
      if (::vexilo::test::inCi()) FAIL() << "shared test data missing: "               \
                                         << ::vexilo::test::sharedDir();               \
      GTEST_SKIP() << "shared test data not found at " << ::vexilo::test::sharedDir(); \
    }                                                                                  \
  } while (0)
