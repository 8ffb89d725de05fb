#pragma once

// The viewer's fused pipeline, a group of the fusion_view benchmark: one live picture through
// VxFusionCameraDataProcessor (fused_frame_ms) and the live path from the simulated fusion camera
// through it (fused_frames_per_s), each beside its bound measured in the same run. Needs a
// QCoreApplication.
namespace tarvo::bench {

void printFusedFigures();

} // namespace tarvo::bench
