// The fixture of the conformance suite: each test runs once per environment, with that
// environment's platform installed and its handle count checked at the end.
//
//   CONFORMANCE_SUITE(EventConformance);
//   TEST_P(EventConformance, ...) { ... os::CreateEventA(...) ... }
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <optional>
#include <string>
#include <vector>

#include "ConformanceEnv.h"
#include "os/Calls.h"

namespace conformance {

struct EnvMaker {
  const char* name;
  std::unique_ptr<Env> (*make)();
};

inline void PrintTo(const EnvMaker& maker, std::ostream* out) { *out << maker.name; }

// The environments of this build: the simulated machine, and Windows on Windows.
std::vector<EnvMaker> environments();
std::string envName(const ::testing::TestParamInfo<EnvMaker>& info);

class ConformanceTest : public ::testing::TestWithParam<EnvMaker> {
 protected:
  void SetUp() override;
  void TearDown() override;

  Env& env() { return *env_; }
  // A path in the environment's scratch directory.
  std::string scratchPath(const std::string& name) { return env_->scratchDirectory() + name; }
  // Writes a file through the platform's own calls.
  void writeFile(const std::string& path, const std::string& content);

 private:
  std::unique_ptr<Env> env_;
  std::optional<os::ScopedPlatform> platform_;
  long startHandles_ = -1;
};

}  // namespace conformance

#define CONFORMANCE_SUITE(Suite)                                     \
  class Suite : public ::conformance::ConformanceTest {};            \
  INSTANTIATE_TEST_SUITE_P(Env, Suite,                               \
                           ::testing::ValuesIn(::conformance::environments()), \
                           ::conformance::envName)
