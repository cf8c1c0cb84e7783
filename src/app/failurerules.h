#pragma once

#include <exception>

#include "core/failure.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/trayicon.h"

namespace snagwell {

// The three ways the program meets a failure, each written once.

// A step of start-up (or of shutdown) stands alone: a failure inside
// abandons the rest of the step, silently, and the caller goes on. Answers
// whether the step ran to its end.
template <typename Step> bool skipOnFailure(Step &&step)
{
    try {
        step();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

// What a button or menu entry does: a failure is shown to the user, in the
// error's own words, and the program goes on. Answers whether the handler
// ran to its end.
template <typename Handler> bool reportFailure(Dialogs &dialogs, Handler &&handler)
{
    try {
        handler();
        return true;
    } catch (const std::exception &error) {
        dialogs.notice(describe(error));
        return false;
    }
}

// Whether a capture's problem may be told now: at most once a minute
// (lastTold, set when it answers yes), so that a run of failing captures does
// not bury the desktop in messages. A clock set back tells again.
inline bool mayTellNow(const Clock &clock, QDateTime &lastTold)
{
    const QDateTime now = clock.now();
    if (lastTold.isValid() && lastTold.secsTo(now) < 60 && lastTold <= now)
        return false;
    lastTold = now;
    return true;
}

// A capture runs inside the clipboard's change notice: nothing ever reaches
// the event loop, and what was saved before the failure stays saved. The
// failure is told through tell(message), as mayTellNow allows.
template <typename Tell, typename Capture>
void tellFailures(const Clock &clock, QDateTime &lastTold, Tell &&tell, Capture &&capture)
{
    QString reason;
    try {
        capture();
        return;
    } catch (const std::exception &error) {
        reason = describe(error);
    } catch (...) {
        reason = QStringLiteral("不明なエラー");
    }
    if (!mayTellNow(clock, lastTold))
        return;
    try {
        tell(QStringLiteral("キャプチャを保存できませんでした: ") + reason);
    } catch (...) {
    }
}

} // namespace snagwell
