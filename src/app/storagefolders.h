#pragma once

#include <QDate>
#include <QObject>
#include <QString>

namespace snagwell {

class Clock;
class Dialogs;
class State;

// The management folder "SWData" and its day folders: the two buttons of
// the settings window and the placement of the browser at start-up. Each
// works on the current folder and moves it by entering folders.
//
// Making or entering a folder that fails throws Failure with a description
// to show; whatever was done before stays done and nothing further happens.
class StorageFolders final : public QObject
{
    Q_OBJECT
public:
    StorageFolders(State &state, Dialogs &dialogs, Clock &clock, QObject *parent = nullptr);

    // "日付ﾌｫﾙﾀﾞ作成": enters today's day folder beside or below the current
    // folder, or makes it when the browser stands in a management folder.
    void makeTodaysFolder();
    // "管理ﾌｫﾙﾀﾞ作成": enters the management folder in the current folder, or
    // makes it after asking; then today's day folder in it.
    void makeManagementFolder();
    // The two buttons as the user presses them: a failure is shown.
    void makeTodaysFolderReported();
    void makeManagementFolderReported();

    // First run: today's day folder in the management folder of the
    // start-up folder, each made when missing. Left where it is when the
    // folder is itself a management folder or inside one. Throws what fails.
    void setUpAtFirstRun();
    // Every other run, right after the settings put the browser at the saved
    // folder: from a day folder, its management folder, or a folder holding
    // one, into today's day folder, making it (and then saving the settings)
    // when it is missing. Each step stands alone: a failing step is skipped
    // silently and the next one runs.
    void enterTodaysFolderAtStartUp();
    // Before each capture: when the date has changed since the browser was
    // put in the day's folder and it still stands there, today's day folder
    // of the same management folder is entered, made when missing, so that
    // each capture goes into the folder of its own day. A user who went
    // elsewhere stays there. A folder that cannot be made or entered leaves
    // the browser, and the capture, where they are.
    void followTheDate();
    // Start-up, once the browser is placed: the capture temporaries that an
    // earlier run was cut off from leave the folder captures go to.
    void removeStaleTemporaries();

private:
    QDate today() const;
    void enter(const QString &folder);
    void makeAndEnter(const QString &path);
    void enterOrMakeTodaysFolder(const QString &managementFolder);

    State &m_state;
    Dialogs &m_dialogs;
    Clock &m_clock;
    // The day whose folder the browser was last put in or found in.
    QDate m_day;
};

} // namespace snagwell
