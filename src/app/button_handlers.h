#pragma once

#include <functional>

namespace kestrel {

// What the push buttons of the main window run when clicked. A button whose
// entry is empty does nothing.
struct ButtonHandlers {
    std::function<void()> connect;   // IDC_CONNECT
    std::function<void()> fwUpdate;  // IDC_FW_UPDATE
    std::function<void()> copyToUsb; // IDC_COPY_TO_USB
    std::function<void()> selectHw;  // IDC_SELECT_HW
    std::function<void()> selectSw;  // IDC_SELECT_SW
    std::function<void()> selectUsb; // IDC_SELECT_USB
};

} // namespace kestrel
