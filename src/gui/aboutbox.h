#pragma once

#include <QDialog>
#include <QString>

namespace snagwell {

class Dialogs;
class SystemInformation;

// The version window "Snagwellのﾊﾞｰｼﾞｮﾝ情報". It deletes itself when closed,
// so make it with new, keep a QPointer to it and show that one again while
// it is open.
class AboutBox final : public QDialog
{
    Q_OBJECT
public:
    AboutBox(SystemInformation &systemInformation, Dialogs &dialogs, QWidget *parent = nullptr);

private:
    // Starts the desktop's system-information program, or says there is none.
    void startSystemInformation();

    SystemInformation &m_systemInformation;
    Dialogs &m_dialogs;
};

// "ﾊﾞｰｼﾞｮﾝ " and the major, minor and patch numbers of a version such as
// "2.0.4", each without leading zeros.
QString versionText(const QString &version);

} // namespace snagwell
