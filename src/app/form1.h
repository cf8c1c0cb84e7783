#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>

#include "storage/folderbrowser.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace snagwell {

class Clipboard;
class Clock;
class Converters;
class Dialogs;
class DriveList;
class FileList;
class FolderList;
class InstanceLock;
class Printers;
class ProgramLauncher;
class Registry;
class ScreenGrabber;
class SystemNames;
class TrayIcon;
class frmAbout;
class frmPrintScreen;

// The desktop as the settings window reaches it, built by main().
struct Form1Ports
{
    Dialogs &dialogs;
    InstanceLock &instanceLock;
    SystemNames &systemNames;
    Clock &clock;
    TrayIcon &trayIcon;
    Printers &printers;
    Clipboard &clipboard;
    Converters &converters;
    ScreenGrabber &screenGrabber;
    Registry &registry;
    ProgramLauncher &programLauncher;
};

// The settings window: the program's centre. Its controls hold every
// setting and all running state; the program lives as long as it is loaded.
class Form1 final : public QMainWindow, public FolderBrowser
{
    Q_OBJECT
public:
    // executableName: the running file's name without folder or extension;
    // startupFolder: the working directory at start-up.
    Form1(const Form1Ports &ports, QString executableName, QString startupFolder,
          QWidget *parent = nullptr);
    ~Form1() override;

    // Start-up. Afterwards isSecondInstance() tells whether this instance
    // found another one running and has ended.
    void Form_Load();
    bool isSecondInstance() const { return m_isSecondInstance; }
    // Unloads the window for good: the orderly shutdown, then unloaded().
    void Unload();
    bool isUnloaded() const { return m_unloaded; }
    // Each start-up step and how it ended ("5", "9 failed: ..."), in order.
    const QStringList &startupTrace() const { return m_startupTrace; }

    // Settings file.
    void LoadSettings();
    void SaveSettings();

    // Menu commands.
    void mnuQuit_Click();
    void mnuShow_Click();
    void mnuPrintScreen_Click();
    void mnuVersion_Click();

    // Tray icon.
    void AddTrayIcon();
    void RemoveTrayIcon();
    QString trayTip() const;

    // Header selection and registered names.
    void cbxFileHeader_Click();
    void cbxRegName_Click();
    void ApplyFileHeaderChoice();
    void ApplyRegNameChoice();
    void btnRegAdd_Click();
    void btnRegDel_Click();

    // The screen-capture button window: loaded on demand (hidden until
    // shown), unloaded at shutdown.
    bool isPrintScreenLoaded() const;
    void unloadPrintScreen();
    // The button window, loaded (and left hidden) when it is not loaded yet.
    frmPrintScreen *printScreenWindow();

    // Storage folders.
    void SetUpStorageFolders(const QString &folder);
    void EnterTodaysFolderAtStartUp();
    void btnMakeSWDataFolder_Click();
    void btnMakeTodayFolder_Click();

    // File naming: the header of new captures, and the next free paths in
    // the current folder.
    QString currentFileHeader() const;
    QString NextCapturePath() const;
    QString NextTextFilePath() const;

    // Printing.
    void FillPrinterList();
    void btnPrnIMG_Click();
    void btnPrnTXT_Click();
    // The chosen printer's jobs, for immediate printing of captures.
    void printText(const QString &text);
    void printPicture(const QImage &picture);

    // The ports, for the other windows.
    Dialogs &dialogs() const { return m_dialogs; }
    Clipboard &clipboard() const { return m_clipboard; }
    ScreenGrabber &screenGrabber() const { return m_screenGrabber; }
    TrayIcon &trayIcon() const { return m_trayIcon; }
    QWidget *aboutWindow() const;

    // Clipboard monitoring and capture saving.
    void Command1_Click();
    void Command2_Click();
    bool isMonitoring() const;
    void ClipboardWindowProc();
    void CaptureClipboard();
    // Writes the shown text as the next text capture; answers its path.
    QString SaveTextToFile();
    void btnSaveText_Click();

    // Saved-data browser.
    void Drive1_Change();
    void Drive1_GotFocus();
    void Dir1_Change();
    void File1_Click(const QString &fileName);
    void btnReset_Click();

