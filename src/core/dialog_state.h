#pragma once

#include <QByteArray>
#include <QString>

namespace kestrel {

// The state the main dialog carries for the whole run. The handlers of the
// camera link, camera operations and staging read and write it; nothing else
// keeps state between clicks.
struct DialogState {
    QByteArray m_strLastReply; // the last reply line, without its line end
    QString m_strLog;          // the log text shown in the log pane
    QString m_strInfo;         // the camera information text
    QString m_strCameraIp;     // dotted decimal text of the address field
    bool m_bConnected = false; // the tool considers itself connected
    QString m_strCameraNumber; // the serial number the information query found

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
