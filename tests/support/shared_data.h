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

// Skips the test when something it needs is missing, except under CI, where that is a failure.
#define VEXILO_REQUIRE_TOOL(available, what)                       \
  do {                                                             \
    if (!(available)) {                                            \
      if (::vexilo::test::inCi()) FAIL() << what << " is missing"; \
      GTEST_SKIP() << what << " is missing";                       \
    }                                                              \
  } while (0)
#define VEXILO_REQUIRE_SHARED() \
  VEXILO_REQUIRE_TOOL(::vexilo::test::sharedAvailable(), "shared test data at " << ::vexilo::test::sharedDir())
