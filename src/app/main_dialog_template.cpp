#include "main_dialog_template.h"

#include <array>

namespace kestrel {

namespace {

using K = ControlKind;

const std::array<ControlTemplate, 21> kControls{{
    {K::PushButton, "IDC_FW_UPDATE", "HW Firmware Update", "HW Firmware Update",
     QRect(87, 311, 77, 14)},
    {K::PushButton, "IDC_COPY_TO_USB", "Copy FWs to USB stick", "Copy FWs to USB stick",
     QRect(87, 111, 77, 14)},
    {K::Static, "", "Camera IP address : ", "Camera IP address :", QRect(15, 184, 68, 8)},
    {K::Static, "", "HW-FW:", "HW-FW:", QRect(15, 42, 28, 8)},
    {K::Static, "", "SW-FW:", "SW-FW:", QRect(15, 65, 28, 8)},
    {K::Static, "", "USB-Stick:", "USB-Stick:", QRect(15, 88, 34, 8)},
    {K::PushButton, "IDC_SELECT_HW", "Select", "Select HW-FW file", QRect(212, 39, 25, 15)},
    {K::PushButton, "IDC_SELECT_SW", "Select", "Select SW-FW file", QRect(212, 62, 25, 15)},
    {K::PushButton, "IDC_SELECT_USB", "Select", "Select USB-Stick folder", QRect(212, 85, 25, 15)},
    {K::Pane, "IDC_LOG", "", "Log", QRect(15, 353, 222, 72)},
    {K::Pane, "IDC_INFO", "", "Camera information", QRect(15, 225, 222, 52)},
    {K::ProgressBar, "IDC_PROGRESS", "", "Progress", QRect(15, 293, 222, 14)},
    {K::Pane, "IDC_HW_FILE", "", "HW-FW file", QRect(49, 39, 153, 15)},
    {K::Pane, "IDC_SW_FILE", "", "SW-FW file", QRect(49, 62, 153, 15)},
    {K::Pane, "IDC_USB_PATH", "", "USB-Stick folder", QRect(49, 85, 153, 15)},
    {K::Static, "", "1) Set Hardware and Software firmware files and select USB stick",
     "1) Set Hardware and Software firmware files and select USB stick", QRect(15, 19, 217, 8)},
    {K::Static, "", "2) Plug USB stick into camera and power cycle it",
     "2) Plug USB stick into camera and power cycle it", QRect(15, 144, 217, 8)},
    {K::Static, "", "   - Click on connect button when the camera is ready",
     "- Click on connect button when the camera is ready", QRect(15, 156, 217, 8)},
    {K::Static, "", "   - Click on FW update button to write new HW-FW in boot memory",
     "- Click on FW update button to write new HW-FW in boot memory", QRect(15, 167, 217, 8)},
    {K::IpAddress, "IDC_CAMERA_IP", "", "Camera IP address", QRect(15, 197, 100, 15)},
    {K::PushButton, "IDC_CONNECT", "Connect", "Connect", QRect(146, 197, 50, 14)},
}};

} // namespace

std::span<const ControlTemplate> MainDialogTemplate() {
    return kControls;
}

} // namespace kestrel
