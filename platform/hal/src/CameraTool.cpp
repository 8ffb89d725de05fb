#include "TarvoHal/CameraTool.h"

namespace tarvo {

CameraTool::~CameraTool() = default;

} // namespace tarvo
