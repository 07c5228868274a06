// Every test program of this folder runs in a temporary folder of its own.

#include "support/IsolatedTempEnvironment.h"

namespace {
const bool g_registered = pellora::test::IsolatedTempEnvironment::Register();
} // namespace
