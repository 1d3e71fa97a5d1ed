#pragma once

#include <functional>

class QObject;

namespace kestrel {

// Runs call from the event loop of the calling thread, once the code running
// now has returned, after the calls queued before it; not at all when
// context (unless null) is gone by then. Every call queued until the loop
// comes round rides on one posted event, so that many connections answering
// at once cost the loop one wake-up, not one each.
void CallLater(QObject* context, std::function<void()> call);

} // namespace kestrel
