#include "TarvoDriver/FusionCamera.h"

namespace tarvo {

FusionCamera::FusionCamera(const CameraDescription& description) : m_description(description) {}

FusionCamera::~FusionCamera() = default;

CameraDescription FusionCamera::getDescription() const
{
    return m_description;
}

} // namespace tarvo
