// Copying one device's stored data, with its device record, to another folder, which then
// is a data root of its own that view mode can show.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "data/data_location.h"
#include "data/device_registry.h"

namespace pelnor {

// Why a destination cannot take the copy: it is the program's own data root or lies
// inside it, or lies inside the device's folder, or holds it. Empty when it can.
std::optional<std::string> copyDestinationProblem(const DataLocation& own, int32_t deviceId,
                                                  const std::filesystem::path& destination);

// The whole copy with its questions and messages: the destination's master gains the
// device, its device folder is replaced by a copy of the own one. The old folder is
// replaced only once the copy is complete, so a failure leaves it whole. True when copied.
bool copyDeviceData(const DataLocation& own, const DeviceRegistry& registry, int32_t deviceId,
                    const std::string& destinationText, const StorageContext& storage);

}  // namespace pelnor
