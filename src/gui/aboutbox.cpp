#include "gui/aboutbox.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVersionNumber>

#include "platform/dialogs.h"
#include "platform/systeminformation.h"

namespace snagwell {

QString versionText(const QString &version)
{
    const QVersionNumber number = QVersionNumber::fromString(version);
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ %1.%2.%3")
        .arg(number.majorVersion())
        .arg(number.minorVersion())
        .arg(number.microVersion());
}

AboutBox::AboutBox(SystemInformation &systemInformation, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), m_systemInformation(systemInformation), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmAbout"));
    // A dialog with a parent gets no task-bar button of its own; a tool
    // window is the nearest thing without one.
    setWindowFlags((parent ? Qt::Dialog : Qt::Tool) | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(applicationTitle() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));

    auto *title = new QLabel(applicationTitle(), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    title->setFont(titleFont);
    auto *version = new QLabel(versionText(QStringLiteral(SNAGWELL_VERSION)), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto *okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("cmdOK"));
    okButton->setDefault(true);
    auto *systemInformationButton = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    systemInformationButton->setObjectName(QStringLiteral("cmdSysInfo"));
    systemInformationButton->setAutoDefault(false);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(okButton);
    buttons->addWidget(systemInformationButton);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addSpacing(12);
    layout->addWidget(line);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Esc rejects the dialog, which closes it just as OK does.
    connect(okButton, &QPushButton::clicked, this, &QWidget::close);
    connect(systemInformationButton, &QPushButton::clicked, this,
            &AboutBox::startSystemInformation);
}

void AboutBox::startSystemInformation()
{
    if (!m_systemInformation.start())
        m_dialogs.notice(QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));
}

} // namespace snagwell
