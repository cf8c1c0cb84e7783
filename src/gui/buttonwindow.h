#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

class QAction;
class QMenu;

namespace snagwell {

class CaptureRecorder;
class Dialogs;
class HeaderChoice;
class State;

// What the button window shows and calls.
struct ButtonWindowParts
{
    State &state;
    HeaderChoice &headers;
    CaptureRecorder &recorder;
    Dialogs &dialogs;
};

// The small always-on-top window "frmPrintScreen" with the single button
// "画面保存". Its title shows the file-name header in use; a right click on
// its margin pops up a menu that switches the header. It opens at the place
// the settings keep and writes its place back there when it closes.
class ButtonWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit ButtonWindow(const ButtonWindowParts &parts, QWidget *parent = nullptr);

    // Writes the window's place into the settings.
    void keepPlace();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void showHeader();

    ButtonWindowParts m_parts;
    QMenu *m_headerMenu = nullptr;
    // The three header modes, then the registered names in list order.
    QList<QAction *> m_entries;
};

// Opens and closes the button window as the state says.
class ButtonWindowHost final : public QObject
{
    Q_OBJECT
public:
    explicit ButtonWindowHost(const ButtonWindowParts &parts, QObject *parent = nullptr);
    ~ButtonWindowHost() override;
    ButtonWindow *window() const { return m_window; }

private:
    ButtonWindowParts m_parts;
    QPointer<ButtonWindow> m_window;
};

} // namespace snagwell
