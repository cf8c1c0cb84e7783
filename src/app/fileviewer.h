#pragma once

#include <QObject>
#include <QString>

namespace snagwell {

class Dialogs;
class State;

// Shows a file of the current folder in the preview, and empties the
// preview.
class FileViewer final : public QObject
{
    Q_OBJECT
public:
    FileViewer(State &state, Dialogs &dialogs, QObject *parent = nullptr);

    // A click on a file of the list: a picture or a text is shown, a PNG
    // file only says why it is not; any failure is shown.
    void showFile(const QString &fileName);
    // Button "表示リセット": empties the preview after asking.
    void reset();

private:
    State &m_state;
    Dialogs &m_dialogs;
};

} // namespace snagwell
