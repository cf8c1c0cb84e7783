#include "app/storagefolders.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include "app/failurerules.h"
#include "app/state.h"
#include "core/capturefiles.h"
#include "core/dayfolders.h"
#include "core/naming.h"
#include "platform/clock.h"

namespace snagwell {

namespace {

QString joined(const QString &folder, const QString &name)
{
    return folder + QLatin1Char('/') + name;
}

void makeFolder(const QString &path)
{
    if (QDir().mkdir(path))
        return;
    const QFileInfo inTheWay(path);
    if (inTheWay.exists() || inTheWay.isSymLink())
        throw Failure(
            QStringLiteral("同じ名前のファイルがあるため、フォルダを作成できません: %1").arg(path));
    throw Failure(QStringLiteral("フォルダを作成できません: %1").arg(path));
}

} // namespace

StorageFolders::StorageFolders(State &state, Dialogs &dialogs, Clock &clock, QObject *parent)
    : QObject(parent), m_state(state), m_dialogs(dialogs), m_clock(clock)
{
}

QDate StorageFolders::today() const
{
    return m_clock.now().date();
}

// The current folder reads the root as the empty string; entering wants it
// as "/".
void StorageFolders::enter(const QString &folder)
{
    m_state.enterFolder(folder.isEmpty() ? QStringLiteral("/") : folder);
}

void StorageFolders::makeAndEnter(const QString &path)
{
    makeFolder(path);
    m_state.announceNewFiles();
    enter(path);
}

// Into today's day folder of a management folder, made when missing.
void StorageFolders::enterOrMakeTodaysFolder(const QString &managementFolder)
{
    if (hasTodaysFolder(managementFolder, today()))
        enter(joined(managementFolder, todaysFolderName(today())));
    else
        makeTodaysFolder();
}

void StorageFolders::makeTodaysFolderReported()
{
    reportFailure(m_dialogs, [this] { makeTodaysFolder(); });
}

void StorageFolders::makeManagementFolderReported()
{
    reportFailure(m_dialogs, [this] { makeManagementFolder(); });
}

void StorageFolders::makeTodaysFolder()
{
    const QString current = currentFolderPath(m_state.currentFolder());
    const QString todaysPath = joined(current, todaysFolderName(today()));

    if (hasTodaysFolder(current, today())) {
        m_dialogs.notice(QStringLiteral("選択したディレクトリには今日の日付フォルダがあります"));
        enter(todaysPath);
        return;
    }
    if (isAtTodaysFolder(m_state.currentFolder(), today())) {
        m_dialogs.notice(QStringLiteral("今日の日付フォルダが選択されています"));
        return;
    }
    if (isDayFolderName(lastSevenCharacters(current))) {
        // Another day's folder: today's is entered only when it is already
        // there beside it; nothing is made from here.
        const QString parent = parentPath(current);
        if (hasTodaysFolder(parent, today())) {
            enter(joined(parent, todaysFolderName(today())));
            m_dialogs.notice(QStringLiteral("今日の日付フォルダに移動しました"));
        }
        return;
    }
    if (!isManagementFolder(current)) {
        m_dialogs.notice(QStringLiteral("管理フォルダに移動してから実行して下さい。"));
        return;
    }
    makeAndEnter(todaysPath);
}

void StorageFolders::makeManagementFolder()
{
    const QString current = currentFolderPath(m_state.currentFolder());
    const QString managementPath = joined(current, managementFolderName());

    if (hasManagementFolder(current)) {
        m_dialogs.notice(QStringLiteral("選択したディレクトリには管理フォルダがあります"));
        enter(managementPath);
        enterOrMakeTodaysFolder(managementPath);
        return;
    }
    if (isManagementFolder(current)) {
        m_dialogs.notice(QStringLiteral("管理フォルダが選択されています"));
        enterOrMakeTodaysFolder(current);
        return;
    }
    if (isInsideManagementFolder(current)) {
        m_dialogs.notice(QStringLiteral("管理フォルダの中です"));
        return;
    }
    if (!m_dialogs.askYesNo(QStringLiteral("選択したディレクトリに管理フォルダを作成しますか？"),
                            QStringLiteral("管理フォルダ作成")))
        return;
    makeAndEnter(managementPath);
    makeTodaysFolder();
}

void StorageFolders::setUpAtFirstRun()
{
    m_day = today();
    const QString base = currentFolderPath(m_state.startupFolder());
    const QString managementPath = joined(base, managementFolderName());

    if (hasManagementFolder(base)) {
        enter(managementPath);
        if (hasTodaysFolder(managementPath, today())) {
            enter(joined(managementPath, todaysFolderName(today())));
            return;
        }
    } else {
        if (isManagementFolder(base) || isInsideManagementFolder(base))
            return;
        makeAndEnter(managementPath);
    }
    // Standing in the management folder, this makes and enters today's
    // folder without a message.
    makeTodaysFolder();
}

void StorageFolders::enterTodaysFolderAtStartUp()
{
    m_day = today();
    QString folder = currentFolderPath(m_state.currentFolder());

    if (isDayFolderName(lastSevenCharacters(folder))) {
        folder = parentPath(folder);
        skipOnFailure([&] { enter(folder); });
    }

    const auto enterOrMakeToday = [&](const QString &managementFolder) {
        const QString todaysPath = joined(managementFolder, todaysFolderName(today()));
        if (hasTodaysFolder(managementFolder, today())) {
            enter(todaysPath);
            return;
        }
        makeAndEnter(todaysPath);
        // The saved folder is no longer where the browser stands.
        m_state.saveSettings();
    };

    // Any name ending in "SWData" counts here, "MySWData" too: a saved
    // folder is trusted to be where the user keeps the captures.
    if (folder.endsWith(managementFolderName())) {
        skipOnFailure([&] { enterOrMakeToday(folder); });
    } else if (hasManagementFolder(folder)) {
        skipOnFailure([&] {
            folder = joined(folder, managementFolderName());
            enter(folder);
            enterOrMakeToday(folder);
        });
    }
}

void StorageFolders::followTheDate()
{
    const QDate day = today();
    const QString next =
        dayFolderAfterDateChange(currentFolderPath(m_state.currentFolder()), m_day, day);
    if (next.isEmpty()) {
        m_day = day;
        return;
    }
    // Tried again at the next capture when it fails.
    skipOnFailure([&] {
        if (QFileInfo(next).isDir())
            enter(next);
        else
            makeAndEnter(next);
        m_day = day;
    });
}

void StorageFolders::removeStaleTemporaries()
{
    snagwell::removeStaleTemporaries(m_state.currentFolder(), m_clock.now());
}

} // namespace snagwell
