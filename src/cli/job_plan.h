#pragma once

#include "camera.h"
#include "cli_options.h"

namespace kestrel::cli {

class RecordBook;

// What every camera job of one command does.
struct JobPlan {
    Command command = Command::Info;
    bool confirmReboot = false;
    int rebootTimeoutMs = 300000;
    int powerCyclePollMs = 1000; // how often the camera is looked at meanwhile
    LinkSettings link;           // the port is each camera's own
    RunSettings run;
    RecordBook* records = nullptr; // each camera's conversation, with --log-dir
    QString targetHwVersion;       // update, plan: the version wanted; empty: none
    bool reinstall = false;        // program a camera already at the target
};

} // namespace kestrel::cli
