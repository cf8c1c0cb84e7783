#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QImage;

namespace snagwell {

class Dialogs;
class Printers;
class State;

// The system's printers, the one chosen for Snagwell's jobs, and the two
// jobs. The chosen printer's name is a setting; the system's current
// printer changes only when a job is printed.
class Printing final : public QObject
{
    Q_OBJECT
public:
    Printing(State &state, Printers &printers, Dialogs &dialogs, QObject *parent = nullptr);

    // Lists the system's printers again and chooses the one the setting
    // names, found without regard to letter case; the setting then takes
    // the name as the system writes it. With no name set, the last printer
    // is chosen; with a name no printer has, none is chosen and the setting
    // keeps the name.
    void refreshPrinters();
    const QStringList &printerNames() const { return m_names; }
    // The chosen printer's place in printerNames(), -1 for none.
    int chosenRow() const { return m_chosenRow; }
    void choosePrinter(int row);

    // The jobs on the chosen printer; throw Failure.
    void printText(const QString &text);
    void printPicture(const QImage &picture);

    // Buttons "テキスト印刷" and "イメージ印刷": the shown text or picture,
    // after asking; every failure is shown.
    void printShownText();
    void printShownPicture();

Q_SIGNALS:
    void printersChanged();

private:
    QString chosenPrinter() const;
    void makeChosenPrinterCurrent();

    State &m_state;
    Printers &m_printers;
    Dialogs &m_dialogs;
    QStringList m_names;
    int m_chosenRow = -1;
};

} // namespace snagwell
