// Test helpers of the state layer: badge state files as JSON text, and what
// a status table's diff reports.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "state/status_table.h"

namespace tessvik::testing {

// Keys (item paths) with their statuses.
using Entries = std::vector<std::pair<std::string, std::string>>;

// A badge state file's JSON text for `root` and `files`.
std::string badgeJson(const std::string& root, const Entries& files);

// What `next.diff(previous)` reports, sorted.
Entries diff(const StatusTable& next, const StatusTable& previous);

}  // namespace tessvik::testing
