// The standard USB descriptors of a virtual plotter, built from its identity, in USB layout.
#pragma once

#include <optional>
#include <vector>

#include "os/Win32.h"

namespace sim {

struct PlotterIdentity;
struct EndpointSetup;

using Bytes = std::vector<BYTE>;

// The configuration value the one configuration carries once it is set.
inline constexpr BYTE kConfigurationValue = 1;

Bytes deviceDescriptor(const PlotterIdentity& identity);
// The whole configuration: configuration, then each interface followed by its endpoints.
Bytes configurationDescriptor(const PlotterIdentity& identity);
// Only alternate setting 0 exists; none for anything that is not there.
std::optional<Bytes> interfaceDescriptor(const PlotterIdentity& identity, BYTE interfaceIndex,
                                         BYTE alternateSetting);
std::optional<Bytes> endpointDescriptor(const PlotterIdentity& identity, BYTE interfaceIndex,
                                        BYTE alternateSetting, BYTE endpointIndex);
// By endpoint address, in the one configuration; none when no interface has it.
const EndpointSetup* findEndpoint(const PlotterIdentity& identity, BYTE address);
std::optional<Bytes> endpointDescriptorAt(const PlotterIdentity& identity, BYTE address);
// 0: the language list (US English); 1 maker, 2 product, 3 the instance serial; none beyond.
std::optional<Bytes> stringDescriptor(const PlotterIdentity& identity, BYTE index);

}  // namespace sim
