// Where every host's log files the extension's messages: the extension's
// reverse-DNS identifier as the subsystem, and one category.
#pragma once

#include "host/logger.h"

namespace tessvik {

inline constexpr LogIdentity kExtensionLog{"com.tessvik.tessvik.finder", "badges"};

}  // namespace tessvik
