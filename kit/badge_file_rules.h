// What a badge state file may hold, for the writer and for `tessvik-badges
// check`: beyond what the extension's decoder refuses (not UTF-8, not JSON,
// a status that is not a string), what it reads but can never show. A
// writer refuses it; check warns about it. Each rule gives its reason, in
// French, as the end of a sentence about the item ("elle commence par
// « / »"). One more rule needs every key of the file: one item written
// twice, as such or in another Unicode form (the writer's commit() and
// check find it).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessvik::kit {

// Why the root `root` holds nothing: it must be an absolute path, with no
// NUL (a path cannot hold one).
std::optional<std::string> rootProblem(std::string_view root);

// Why the item keyed `key` (its path relative to the root) could never get
// a badge: a "/" at either end, an empty, "." or ".." component, or a NUL.
// "" is the root's own item.
std::optional<std::string> keyProblem(std::string_view key);

// Why `status` shows no badge although it is not "": anything but the
// statuses with a badge (state/badge_statuses.h) is handed to the Finder,
// which knows no such badge.
std::optional<std::string> statusProblem(std::string_view status);

}  // namespace tessvik::kit
