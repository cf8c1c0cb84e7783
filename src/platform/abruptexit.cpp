#include "platform/abruptexit.h"

#include <cstdlib>
#include <exception>

namespace snagwell {
namespace {

AbruptExitGuard *armed = nullptr;

} // namespace

AbruptExitGuard::AbruptExitGuard(std::function<void()> work)
    : m_work(std::move(work)), m_thread(std::this_thread::get_id())
{
    static const bool registered = std::atexit(&AbruptExitGuard::runAtExit) == 0;
    if (registered)
        armed = this;
}

AbruptExitGuard::~AbruptExitGuard()
{
    if (armed == this)
        armed = nullptr;
}

void AbruptExitGuard::runAtExit()
{
    // Another thread's exit() finds the objects of the main thread in use.
    AbruptExitGuard *guard = armed;
    if (!guard || guard->m_thread != std::this_thread::get_id())
        return;
    armed = nullptr;
    try {
        guard->m_work();
    } catch (...) {
        // The process ends anyway; nothing is left to tell it to.
    }
}

} // namespace snagwell
