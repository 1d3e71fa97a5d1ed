#pragma once

namespace kestrel {

// Waits about ms milliseconds in a nested event loop: timers, sockets and the
// window are served meanwhile, and the thread sleeps while nothing happens.
void WaitServingEvents(int ms);

} // namespace kestrel
