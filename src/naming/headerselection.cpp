// The settings window's header choice and its registered names.

#include "app/form1.h"

#include <QComboBox>

namespace snagwell {

void Form1::cbxFileHeader_Click()
{
    ApplyFileHeaderChoice();
}

void Form1::cbxRegName_Click()
{
    ApplyRegNameChoice();
}

void Form1::ApplyFileHeaderChoice()
{
    reportFailures([this] {
        RemoveTrayIcon();
        AddTrayIcon();
    });
}

void Form1::ApplyRegNameChoice()
{
    if (cbxFileHeader->currentText() != QStringLiteral("登録名"))
        return;
    RemoveTrayIcon();
    AddTrayIcon();
}

void Form1::btnRegAdd_Click()
{
    // Registered names are not built yet.
}

void Form1::btnRegDel_Click()
{
    // Registered names are not built yet.
}

} // namespace snagwell
