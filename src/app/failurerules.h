#pragma once

#include <exception>

#include "core/failure.h"
#include "platform/dialogs.h"

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
// error's own words, and the program goes on.
template <typename Handler> void reportFailure(Dialogs &dialogs, Handler &&handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        dialogs.notice(describe(error));
    }
}

// A capture runs inside the clipboard's change notice: whatever happens is
// shown to nobody and never reaches the event loop; what was saved before
// the failure stays saved.
template <typename Capture> void swallowFailures(Capture &&capture)
{
    try {
        capture();
    } catch (...) {
    }
}

} // namespace snagwell
