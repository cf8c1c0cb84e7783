#pragma once

#include <QMainWindow>
#include <QPointer>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMessageBox;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;

namespace snagwell {

class AboutBox;
class CaptureRecorder;
class Dialogs;
class DriveList;
class FileList;
class FileViewer;
class FolderList;
class HeaderChoice;
class Lifecycle;
class Printing;
class State;
class StorageFolders;
class SystemInformation;
class TrayIcon;

// What the settings window shows and what its controls call.
struct SettingsWindowParts
{
    State &state;
    CaptureRecorder &recorder;
    HeaderChoice &headers;
    StorageFolders &folders;
    Printing &printing;
    FileViewer &viewer;
    Lifecycle &lifecycle;
    Dialogs &dialogs;
    TrayIcon &trayIcon;
    SystemInformation &systemInformation;
};

// The settings window "Snagwell 設定": the saved-data browser, the preview,
// the settings and the printers. It shows the state and calls the services;
// its menus are also the tray icon's menus. The close box only hides it.
class SettingsWindow final : public QMainWindow
{
    Q_OBJECT
public:
    explicit SettingsWindow(const SettingsWindowParts &parts, QWidget *parent = nullptr);
    ~SettingsWindow() override;

    // Shows the window in front ("設定画面").
    void showInFront();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void connectControls();
    void connectState();
    void showSettings();
    void showFolder();
    void showText();
    void showPicture();
    void showPrinters();
    void showAbout();
    void showCaptureProblem();

    SettingsWindowParts m_parts;

    QPushButton *m_startButton = nullptr;
    QPushButton *m_stopButton = nullptr;
    DriveList *m_driveList = nullptr;
    FolderList *m_folderList = nullptr;
    FileList *m_fileList = nullptr;
    QPushButton *m_makeManagementFolderButton = nullptr;
    QPushButton *m_makeTodaysFolderButton = nullptr;
    QComboBox *m_headerModeList = nullptr;
    QComboBox *m_registeredNameList = nullptr;
    QPushButton *m_removeNameButton = nullptr;
    QLineEdit *m_newNameEdit = nullptr;
    QPushButton *m_addNameButton = nullptr;
    QComboBox *m_pictureTypeList = nullptr;
    QComboBox *m_keepDaysList = nullptr;
    QCheckBox *m_saveTextBox = nullptr;
    QCheckBox *m_printAtOnceBox = nullptr;
    QCheckBox *m_buttonWindowBox = nullptr;
    QLineEdit *m_buttonTopEdit = nullptr;
    QLineEdit *m_buttonLeftEdit = nullptr;
    QLabel *m_startupFolderLabel = nullptr;
    QListWidget *m_printerList = nullptr;
    QLineEdit *m_printerEdit = nullptr;
    QPushButton *m_printTextButton = nullptr;
    QPushButton *m_printPictureButton = nullptr;
    QPushButton *m_saveTextButton = nullptr;
    QPushButton *m_resetButton = nullptr;
    QLabel *m_textPathLabel = nullptr;
    QPlainTextEdit *m_textView = nullptr;
    QLabel *m_picturePathLabel = nullptr;
    QScrollArea *m_pictureArea = nullptr;
    QLabel *m_pictureView = nullptr;

    QMenu *m_fileMenu = nullptr;
    QMenu *m_displayMenu = nullptr;
    QAction *m_quitAction = nullptr;
    QAction *m_showAction = nullptr;
    QAction *m_buttonWindowAction = nullptr;
    QAction *m_aboutAction = nullptr;

    QPointer<AboutBox> m_about;
    QPointer<QMessageBox> m_problemBox;
};

} // namespace snagwell
