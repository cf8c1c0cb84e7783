#include "about/frmabout.h"

#include <exception>

#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVersionNumber>

#include "app/ansicodepage.h"
#include "platform/dialogs.h"
#include "platform/programlauncher.h"

namespace snagwell {
namespace {

// Where Windows records its system-information program: the program's full
// path, or else the folder it is in.
const QString &sysInfoKey()
{
    static const QString key = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
    return key;
}
const QString &sysInfoLocationKey()
{
    static const QString key = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
    return key;
}

constexpr int valueBufferSize = 1024;

// The number's bytes, most significant first, in hexadecimal.
QString dwordText(const QByteArray &data)
{
    QString text = QStringLiteral("&h");
    for (qsizetype i = data.size() - 1; i >= 0; --i)
        text += QString::number(static_cast<uchar>(data.at(i)), 16)
                    .rightJustified(2, QLatin1Char('0'))
                    .toUpper();
    return text;
}

} // namespace

QString versionText(const QString &version)
{
    const QVersionNumber number = QVersionNumber::fromString(version);
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ %1.%2.%3")
        .arg(number.majorVersion())
        .arg(number.minorVersion())
        .arg(number.microVersion());
}

frmAbout::frmAbout(Registry &registry, ProgramLauncher &launcher, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), m_registry(registry), m_launcher(launcher), m_dialogs(dialogs)
{
    // A dialog with a parent gets no task-bar button of its own; a tool
    // window is the nearest thing without one.
    setWindowFlags((parent ? Qt::Dialog : Qt::Tool) | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    lblTitle->setFont(titleFont);

    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAutoDefault(false);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addLayout(buttons);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(lblVersion);
    layout->addSpacing(12);
    layout->addWidget(Line1);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    // Esc rejects the dialog, which closes it just as OK does.

    Form_Load();
}

void frmAbout::Form_Load()
{
    setWindowTitle(applicationTitle() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    lblVersion->setText(versionText(QStringLiteral(SNAGWELL_VERSION)));
    lblTitle->setText(applicationTitle());
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::StartSysInfo()
{
    const auto started = [this]() -> bool {
        QString SysInfoPath;
        if (!GetKeyValue(registry::localMachine, sysInfoKey(), QStringLiteral("PATH"),
                         SysInfoPath)) {
            if (!GetKeyValue(registry::localMachine, sysInfoLocationKey(), QStringLiteral("MSINFO"),
                             SysInfoPath))
                return false;
            // The registry holds Windows paths: the backslash is their
            // separator whatever system reads them.
            SysInfoPath += QStringLiteral("\\MSINFO32.EXE");
            if (!QFileInfo::exists(SysInfoPath))
                return false;
        }
        return m_launcher.start(SysInfoPath);
    };
    try {
        if (started())
            return;
    } catch (const std::exception &) {
        // Every way of not finding or not starting it ends in the one message.
    }
    m_dialogs.notice(QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));
}

bool frmAbout::GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                           QString &KeyVal)
{
    const Registry::Key hKey = m_registry.openKey(KeyRoot, KeyName, registry::keyAllAccess);
    std::optional<Registry::Value> value;
    if (hKey != 0)
        value = m_registry.queryValue(hKey, SubKeyRef, valueBufferSize);
    m_registry.closeKey(hKey);
    if (!value) {
        KeyVal.clear();
        return false;
    }
    QByteArray data = value->data;
    // A text's terminating zero is counted in its length.
    if (!data.isEmpty() && data.back() == '\0')
        data.chop(1);
    switch (value->type) {
    case registry::typeSz:
        KeyVal = fromCp932(data);
        break;
    case registry::typeDword:
        KeyVal = dwordText(data);
        break;
    default:
        break;
    }
    return true;
}

} // namespace snagwell
