// The native build's Internet calls, for native tests and benchmarks.
#pragma once

#include "fetch/internet_api.h"

namespace pagorin::adapters {

// There is no system Internet library here: open() always fails, so every request made
// through it comes back empty instead of reaching the network.
fetch::InternetApi& SystemInternetApi();

}  // namespace pagorin::adapters
