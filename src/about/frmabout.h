#pragma once

#include <QDialog>
#include <QString>

#include "platform/registry.h"

class QFrame;
class QLabel;
class QPushButton;

namespace snagwell {

class Dialogs;
class ProgramLauncher;

// The version window. It closes itself for good (deletes itself on close),
// so make it with new, keep a QPointer to it and show that one again while
// it is open.
class frmAbout final : public QDialog
{
    Q_OBJECT

public:
    frmAbout(Registry &registry, ProgramLauncher &launcher, Dialogs &dialogs,
             QWidget *parent = nullptr);

    // Starts the system-information program the registry names; when there
    // is none, or it cannot be started, says so.
    void StartSysInfo();

    // Reads one registry value as text into KeyVal. False, with KeyVal
    // empty, when the key cannot be opened or the value read; a value that
    // is neither text nor a number leaves KeyVal as it was and answers true.
    bool GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                     QString &KeyVal);

    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QFrame *Line1 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;

private Q_SLOTS:
    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    void Form_Load();

    Registry &m_registry;
    ProgramLauncher &m_launcher;
    Dialogs &m_dialogs;
};

// "ﾊﾞｰｼﾞｮﾝ " and the major, minor and patch numbers of a version such as
// "2.0.4", each without leading zeros.
QString versionText(const QString &version);

} // namespace snagwell
