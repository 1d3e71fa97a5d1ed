#pragma once

#include "camera_state.h"
#include "sim_options.h"

#include <QByteArray>

namespace kestrel::sim {

// The camera's own answer to one command line (without its line end), the
// command matched without regard to case. Carries out what the command does:
// "CAM_FIRMWAREUPDATE 0" starts a programming run.
QByteArray ReplyTo(const QByteArray& command, const SimOptions& options, CameraState& camera);

// The fixed reply that options hold for command, if any (the last one given
// for it counts).
const FixedReply* FindFixedReply(const QByteArray& command, const SimOptions& options);

} // namespace kestrel::sim
