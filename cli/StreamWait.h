#pragma once

#include <cstdint>
#include <functional>

namespace tarvo::cli {

// From catchInterrupt() to releaseInterrupt(), Ctrl-C only sets the flag interrupted() reads.
void catchInterrupt();
bool interrupted();
void releaseInterrupt();

// Lets a camera stream for `seconds` (0: until Ctrl-C), ending early when the user presses Ctrl-C
// or `connected` answers false; whether the camera was lost. Ctrl-C is caught only meanwhile.
bool streamWhileConnected(uint64_t seconds, const std::function<bool()>& connected);

} // namespace tarvo::cli
