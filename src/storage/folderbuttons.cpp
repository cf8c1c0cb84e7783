#include "storage/folderbuttons.h"

#include <exception>

#include <QDir>
#include <QFileInfo>

#include "app/failure.h"
#include "naming/naming.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "storage/dayfolders.h"
#include "storage/folderbrowser.h"

namespace snagwell {

namespace {

QString joined(const QString &folder, const QString &name)
{
    return folder + QLatin1Char('/') + name;
}

QString currentFolder(const FolderBrowser &browser)
{
    return CurrentFolderPath(browser.fileListPath());
}

// The current folder reads the root as the empty string; the folder list
// wants it as "/".
void enter(FolderBrowser &browser, const QString &folder)
{
    browser.setFolderPath(folder.isEmpty() ? QStringLiteral("/") : folder);
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

void makeAndEnter(FolderBrowser &browser, const QString &path)
{
    makeFolder(path);
    // The folder list shows the new folder only once it has read its
    // folder again.
    browser.rereadFolders();
    enter(browser, path);
}

// Into today's day folder of a management folder, made when missing.
void enterOrMakeTodaysFolder(const QString &managementFolder, FolderBrowser &browser,
                             Dialogs &dialogs, const Clock &clock)
{
    if (HasTodaysFolder(managementFolder, clock))
        enter(browser, joined(managementFolder, TodaysFolderName(clock)));
    else
        btnMakeTodayFolder_Click(browser, dialogs, clock);
}

// One step of start-up: a failure ends this step alone, without a word.
template <typename Step> void standAlone(Step &&step)
{
    try {
        step();
    } catch (const std::exception &) {
    }
}

} // namespace

void btnMakeTodayFolder_Click(FolderBrowser &browser, Dialogs &dialogs, const Clock &clock)
{
    const QString current = currentFolder(browser);
    const QString todaysPath = joined(current, TodaysFolderName(clock));

    if (HasTodaysFolder(current, clock)) {
        dialogs.notice(QStringLiteral("選択したディレクトリには今日の日付フォルダがあります"));
        enter(browser, todaysPath);
        return;
    }
    if (IsAtTodaysFolder(browser.folderPath(), clock)) {
        dialogs.notice(QStringLiteral("今日の日付フォルダが選択されています"));
        return;
    }
    if (IsDayFolderName(lastSevenCharacters(current))) {
        // Another day's folder: today's is entered only when it is already
        // there beside it; nothing is made from here.
        const QString parent = parentPath(current);
        if (HasTodaysFolder(parent, clock)) {
            enter(browser, joined(parent, TodaysFolderName(clock)));
            dialogs.notice(QStringLiteral("今日の日付フォルダに移動しました"));
        }
        return;
    }
    if (!IsManagementFolder(current)) {
        dialogs.notice(QStringLiteral("管理フォルダに移動してから実行して下さい。"));
        return;
    }
    makeAndEnter(browser, todaysPath);
}

void btnMakeSWDataFolder_Click(FolderBrowser &browser, Dialogs &dialogs, const Clock &clock)
{
    const QString current = currentFolder(browser);
    const QString managementPath = joined(current, managementFolderName());

    if (HasManagementFolder(current)) {
        dialogs.notice(QStringLiteral("選択したディレクトリには管理フォルダがあります"));
        enter(browser, managementPath);
        enterOrMakeTodaysFolder(managementPath, browser, dialogs, clock);
        return;
    }
    if (IsManagementFolder(current)) {
        dialogs.notice(QStringLiteral("管理フォルダが選択されています"));
        enterOrMakeTodaysFolder(current, browser, dialogs, clock);
        return;
    }
    if (IsInsideManagementFolder(current)) {
        dialogs.notice(QStringLiteral("管理フォルダの中です"));
        return;
    }
    if (!dialogs.askYesNo(QStringLiteral("選択したディレクトリに管理フォルダを作成しますか？"),
                          QStringLiteral("管理フォルダ作成")))
        return;
    makeAndEnter(browser, managementPath);
    btnMakeTodayFolder_Click(browser, dialogs, clock);
}

void SetUpStorageFolders(const QString &folder, FolderBrowser &browser, Dialogs &dialogs,
                         const Clock &clock)
{
    const QString base = CurrentFolderPath(folder);
    const QString managementPath = joined(base, managementFolderName());

    if (HasManagementFolder(base)) {
        enter(browser, managementPath);
        if (HasTodaysFolder(managementPath, clock)) {
            enter(browser, joined(managementPath, TodaysFolderName(clock)));
            return;
        }
    } else {
        if (IsManagementFolder(base) || IsInsideManagementFolder(base))
            return;
        makeAndEnter(browser, managementPath);
    }
    // Standing in the management folder, this makes and enters today's
    // folder without a message.
    btnMakeTodayFolder_Click(browser, dialogs, clock);
}

void EnterTodaysFolderAtStartUp(FolderBrowser &browser, const Clock &clock,
                                const std::function<void()> &saveSettings)
{
    QString folder = currentFolder(browser);

    if (IsDayFolderName(lastSevenCharacters(folder))) {
        folder = parentPath(folder);
        standAlone([&] {
            enter(browser, folder);
            browser.rereadFolders();
        });
    }

    const auto enterOrMakeToday = [&](const QString &managementFolder) {
        const QString todaysPath = joined(managementFolder, TodaysFolderName(clock));
        if (HasTodaysFolder(managementFolder, clock)) {
            enter(browser, todaysPath);
            return;
        }
        makeAndEnter(browser, todaysPath);
        // The saved folder is no longer where the browser stands.
        if (saveSettings)
            saveSettings();
    };

    // Any name ending in "SWData" counts here, "MySWData" too: a saved
    // folder is trusted to be where the user keeps the captures.
    if (folder.endsWith(managementFolderName())) {
        standAlone([&] { enterOrMakeToday(folder); });
    } else if (HasManagementFolder(folder)) {
        standAlone([&] {
            folder = joined(folder, managementFolderName());
            enter(browser, folder);
            enterOrMakeToday(folder);
        });
    }
}

} // namespace snagwell
