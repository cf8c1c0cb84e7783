#include "app/printing.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include "app/failurerules.h"
#include "app/state.h"
#include "core/printerchoice.h"
#include "platform/printers.h"

namespace snagwell {
namespace {

const QString &printQuestionTitle()
{
    static const QString title = QStringLiteral("印刷確認");
    return title;
}

// Pictures print at the size they have on the screen.
int screenDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchX()) : 96;
}

} // namespace

Printing::Printing(State &state, Printers &printers, Dialogs &dialogs, QObject *parent)
    : QObject(parent), m_state(state), m_printers(printers), m_dialogs(dialogs)
{
}

void Printing::refreshPrinters()
{
    m_names = m_printers.names();
    m_chosenRow = chosenPrinterIndex(m_names, m_state.settings().printer);
    if (m_chosenRow >= 0)
        m_state.changeSettings([this](Settings &s) { s.printer = m_names.at(m_chosenRow); });
    Q_EMIT printersChanged();
}

void Printing::choosePrinter(int row)
{
    if (row < 0 || row >= m_names.size())
        return;
    m_chosenRow = row;
    m_state.changeSettings([this](Settings &s) { s.printer = m_names.at(m_chosenRow); });
    Q_EMIT printersChanged();
}

QString Printing::chosenPrinter() const
{
    return m_chosenRow >= 0 ? m_names.at(m_chosenRow) : QString();
}

void Printing::makeChosenPrinterCurrent()
{
    // Letter case counts here; without the printer the current one stays.
    const QString chosen = chosenPrinter();
    if (m_printers.names().contains(chosen))
        m_printers.makeCurrent(chosen);
}

void Printing::printText(const QString &text)
{
    makeChosenPrinterCurrent();
    m_printers.setOrientation(PageOrientation::Portrait);
    m_printers.print(text);
    m_printers.endDoc();
}

void Printing::printPicture(const QImage &picture)
{
    makeChosenPrinterCurrent();
    m_printers.setOrientation(PageOrientation::Landscape);
    m_printers.paintPicture(picture, pictureTwips(picture.size(), screenDpi()));
    m_printers.endDoc();
}

void Printing::printShownText()
{
    reportFailure(m_dialogs, [this] {
        if (m_state.shownText().isEmpty()) {
            m_dialogs.notice(QStringLiteral("テキストデータはありません"));
            return;
        }
        if (!m_dialogs.askOkCancel(QStringLiteral("テキストを印刷しますか"), printQuestionTitle()))
            return;
        printText(m_state.shownText());
    });
}

void Printing::printShownPicture()
{
    reportFailure(m_dialogs, [this] {
        if (m_state.shownPicturePath().isEmpty()) {
            m_dialogs.notice(QStringLiteral("イメージが選択されていません"));
            return;
        }
        if (!m_dialogs.askOkCancel(QStringLiteral("イメージを印刷しますか"), printQuestionTitle()))
            return;
        printPicture(m_state.shownPicture());
    });
}

} // namespace snagwell
