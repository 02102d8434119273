// The conformance environment of the simulated machine.
#include <memory>

#include "ConformanceEnv.h"
#include "ScratchDirectory.h"
#include "os/sim/SimMachine.h"

namespace conformance {
namespace {

class SimEnv : public Env {
 public:
  const char* name() const override { return "sim"; }
  os::Platform& platform() override { return machine_; }
  bool loadRegistry(const std::string& regText) override { return machine_.loadRegistry(regText); }
  std::string scratchDirectory() override { return scratch_.path(); }
  long openHandleCount() override { return static_cast<long>(machine_.openHandleCount()); }
  bool simulated() const override { return true; }

 private:
  os::sim::SimMachine machine_;
  ScratchDirectory scratch_;
};

}  // namespace

std::unique_ptr<Env> makeSimEnv() { return std::make_unique<SimEnv>(); }

}  // namespace conformance
