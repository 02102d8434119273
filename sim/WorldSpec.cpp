#include "sim/WorldSpec.h"

namespace sim {

const PlotterSpec* WorldSpec::plotter(const std::string& label) const {
  for (const PlotterSpec& spec : plotters) {
    if (spec.label == label) return &spec;
  }
  return nullptr;
}

}  // namespace sim
