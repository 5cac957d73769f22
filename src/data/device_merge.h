// Three-way merge of device masters: what this program changed since it loaded the master
// (base to mine) is made to what another program saved meanwhile (theirs), field by field,
// so that a field this program left alone keeps the file's value. Where both changed the
// same field differently, one deleted a device the other changed, or both registered one ID
// differently, the question which change stays is asked: nothing is decided silently.
#pragma once

#include <functional>
#include <string>

#include "data/device_registry.h"
#include "data/reporter.h"

namespace pelnor {

// Answers a question of which change stays: the question shows both changes.
using KeepDecision = std::function<Reporter::Keep(const std::string& question)>;

// theirs with mine's changes made to it; takes theirs' defaults.
DeviceRegistry mergeRegistries(const DeviceRegistry& base, const DeviceRegistry& mine,
                               const DeviceRegistry& theirs, const KeepDecision& decide);

}  // namespace pelnor
