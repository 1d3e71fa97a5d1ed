#pragma once

#include <QString>

namespace kestrel {

// What the operator chose for the copy onto the USB stick. The pickers write
// it; the copy reads it once when it starts.
struct StagingChoices {
    QString m_strHwPath;  // full path of the chosen hardware firmware file
    QString m_strHwName;  // its file name
    QString m_strSwPath;  // full path of the chosen software firmware file
    QString m_strSwName;  // its file name
    QString m_strUsbPath; // the chosen USB-stick folder
    bool m_bHwSelected = false;
    bool m_bSwSelected = false;
    bool m_bUsbSelected = false;
};

} // namespace kestrel
