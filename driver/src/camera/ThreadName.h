#pragma once

#include <pthread.h>

namespace tarvo {

// Names the calling thread (at most 15 characters), so that `top -H` and debuggers tell the
// camera's threads apart.
inline void nameThisThread(const char* name)
{
    pthread_setname_np(pthread_self(), name);
}

} // namespace tarvo
