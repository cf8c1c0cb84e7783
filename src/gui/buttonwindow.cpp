#include "gui/buttonwindow.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#include "app/capturerecorder.h"
#include "app/failurerules.h"
#include "app/headerchoice.h"
#include "app/state.h"
#include "core/numbers.h"

namespace snagwell {
namespace {

// The button and the margin around it, in twips.
constexpr int buttonWidth = 1275;
constexpr int buttonHeight = 375;
constexpr int marginLeft = 360;
constexpr int marginTop = 50;
constexpr int marginRight = 375;
constexpr int marginBottom = 10;
constexpr int modeCount = 3;

// A name shown as a menu entry: '&' would otherwise mark a mnemonic.
QString menuText(const QString &name)
{
    QString text = name;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

ButtonWindow::ButtonWindow(const ButtonWindowParts &parts, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      m_parts(parts)
{
    setObjectName(QStringLiteral("frmPrintScreen"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *button = new QPushButton(QStringLiteral("画面保存"), this);
    button->setObjectName(QStringLiteral("PrntScrnButton"));
    button->setMinimumSize(twipsToPixels(buttonWidth, logicalDpiX()),
                           twipsToPixels(buttonHeight, logicalDpiY()));
    // A fixed frame, as large as the button and its margin.
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(
        twipsToPixels(marginLeft, logicalDpiX()), twipsToPixels(marginTop, logicalDpiY()),
        twipsToPixels(marginRight, logicalDpiX()), twipsToPixels(marginBottom, logicalDpiY()));
    layout->addWidget(button);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    button->setToolTip(
        QStringLiteral("画面を保存します。余白を右クリックするとファイル名を切り替えます。"));
    // Only the margin answers the right button: a button passes the
    // releases it ignores on to its window.
    button->setAttribute(Qt::WA_NoMousePropagation);
    connect(button, &QPushButton::clicked, this, [this] {
        reportFailure(m_parts.dialogs, [this] { m_parts.recorder.takeScreenshot(); });
    });

    // Never on a menu bar: only popped up.
    m_headerMenu = new QMenu(QStringLiteral("ファイル名"), this);
    m_headerMenu->setObjectName(QStringLiteral("mnuFileHeader"));
    connect(&m_parts.state, &State::settingsChanged, this, &ButtonWindow::showHeader);
    showHeader();

    const State &state = m_parts.state;
    // The place in twips, clamped into 16 bits; a text that is no number counts as 0.
    const auto twips = [](const QString &text) {
        return std::clamp(readNumber(text).value_or(0), -32768, 32767);
    };
    QPoint place(twipsToPixels(twips(state.settings().buttonWindowLeft), logicalDpiX()),
                 twipsToPixels(twips(state.settings().buttonWindowTop), logicalDpiY()));
    // A place on no screen (a monitor since removed) would leave the window
    // out of reach.
    if (!QGuiApplication::screenAt(place)) {
        if (const QScreen *primary = QGuiApplication::primaryScreen())
            place = primary->geometry().topLeft();
    }
    move(place);
}

void ButtonWindow::showHeader()
{
    const Settings &settings = m_parts.state.settings();
    const QStringList &names = settings.registeredNames;
    // The menu is built again only when the names changed.
    QStringList shown;
    for (qsizetype k = modeCount; k < m_entries.size(); ++k)
        shown.append(m_entries.at(k)->data().toString());
    if (m_entries.isEmpty() || shown != names) {
        m_headerMenu->clear();
        m_entries.clear();
        for (int mode = 0; mode < modeCount; ++mode) {
            QAction *entry = m_headerMenu->addAction(headerModeTexts().at(mode));
            connect(entry, &QAction::triggered, this,
                    [this, mode] { m_parts.headers.chooseMode(static_cast<HeaderMode>(mode)); });
            m_entries.append(entry);
        }
        m_headerMenu->addSeparator();
        for (int k = 0; k < names.size(); ++k) {
            QAction *entry = m_headerMenu->addAction(menuText(names.at(k)));
            entry->setData(names.at(k));
            connect(entry, &QAction::triggered, this,
                    [this, k] { m_parts.headers.chooseRegisteredHeader(k); });
            m_entries.append(entry);
        }
        for (QAction *entry : std::as_const(m_entries))
            entry->setCheckable(true);
    }
    const int checked =
        settings.headerMode == HeaderMode::Registered
            ? (settings.registeredIndex >= 0 ? modeCount + settings.registeredIndex : -1)
            : static_cast<int>(settings.headerMode);
    for (qsizetype k = 0; k < m_entries.size(); ++k)
        m_entries.at(k)->setChecked(k == checked);
    setWindowTitle(settings.headerMode == HeaderMode::Registered
                       ? settings.registeredName()
                       : headerModeTexts().at(static_cast<int>(settings.headerMode)));
}

void ButtonWindow::keepPlace()
{
    // pos() is the frame's top-left corner for a window.
    const QString top = QString::number(pixelsToTwips(pos().y(), logicalDpiY()));
    const QString left = QString::number(pixelsToTwips(pos().x(), logicalDpiX()));
    m_parts.state.changeSettings([&](Settings &s) {
        s.buttonWindowTop = top;
        s.buttonWindowLeft = left;
    });
}

void ButtonWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        m_headerMenu->popup(event->globalPosition().toPoint());
}

void ButtonWindow::closeEvent(QCloseEvent *event)
{
    keepPlace();
    event->accept();
    m_parts.state.setButtonWindowOpen(false);
}

ButtonWindowHost::ButtonWindowHost(const ButtonWindowParts &parts, QObject *parent)
    : QObject(parent), m_parts(parts)
{
    connect(&m_parts.state, &State::buttonWindowOpenChanged, this, [this] {
        if (m_parts.state.isButtonWindowOpen()) {
            if (!m_window)
                m_window = new ButtonWindow(m_parts);
            m_window->show();
            m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
        } else if (m_window) {
            // Forgotten first: a closing window is never handed out again.
            ButtonWindow *window = m_window;
            m_window.clear();
            window->close();
        }
    });
}

ButtonWindowHost::~ButtonWindowHost()
{
    delete m_window.data();
}

} // namespace snagwell
