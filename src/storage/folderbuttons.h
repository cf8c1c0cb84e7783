#pragma once

#include <QString>

#include <functional>

namespace snagwell {

class Clock;
class Dialogs;
class FolderBrowser;

// What the two folder buttons of the settings window do, and the two
// placements of the browser at start-up. Each works on the browser's current
// folder (CurrentFolderPath of its file list) and moves the browser by
// setting its folder list's path.
//
// Making or entering a folder that fails throws Failure with a description
// to show; whatever was done before stays done and nothing further happens.
// The settings window's handlers catch it and show the description.

// "日付ﾌｫﾙﾀﾞ作成": enters today's day folder beside or below the current
// folder, or makes it when the browser stands in a management folder.
void btnMakeTodayFolder_Click(FolderBrowser &browser, Dialogs &dialogs, const Clock &clock);

// "管理ﾌｫﾙﾀﾞ作成": enters the management folder in the current folder, or
// makes it after asking; then today's day folder in it.
void btnMakeSWDataFolder_Click(FolderBrowser &browser, Dialogs &dialogs, const Clock &clock);

// First run: today's day folder in the management folder of the given folder
// (the start-up folder), each made when missing. Left where it is when the
// folder is itself a management folder or inside one. A failure ends it and
// is thrown: it is one step of start-up.
void SetUpStorageFolders(const QString &folder, FolderBrowser &browser, Dialogs &dialogs,
                         const Clock &clock);

// Every other run, right after the settings put the browser at the saved
// folder: from a day folder, its management folder, or a folder holding one,
// into today's day folder, making it (and then saving the settings) when it
// is missing. Each step stands alone: a failing step is skipped silently and
// the next one runs. Nothing is shown and nothing is thrown.
void EnterTodaysFolderAtStartUp(FolderBrowser &browser, const Clock &clock,
                                const std::function<void()> &saveSettings);

} // namespace snagwell
