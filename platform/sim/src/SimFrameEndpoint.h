#pragma once

#include "SimEndpoint.h"

namespace tarvo::sim {

class SimFusionCamera;

// The frame endpoint of a simulated fusion camera: one NV12 frame per transfer, on the frame
// sensor's schedule; frames the host does not take in time are dropped.
class SimFrameEndpoint : public SimEndpoint
{
public:
    SimFrameEndpoint(std::shared_ptr<SimFusionCamera> camera, size_t bufferBytes, size_t depth);
    ~SimFrameEndpoint() override;

protected:
    void produce() override;

private:
    SimFusionCamera& m_camera;
};

} // namespace tarvo::sim
