#include "frmprintscreen.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include <cmath>
#include <functional>

#include "app/failure.h"
#include "app/form1.h"
#include "platform/dialogs.h"
#include "tray/printscreenkey.h"

namespace snagwell {
namespace {

const QString &registeredHeader()
{
    static const QString text = QStringLiteral("登録名");
    return text;
}

// Sizes and places in twips.
constexpr int clientWidth = 2010;
constexpr int clientHeight = 435;
constexpr int buttonLeft = 360;
constexpr int buttonTop = 50;
constexpr int buttonWidth = 1275;
constexpr int buttonHeight = 375;

// Positions may lie left of or above the primary screen, so both directions
// round alike.
int twipsToPixelsSigned(int twips, int dpi)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

int pixelsToTwipsSigned(int pixels, int dpi)
{
    return static_cast<int>(std::lround(static_cast<double>(pixels) * 1440.0 / dpi));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Choosing an entry of the settings window's lists always runs the list's
// click handling, also when the entry was chosen already.
void chooseListEntry(QComboBox *list, int index, const std::function<void()> &click)
{
    if (index < 0 || index >= list->count())
        throw Failure(QStringLiteral("リストの範囲外です: %1").arg(index));
    if (list->currentIndex() == index)
        click();
    else
        list->setCurrentIndex(index);
}

// A name shown as a menu entry: '&' would otherwise mark a mnemonic.
QString menuText(const QString &name)
{
    QString text = name;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

qint16 positionTwips(const QString &text)
{
    const QString number = text.trimmed();
    qsizetype i = 0;
    if (i < number.size() && (number[i] == QLatin1Char('+') || number[i] == QLatin1Char('-')))
        ++i;
    bool digits = false;
    while (i < number.size() && isAsciiDigit(number[i])) {
        ++i;
        digits = true;
    }
    if (i < number.size() && number[i] == QLatin1Char('.')) {
        ++i;
        while (i < number.size() && isAsciiDigit(number[i])) {
            ++i;
            digits = true;
        }
    }
    if (!digits || i != number.size())
        return 0;
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok)
        return 0;
    // nearbyint rounds a half to the even neighbour in the default mode.
    const double rounded = std::nearbyint(value);
    if (rounded < -32768.0)
        return -32768;
    if (rounded > 32767.0)
        return 32767;
    return static_cast<qint16>(rounded);
}

frmPrintScreen::frmPrintScreen(Form1 &form)
    : QWidget(&form,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_form(form)
{
    setObjectName(QStringLiteral("frmPrintScreen"));
    // A fixed frame: the window keeps its client size.
    setFixedSize(twipsToPixelsSigned(clientWidth, dpiX()),
                 twipsToPixelsSigned(clientHeight, dpiY()));

    PrntScrnButton = new QPushButton(QStringLiteral("画面保存"), this);
    PrntScrnButton->setObjectName(QStringLiteral("PrntScrnButton"));
    PrntScrnButton->setGeometry(
        twipsToPixelsSigned(buttonLeft, dpiX()), twipsToPixelsSigned(buttonTop, dpiY()),
        twipsToPixelsSigned(buttonWidth, dpiX()), twipsToPixelsSigned(buttonHeight, dpiY()));
    PrntScrnButton->setToolTip(
        QStringLiteral("画面を保存します。余白を右クリックするとファイル名を切り替えます。"));
    // Only the margin answers the right button: a button passes the
    // releases it ignores on to its window.
    PrntScrnButton->setAttribute(Qt::WA_NoMousePropagation);

    mnuFileHeader = new QMenu(QStringLiteral("ファイル名"), this);
    mnuFileHeader->setObjectName(QStringLiteral("mnuFileHeader"));
    const auto addHeaderEntry = [this](const QString &caption) {
        QAction *entry = mnuFileHeader->addAction(caption);
        entry->setCheckable(true);
        return entry;
    };
    mnuPC = addHeaderEntry(QStringLiteral("PC名"));
    mnuUser = addHeaderEntry(QStringLiteral("ﾕｰｻﾞｰ名"));
    mnuPcUser = addHeaderEntry(QStringLiteral("PC名+ﾕｰｻﾞｰ名"));
    mnuRegName.append(mnuFileHeader->addSeparator());

    // What escapes a handler is shown rather than lost in the event loop.
    const auto reported = [this](void (frmPrintScreen::*handler)()) {
        return [this, handler] { m_form.reportFailures([this, handler] { (this->*handler)(); }); };
    };
    connect(PrntScrnButton, &QPushButton::clicked, this,
            reported(&frmPrintScreen::PrntScrnButton_Click));
    connect(mnuPC, &QAction::triggered, this, reported(&frmPrintScreen::mnuPC_Click));
    connect(mnuUser, &QAction::triggered, this, reported(&frmPrintScreen::mnuUser_Click));
    connect(mnuPcUser, &QAction::triggered, this, reported(&frmPrintScreen::mnuPcUser_Click));
}

int frmPrintScreen::dpiX() const
{
    return logicalDpiX() > 0 ? logicalDpiX() : 96;
}

int frmPrintScreen::dpiY() const
{
    return logicalDpiY() > 0 ? logicalDpiY() : 96;
}

void frmPrintScreen::BuildHeaderMenu()
{
    try {
        const QComboBox *names = m_form.cbxRegName;
        for (int k = 1; k <= names->count(); ++k) {
            const QString name = names->itemText(k - 1);
            QAction *entry = mnuFileHeader->addAction(menuText(name));
            entry->setCheckable(true);
            entry->setData(name);
            connect(entry, &QAction::triggered, this,
                    [this, k] { m_form.reportFailures([this, k] { mnuRegName_Click(k); }); });
            mnuRegName.append(entry);
        }
        const QString header = m_form.cbxFileHeader->currentText();
        if (header == QStringLiteral("PC名")) {
            mnuPC->setChecked(true);
        } else if (header == QStringLiteral("ﾕｰｻﾞｰ名")) {
            mnuUser->setChecked(true);
        } else if (header == QStringLiteral("PC名+ﾕｰｻﾞｰ名")) {
            mnuPcUser->setChecked(true);
        } else if (header == registeredHeader() && !names->currentText().isEmpty()) {
            const int element = names->currentIndex() + 1;
            if (element < 1 || element >= mnuRegName.size())
                throw Failure(QStringLiteral("登録名の番号が範囲外です: %1").arg(element));
            mnuRegName[element]->setChecked(true);
        }
    } catch (const std::exception &error) {
        m_form.dialogs().notice(describe(error));
    }
}

void frmPrintScreen::ShowHeaderCaption()
{
    const QString header = m_form.cbxFileHeader->currentText();
    setWindowTitle(header == registeredHeader() ? m_form.cbxRegName->currentText() : header);
}

void frmPrintScreen::UncheckRegNameItems()
{
    for (qsizetype k = 1; k < mnuRegName.size(); ++k)
        mnuRegName[k]->setChecked(false);
}

void frmPrintScreen::Form_Load()
{
    BuildHeaderMenu();
    ShowHeaderCaption();
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    const qint16 top = positionTwips(m_form.tbxTop->text());
    const qint16 left = positionTwips(m_form.tbxLeft->text());
    placeAt(top, left);
}

void frmPrintScreen::placeAt(qint16 topTwips, qint16 leftTwips)
{
    QPoint place(twipsToPixelsSigned(leftTwips, dpiX()), twipsToPixelsSigned(topTwips, dpiY()));
    // A place on no screen (a monitor since removed) would leave the window
    // out of reach.
    if (!QGuiApplication::screenAt(place)) {
        if (const QScreen *primary = QGuiApplication::primaryScreen())
            place = primary->geometry().topLeft();
    }
    move(place);
}

QPoint frmPrintScreen::positionInTwips() const
{
    // pos() is the frame's top-left corner for a window.
    return {pixelsToTwipsSigned(pos().x(), dpiX()), pixelsToTwipsSigned(pos().y(), dpiY())};
}

void frmPrintScreen::Form_Unload()
{
    const QPoint place = positionInTwips();
    m_form.tbxTop->setText(QString::number(place.y()));
    m_form.tbxLeft->setText(QString::number(place.x()));
}

void frmPrintScreen::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Form_Unload();
    hide();
    deleteLater();
}

void frmPrintScreen::closeEvent(QCloseEvent *event)
{
    // The close box unloads the window; the settings window loads it afresh
    // when it is wanted again.
    event->accept();
    if (!m_unloaded)
        m_form.unloadPrintScreen();
}

void frmPrintScreen::mouseReleaseEvent(QMouseEvent *event)
{
    Form_MouseUp(event->button(), event->globalPosition().toPoint());
}

void frmPrintScreen::Form_MouseUp(Qt::MouseButton button, const QPoint &globalPosition)
{
    if (button == Qt::RightButton)
        mnuFileHeader->popup(globalPosition);
}

void frmPrintScreen::PrntScrnButton_Click()
{
    PressPrintScreenKey(m_form.clipboard(), m_form.screenGrabber());
}

void frmPrintScreen::chooseHeaderEntry(int headerIndex, QAction *entry)
{
    chooseListEntry(m_form.cbxFileHeader, headerIndex, [this] { m_form.cbxFileHeader_Click(); });
    ShowHeaderCaption();
    for (QAction *header : {mnuPC, mnuUser, mnuPcUser})
        header->setChecked(header == entry);
    UncheckRegNameItems();
}

void frmPrintScreen::mnuPC_Click()
{
    chooseHeaderEntry(0, mnuPC);
}

void frmPrintScreen::mnuUser_Click()
{
    chooseHeaderEntry(1, mnuUser);
}

void frmPrintScreen::mnuPcUser_Click()
{
    chooseHeaderEntry(2, mnuPcUser);
}

void frmPrintScreen::mnuRegName_Click(int index)
{
    // The separator, element 0, is no choice.
    if (index < 1 || index >= mnuRegName.size())
        return;
    chooseListEntry(m_form.cbxFileHeader, 3, [this] { m_form.cbxFileHeader_Click(); });
    chooseListEntry(m_form.cbxRegName, index - 1, [this] { m_form.cbxRegName_Click(); });
    ShowHeaderCaption();
    for (QAction *header : {mnuPC, mnuUser, mnuPcUser})
        header->setChecked(false);
    UncheckRegNameItems();
    mnuRegName[index]->setChecked(true);
}

} // namespace snagwell
