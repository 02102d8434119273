#include "sim/World.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

#include "sim/DefaultWorld.h"
#include "sim/WorldFile.h"
#include "sim/WorldRegistry.h"

namespace sim {
namespace {

// The file's bytes, or nullopt with *reason the errno of why not (a directory opens but does
// not read).
std::optional<std::string> readWholeFile(const std::string& path, int* reason) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  *reason = errno;
  if (!file) return std::nullopt;
  std::string text;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, got);
  *reason = errno;
  if (std::ferror(file.get()) != 0) return std::nullopt;
  return text;
}

}  // namespace

World::World(WorldPlan plan)
    : plan_(std::move(plan)), machine_(std::make_unique<os::sim::SimMachine>()) {}

World::~World() = default;

std::unique_ptr<World> World::load(const std::string& path, std::string* error, bool* unreadable) {
  int reason = 0;
  std::optional<std::string> text = readWholeFile(path, &reason);
  if (unreadable != nullptr) *unreadable = !text;
  if (!text) {
    *error = path + ": cannot open: " + std::strerror(reason);
    return nullptr;
  }
  return fromText(*text, path, error);
}

std::unique_ptr<World> World::fromText(std::string_view text, std::string_view name,
                                       std::string* error) {
  std::optional<WorldPlan> plan = parseWorldFile(text, name, error);
  if (!plan) return nullptr;
  std::unique_ptr<World> world(new World(std::move(*plan)));
  if (!world->build(error)) return nullptr;
  return world;
}

std::unique_ptr<World> World::named(const std::string& name, std::string* error,
                                    bool* unreadable) {
  if (unreadable != nullptr) *unreadable = false;
  if (name == "default") return fromText(defaultWorldText(), "default world", error);
  return load(name, error, unreadable);
}

bool World::build(std::string* error) {
  std::string registryError;
  if (!machine_->loadRegistry(worldRegistryText(plan_), &registryError)) {
    *error = "the world's registry does not load: " + registryError;
    return false;
  }
  for (const PlotterPlan& plotter : plan_.plotters) plugIn(plotter);
  setUpQueues();
  return true;
}

void World::plugIn(const PlotterPlan& plan) {
  auto plotter = std::make_unique<VirtualPlotter>(plan.identity);
  plotter->state = plan.state;
  plotter->misbehaviour = plan.misbehaviour;
  if (plan.powerOnAfter) {
    VirtualPlotter* comingBack = plotter.get();
    os::sim::SimMachine* machine = machine_.get();
    const os::sim::Tick delay = *plan.powerOnAfter;
    plotter->whenShutOff = [comingBack, machine, delay] {
      machine->schedule(delay, [comingBack] { comingBack->powerOn(); });
    };
  }
  plotter->plugIn(*machine_);
  plotters_.push_back(std::move(plotter));
}

void World::setUpQueues() {
  std::map<std::string_view, VirtualPlotter*> byLabel;
  for (size_t i = 0; i < plotters_.size(); ++i) {
    byLabel.emplace(plan_.plotters[i].label, plotters_[i].get());
  }
  for (const QueuePlan& queue : plan_.queues) {
    machine_->configureQueue(queue.name, queue.settings);
    if (!queue.plotter.empty()) byLabel.at(queue.plotter)->servePort(queue.port);
  }
}

VirtualPlotter* World::plotter(std::string_view label) {
  for (size_t i = 0; i < plotters_.size(); ++i) {
    if (plan_.plotters[i].label == label) return plotters_[i].get();
  }
  return nullptr;
}

}  // namespace sim
