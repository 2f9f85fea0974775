#pragma once
// The simulated platform as a whole.
namespace platform::sim {

// Puts every simulated service back into its initial state: an empty
// registry, and so on. The test programs call it before every test.
void ResetAll();

}  // namespace platform::sim
