#pragma once

#include "SimEndpoint.h"

namespace tarvo::sim {

class SimEventCamera;

// The event endpoint of a simulated event camera: buffers of EVT 3.0 words, filled to the
// transfer size, or handed over part-full after 10 ms so that a quiet scene still arrives
// promptly. Paced devices follow their clock and drop what the host does not take in time
// (continuing at the next time step, as a sensor does after an overflow); unpaced ones produce
// as fast as the host reads.
class SimEventEndpoint : public SimEndpoint
{
public:
    SimEventEndpoint(std::shared_ptr<SimEventCamera> camera, size_t bufferBytes, size_t depth);
    ~SimEventEndpoint() override;

protected:
    void produce() override;

private:
    SimEventCamera& m_camera;
};

} // namespace tarvo::sim
