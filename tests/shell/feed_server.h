#pragma once

// The window tests' name for the loopback web server, kept for the tests written against it.

#include "support/LoopbackServer.h"

namespace vantle::test {

using TFeedServer = TLoopbackServer;

}  // namespace vantle::test
