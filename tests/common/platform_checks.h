#pragma once
// Checks that only the simulated platform can make; on the real one they
// check nothing and say so in their name.
#include <gtest/gtest.h>

#if defined(TARNWELL_PLATFORM_SIM)
#include "platform/sim/sim_registry.h"
#define EXPECT_NO_OPEN_REGISTRY_KEYS_WHERE_COUNTED() \
  EXPECT_EQ(platform::sim::SimRegistry::Get().OpenHandles(), 0)
#else
#define EXPECT_NO_OPEN_REGISTRY_KEYS_WHERE_COUNTED() (void)0
#endif