    // FolderBrowser: the browser as the folder operations see it.
    QString folderPath() const override;
    QString fileListPath() const override;
    void setFolderPath(const QString &path) override;
    void rereadFolders() override;

    // The text shown in the preview, exactly as set (CR LF line ends); the
    // user's edits come back with CR LF too.
    QString text1() const { return m_text1; }
    void setText1(const QString &text);

    // The picture shown in the preview, for printing.
    const QImage &picture() const { return m_picture; }
    void setPicture(const QImage &picture);

    // Check boxes hold 0 (off), 1 (on) or 2 (greyed).
    static int checkValue(const QCheckBox *box);
    static void setCheckValue(QCheckBox *box, int value);

    // Controls, named as the program has always named them; the other
    // windows read and write them directly.
    QPushButton *Command1;
    QPushButton *Command2;
    QLabel *Label1;
    DriveList *Drive1;
    FolderList *Dir1;
    FileList *File1;
    QLabel *Label2;
    QLabel *LabelTXT;
    QPlainTextEdit *Text1;
    QLabel *Label4;
    QLabel *LabelIMG;
    QScrollArea *Picture1;
    QPushButton *btnSaveText;
    QCheckBox *SaveTextCK;
    QCheckBox *PrintCK;
    QPushButton *btnReset;
    QLabel *Label3;
    QListWidget *lstPrinters;
    QLineEdit *tbxPrinter;
    QPushButton *btnPrnTXT;
    QPushButton *btnPrnIMG;
    QLabel *Label5;
    QComboBox *cbxFileHeader;
    QLabel *Label8;
    QComboBox *cbxRegName;
    QPushButton *btnRegDel;
    QLabel *Label7;
    QLineEdit *tbxFileHeader;
    QPushButton *btnRegAdd;
    QLabel *Label6;
    QComboBox *cbxFileType;
    QLabel *Label9;
    QComboBox *cbxDeleteFolder;
    QPushButton *btnMakeSWDataFolder;
    QPushButton *btnMakeTodayFolder;
    QCheckBox *PrintScreenCK;
    QLineEdit *tbxTop;
    QLineEdit *tbxLeft;
    QLabel *lblAppDir;

    QMenu *mnuFileItems;
    QAction *mnuQuit;
    QMenu *mnuHyoji;
    QAction *mnuShow;
    QAction *mnuPrintScreen;
    QMenu *mnuHelp;
    QAction *mnuVersion;

Q_SIGNALS:
    // The window has been unloaded: the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void connectControls();
    void Form_Resize();
    void Form_Unload();
    // One step that stands alone: a failure inside abandons the rest of the
    // step, silently, and the caller goes on.
    bool runStep(const QString &name, const std::function<void()> &step);
    // A handler that reports its failure with the error's description.
public:
    // Runs a handler that reports its failure with the error's description.
    void reportFailures(const std::function<void()> &handler);

private:
    void addEntries(QComboBox *list, const QStringList &entries);
    void chooseEntry(QComboBox *list, const QString &text);
    void selectIndex(QComboBox *list, int index);
    void bringToForeground();
    int dpiX() const;
    int dpiY() const;

    Dialogs &m_dialogs;
    InstanceLock &m_instanceLock;
    SystemNames &m_systemNames;
    Clock &m_clock;
    TrayIcon &m_trayIcon;
    Printers &m_printers;
    Clipboard &m_clipboard;
    Converters &m_converters;
    ScreenGrabber &m_screenGrabber;
    Registry &m_registry;
    ProgramLauncher &m_programLauncher;
    QString m_executableName;
    QString m_startupFolder;

    bool m_isSecondInstance = false;
    bool m_unloaded = false;
    QStringList m_startupTrace;
    QImage m_picture;
    QString m_text1;
    bool m_settingText1 = false;
    QLabel *m_pictureView = nullptr;
    QTabWidget *m_tabs = nullptr;
    QPointer<frmAbout> m_about;
    QPointer<frmPrintScreen> m_printScreen;
    QMetaObject::Connection m_monitoring;
};

} // namespace snagwell
