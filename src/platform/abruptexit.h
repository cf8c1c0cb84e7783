#pragma once

#include <functional>
#include <thread>

namespace snagwell {

// When the X display goes away, Qt ends the process with exit() from inside
// the event loop: main() never returns and none of its objects is destroyed.
// While a guard lives, an exit() on the thread that made it first runs the
// guard's work, once. A guard's end disarms it: a normal return from main()
// runs nothing.
class AbruptExitGuard final
{
public:
    explicit AbruptExitGuard(std::function<void()> work);
    ~AbruptExitGuard();
    AbruptExitGuard(const AbruptExitGuard &) = delete;
    AbruptExitGuard &operator=(const AbruptExitGuard &) = delete;

private:
    static void runAtExit();

    std::function<void()> m_work;
    std::thread::id m_thread;
};

} // namespace snagwell
