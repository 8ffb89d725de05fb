#include "VxDriverErrorTrap.h"

#include "TarvoBase/Logger.h"

#include <memory>
#include <mutex>

namespace {

constexpr int kErrorLevel = 4;

thread_local VxDriverErrorTrap* t_trap = nullptr; // the innermost trap of this thread

// The sink that was installed before ours; read and written atomically, since messages may
// arrive while it is being stored.
std::shared_ptr<const tarvo::Logger::Sink> g_previousSink;

} // namespace

VxDriverErrorTrap::VxDriverErrorTrap() : m_outer(t_trap)
{
    installSink();
    t_trap = this;
}

VxDriverErrorTrap::~VxDriverErrorTrap()
{
    t_trap = m_outer;
}

void VxDriverErrorTrap::installSink()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        // Chained, so that whoever listened before still hears everything.
        tarvo::Logger::Sink previous = tarvo::Logger::Instance().setSink(
            [](int level, const std::string& source, int line, const std::string& message) {
                take(level, message);
                const auto forward = std::atomic_load(&g_previousSink);
                if (forward && *forward) {
                    (*forward)(level, source, line, message);
                }
            });
        std::atomic_store(&g_previousSink, std::make_shared<const tarvo::Logger::Sink>(std::move(previous)));
    });
}

void VxDriverErrorTrap::take(int level, const std::string& message)
{
    // Called on the logging thread with the logger's lock held: only this thread's trap is
    // touched, and nothing is logged.
    if (level >= kErrorLevel && t_trap) {
        t_trap->m_lastError = message;
    }
}
