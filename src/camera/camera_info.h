#pragma once

#include <QByteArray>

namespace kestrel {

struct DialogState;
class WindowSurface;
class CommandChannel;
class LineTransport;

// Asks the connected camera who it is and which firmware it runs, and fills
// the information pane: serial number, model, sensor, hardware firmware
// version (three register reads) and software firmware version.
class CameraInfoQuery {
public:
    CameraInfoQuery(DialogState& state, WindowSurface& surface, CommandChannel& channel,
                    LineTransport& transport);

    // Sends the seven (mono) or eight (colour) commands in order and shows
    // the six-line information text with the caret at its end. Also keeps the
    // serial number for the connection line. When the connection ends in the
    // middle, the query stops there and the pane is emptied rather than
    // filled with answers the camera never gave.
    void QueryCameraInfo();

private:
    QByteArray Ask(const char* command);

    DialogState& m_state;
    WindowSurface& m_surface;
    CommandChannel& m_channel;
    LineTransport& m_transport;
    bool m_lost = false;
};

} // namespace kestrel
