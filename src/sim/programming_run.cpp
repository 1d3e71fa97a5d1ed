#include "programming_run.h"

#include <algorithm>

namespace kestrel::sim {

namespace {

// Pages reached when the programming phase hits percent of its total.
qint64 PagesAt(const RunPlan& plan, int percent) {
    return static_cast<qint64>(plan.programTotal) * percent / 100;
}

// Time into the programming phase at which pages are first reached.
qint64 TimeToReach(const RunPlan& plan, qint64 pages) {
    if (pages <= 0 || plan.programMs <= 0 || plan.programTotal <= 0) {
        return 0;
    }
    const qint64 product = pages * plan.programMs;
    return (product + plan.programTotal - 1) / plan.programTotal;
}

QString Seconds(int ms) {
    return QString::number(ms / 1000.0, 'f', 1);
}

} // namespace

RunPlan RunPlan::From(const SimOptions& options) {
    RunPlan plan;
    plan.startDelayMs = options.startDelayMs;
    plan.eraseTotal = options.eraseTotal;
    plan.eraseMs = options.eraseMs;
    plan.programTotal = options.programTotal;
    plan.programMs = options.programMs;
    plan.lingerMs = options.lingerMs;
    plan.stallAtPercent = options.stallAtPercent;
    plan.abortAtPercent = options.abortAtPercent;
    return plan;
}

RunState RunStateAt(const RunPlan& plan, qint64 elapsedMs) {
    RunState state;
    if (elapsedMs < plan.startDelayMs) {
        state.phase = RunPhase::Starting;
        state.nextChangeMs = plan.startDelayMs;
        return state;
    }
    const qint64 eraseStart = plan.startDelayMs;
    const qint64 inErase = elapsedMs - eraseStart;
    if (inErase < plan.eraseMs) {
        state.phase = RunPhase::Erasing;
        state.eraseDone =
            static_cast<int>(static_cast<qint64>(plan.eraseTotal) * inErase / plan.eraseMs);
        state.nextChangeMs = eraseStart + plan.eraseMs;
        return state;
    }
    state.eraseDone = plan.eraseTotal;

    const qint64 programStart = eraseStart + plan.eraseMs;
    const qint64 inProgram = elapsedMs - programStart;
    std::optional<qint64> stallTime;
    std::optional<qint64> abortTime;
    if (plan.stallAtPercent) {
        stallTime = TimeToReach(plan, PagesAt(plan, *plan.stallAtPercent));
    }
    if (plan.abortAtPercent) {
        abortTime = TimeToReach(plan, PagesAt(plan, *plan.abortAtPercent));
    }
    // Figures that stall below the abort point never get there.
    if (stallTime && abortTime && *stallTime < *abortTime) {
        abortTime.reset();
    }
    if (abortTime && inProgram >= *abortTime) {
        state.phase = RunPhase::Aborted;
        state.programDone = static_cast<int>(PagesAt(plan, *plan.abortAtPercent));
        return state;
    }
    if (stallTime && inProgram >= *stallTime) {
        state.phase = RunPhase::Stalled;
        state.programDone = static_cast<int>(PagesAt(plan, *plan.stallAtPercent));
        return state;
    }
    if (inProgram < plan.programMs) {
        state.phase = RunPhase::Programming;
        state.programDone =
            static_cast<int>(static_cast<qint64>(plan.programTotal) * inProgram / plan.programMs);
        qint64 next = plan.programMs;
        for (const std::optional<qint64>& stop : {stallTime, abortTime}) {
            if (stop) {
                next = std::min(next, *stop);
            }
        }
        state.nextChangeMs = programStart + next;
        return state;
    }
    state.programDone = plan.programTotal;
    if (inProgram < static_cast<qint64>(plan.programMs) + plan.lingerMs) {
        state.phase = RunPhase::Lingering;
        state.nextChangeMs = programStart + plan.programMs + plan.lingerMs;
        return state;
    }
    state.phase = RunPhase::Finished;
    return state;
}

QByteArray StatusReply(const RunPlan& plan, const RunState& state) {
    switch (state.phase) {
    case RunPhase::Starting:
    case RunPhase::Finished:
    case RunPhase::Aborted:
        return QByteArrayLiteral("0 0 0 0");
    case RunPhase::Erasing:
        return "1 " + QByteArray::number(plan.eraseTotal) + ' ' +
               QByteArray::number(state.eraseDone) + " 0 0";
    case RunPhase::Programming:
    case RunPhase::Lingering:
    case RunPhase::Stalled:
        break;
    }
    return "1 " + QByteArray::number(plan.eraseTotal) + ' ' + QByteArray::number(state.eraseDone) +
           ' ' + QByteArray::number(plan.programTotal) + ' ' +
           QByteArray::number(state.programDone);
}

QString DescribePhase(const RunPlan& plan, const RunState& state) {
    switch (state.phase) {
    case RunPhase::Starting:
        return QStringLiteral("run: starting, erasing begins in %1 ms").arg(plan.startDelayMs);
    case RunPhase::Erasing:
        return QStringLiteral("run: erasing %1 sectors in %2 s")
            .arg(plan.eraseTotal)
            .arg(Seconds(plan.eraseMs));
    case RunPhase::Programming:
        return QStringLiteral("run: programming %1 pages in %2 s")
            .arg(plan.programTotal)
            .arg(Seconds(plan.programMs));
    case RunPhase::Lingering:
        return QStringLiteral("run: programming done, final figures for %1 s")
            .arg(Seconds(plan.lingerMs));
    case RunPhase::Stalled:
        return QStringLiteral("run: stalled at %1 of %2 pages, for ever")
            .arg(state.programDone)
            .arg(plan.programTotal);
    case RunPhase::Finished:
        return QStringLiteral("run: finished");
    case RunPhase::Aborted:
        return QStringLiteral("run: aborted by the camera at %1 of %2 pages")
            .arg(state.programDone)
            .arg(plan.programTotal);
    }
    return QString();
}

} // namespace kestrel::sim
