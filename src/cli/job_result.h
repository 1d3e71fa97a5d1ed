#pragma once

#include "camera_info_query.h"
#include "eject_outcome.h"
#include "result_code.h"
#include "run_outcome.h"
#include "stick_copy_result.h"

#include <QString>

#include <optional>

namespace kestrel::cli {

// How a job ended.
struct JobResult {
    ResultCode code = ResultCode::Interrupted; // until the job tells how it ended
    QString detail; // for the operator: why it failed, or what was confirmed
    CameraIdentity before;
    CameraIdentity after;
    bool runInProgress = false; // the camera was programming when connected
    qint64 elapsedMs = 0;
    QString record;          // the file of the conversation record; empty without one
    bool changed = false;    // this command started a programming run on the camera
    QList<StagedFile> files; // stage: the files copied and verified
    // stage --eject: how ejecting the stick ended; none: not tried
    std::optional<EjectOutcome::Result> eject;

    // The job did what it was asked: "ok", and the successes of their own
    // ("current", plan's actions but "unreachable").
    bool Ok() const { return Succeeded(code); }

    // The serial number as first read: before the run, or after it when the
    // camera was found programming.
    QString Serial() const { return before.serial.isEmpty() ? after.serial : before.serial; }

    // "ok" ("ok, ejected" after ejecting the stick), a success of its own
    // ("current", plan's "skip: current"), or "FAILED: " and the code in a few
    // words, for the lines and the tables.
    QString Shown() const;

    void Set(ResultCode resultCode, QString text) {
        code = resultCode;
        detail = std::move(text);
    }
    // How a programming run ended: ok only when the camera reported both
    // phases to their end. lastMessage is what the run told the operator.
    void SetRunEnd(RunOutcome outcome, const QString& lastMessage);
};

} // namespace kestrel::cli
