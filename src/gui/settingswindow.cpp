#include "gui/settingswindow.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/capturerecorder.h"
#include "app/failurerules.h"
#include "app/fileviewer.h"
#include "app/headerchoice.h"
#include "app/lifecycle.h"
#include "app/printing.h"
#include "app/state.h"
#include "app/storagefolders.h"
#include "core/preview.h"
#include "gui/aboutbox.h"
#include "gui/browserlists.h"
#include "gui/windowlayout.h"
#include "platform/trayicon.h"

namespace snagwell {
namespace {

QLabel *captionLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel *pathLabel(const QString &name, QWidget *parent)
{
    auto *label = captionLabel(name, QString(), parent);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

template <typename Widget, typename... Args> Widget *named(const QString &name, Args &&...args)
{
    auto *widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(name);
    return widget;
}

Qt::CheckState checkStateOf(Tick tick)
{
    switch (tick) {
    case Tick::Off:
        return Qt::Unchecked;
    case Tick::On:
        return Qt::Checked;
    case Tick::Greyed:
        return Qt::PartiallyChecked;
    }
    return Qt::Unchecked;
}

Tick tickOf(Qt::CheckState state)
{
    switch (state) {
    case Qt::Unchecked:
        return Tick::Off;
    case Qt::Checked:
        return Tick::On;
    case Qt::PartiallyChecked:
        return Tick::Greyed;
    }
    return Tick::Off;
}

// The design's size as the least one, or what the font and style need.
void setLeastSize(QWidget *widget, QSize design)
{
    widget->setMinimumSize(design.expandedTo(widget->minimumSizeHint()));
}

void setTextIfChanged(QLineEdit *edit, const QString &text)
{
    // Setting the same text again would move the cursor of someone typing.
    if (edit->text() != text)
        edit->setText(text);
}

// The design's measures in twips: the layouts never make a control smaller,
// and give the room a larger font needs.
constexpr int leftColumnWidth = 2760;
constexpr int buttonRowHeight = 375;
constexpr int captionWidth = 975;
constexpr int pathHeight = 270;
constexpr int textHeight = 960;

} // namespace

SettingsWindow::SettingsWindow(const SettingsWindowParts &parts, QWidget *parent)
    : QMainWindow(parent), m_parts(parts)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Snagwell 設定"));
    buildControls();
    buildMenus();
    connectControls();
    connectState();
    // The window manager keeps the window from getting smaller than the
    // design or than its controls need; the preview column takes the rest.
    setLeastSize(this, QSize(twipsToPixels(settingsWindowMinWidth, logicalDpiX()),
                             twipsToPixels(settingsWindowMinHeight, logicalDpiY())));
    resize(minimumSize());
    showSettings();
    showFolder();
    showText();
    showPicture();
    showPrinters();
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::buildControls()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);
    const auto px = [this](int twips) { return twipsToPixels(twips, logicalDpiX()); };
    const auto py = [this](int twips) { return twipsToPixels(twips, logicalDpiY()); };

    // Monitoring buttons above the left column.
    m_startButton = named<QPushButton>(QStringLiteral("Command1"),
                                       QStringLiteral("クリップボード監視"), central);
    m_stopButton = named<QPushButton>(QStringLiteral("Command2"), QStringLiteral("解除"), central);

    auto *tabs = new QTabWidget(central);

    // Page 1: where captures go.
    auto *browsePage = new QWidget;
    auto *browseLayout = new QVBoxLayout(browsePage);
    browseLayout->setContentsMargins(4, 4, 4, 4);
    browseLayout->setSpacing(3);
    m_driveList = named<DriveList>(QStringLiteral("Drive1"), browsePage);
    m_folderList = named<FolderList>(QStringLiteral("Dir1"), browsePage);
    m_fileList = named<FileList>(QStringLiteral("File1"), fileListPattern(), browsePage);
    m_makeManagementFolderButton = named<QPushButton>(QStringLiteral("btnMakeSWDataFolder"),
                                                      QStringLiteral("管理ﾌｫﾙﾀﾞ作成"), browsePage);
    m_makeTodaysFolderButton = named<QPushButton>(QStringLiteral("btnMakeTodayFolder"),
                                                  QStringLiteral("日付ﾌｫﾙﾀﾞ作成"), browsePage);
    browseLayout->addWidget(
        captionLabel(QStringLiteral("Label1"), QStringLiteral("保存先"), browsePage));
    browseLayout->addWidget(m_driveList);
    browseLayout->addWidget(m_folderList, 1);
    browseLayout->addWidget(m_fileList, 1);
    auto *folderButtons = new QHBoxLayout;
    folderButtons->addWidget(m_makeManagementFolderButton);
    folderButtons->addWidget(m_makeTodaysFolderButton);
    browseLayout->addLayout(folderButtons);
    tabs->addTab(browsePage, QStringLiteral("保存先"));

    // Page 2: how captures are named and kept.
    auto *settingsPage = new QWidget;
    auto *grid = new QGridLayout(settingsPage);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setVerticalSpacing(3);
    int row = 0;
    m_headerModeList = named<QComboBox>(QStringLiteral("cbxFileHeader"), settingsPage);
    m_headerModeList->addItems(headerModeTexts());
    grid->addWidget(captionLabel(QStringLiteral("Label5"), QStringLiteral("ﾌｧｲﾙ名"), settingsPage),
                    row, 0);
    grid->addWidget(m_headerModeList, row++, 1, 1, 2);
    m_registeredNameList = named<QComboBox>(QStringLiteral("cbxRegName"), settingsPage);
    m_removeNameButton =
        named<QPushButton>(QStringLiteral("btnRegDel"), QStringLiteral("削除"), settingsPage);
    grid->addWidget(captionLabel(QStringLiteral("Label8"), QStringLiteral("登録名"), settingsPage),
                    row++, 0, 1, 3);
    grid->addWidget(m_registeredNameList, row, 0, 1, 2);
    grid->addWidget(m_removeNameButton, row++, 2);
    m_newNameEdit = named<QLineEdit>(QStringLiteral("tbxFileHeader"), settingsPage);
    m_addNameButton =
        named<QPushButton>(QStringLiteral("btnRegAdd"), QStringLiteral("追加"), settingsPage);
    grid->addWidget(captionLabel(QStringLiteral("Label7"), QStringLiteral("登   録"), settingsPage),
                    row++, 0, 1, 3);
    grid->addWidget(m_newNameEdit, row, 0, 1, 2);
    grid->addWidget(m_addNameButton, row++, 2);
    m_pictureTypeList = named<QComboBox>(QStringLiteral("cbxFileType"), settingsPage);
    m_pictureTypeList->addItems(pictureTypeTexts());
    grid->addWidget(
        captionLabel(QStringLiteral("Label6"), QStringLiteral("イメージ保存形式"), settingsPage),
        row++, 0, 1, 3);
    grid->addWidget(m_pictureTypeList, row++, 0, 1, 3);
    m_keepDaysList = named<QComboBox>(QStringLiteral("cbxDeleteFolder"), settingsPage);
    m_keepDaysList->addItems(keepDaysTexts());
    grid->addWidget(
        captionLabel(QStringLiteral("Label9"), QStringLiteral("保存ﾃﾞｰﾀ自動削除"), settingsPage),
        row++, 0, 1, 3);
    grid->addWidget(m_keepDaysList, row++, 0, 1, 3);
    m_saveTextBox = named<QCheckBox>(QStringLiteral("SaveTextCK"), QStringLiteral("ﾃｷｽﾄ自動保存"),
                                     settingsPage);
    m_printAtOnceBox =
        named<QCheckBox>(QStringLiteral("PrintCK"), QStringLiteral("同時印刷"), settingsPage);
    m_buttonWindowBox = named<QCheckBox>(QStringLiteral("PrintScreenCK"),
                                         QStringLiteral("画面保存ボタン表示"), settingsPage);
    for (QCheckBox *box : {m_saveTextBox, m_printAtOnceBox, m_buttonWindowBox})
        grid->addWidget(box, row++, 0, 1, 3);
    // The screen-capture button window's place, in twips.
    m_buttonTopEdit = named<QLineEdit>(QStringLiteral("tbxTop"), settingsPage);
    m_buttonLeftEdit = named<QLineEdit>(QStringLiteral("tbxLeft"), settingsPage);
    m_buttonTopEdit->setPlaceholderText(QStringLiteral("上"));
    m_buttonLeftEdit->setPlaceholderText(QStringLiteral("左"));
    auto *position = new QHBoxLayout;
    position->addWidget(m_buttonTopEdit);
    position->addWidget(m_buttonLeftEdit);
    grid->addLayout(position, row++, 0, 1, 3);
    m_startupFolderLabel = pathLabel(QStringLiteral("lblAppDir"), settingsPage);
    m_startupFolderLabel->setWordWrap(true);
    m_startupFolderLabel->setText(m_parts.state.startupFolder());
    grid->addWidget(m_startupFolderLabel, row++, 0, 1, 3);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    tabs->addTab(settingsPage, QStringLiteral("設定"));

    // Page 3: printers.
    auto *printPage = new QWidget;
    auto *printLayout = new QVBoxLayout(printPage);
    printLayout->setContentsMargins(4, 4, 4, 4);
    m_printerList = named<QListWidget>(QStringLiteral("lstPrinters"), printPage);
    m_printerList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_printerEdit = named<QLineEdit>(QStringLiteral("tbxPrinter"), printPage);
    m_printTextButton =
        named<QPushButton>(QStringLiteral("btnPrnTXT"), QStringLiteral("テキスト印刷"), printPage);
    m_printPictureButton =
        named<QPushButton>(QStringLiteral("btnPrnIMG"), QStringLiteral("イメージ印刷"), printPage);
    printLayout->addWidget(
        captionLabel(QStringLiteral("Label3"), QStringLiteral("プリンタ一覧"), printPage));
    printLayout->addWidget(m_printerList, 1);
    printLayout->addWidget(m_printerEdit);
    printLayout->addWidget(m_printTextButton);
    printLayout->addWidget(m_printPictureButton);
    tabs->addTab(printPage, QStringLiteral("印刷"));

    // Buttons for the preview, under the left column.
    m_saveTextButton =
        named<QPushButton>(QStringLiteral("btnSaveText"), QStringLiteral("テキスト保存"), central);
    m_resetButton =
        named<QPushButton>(QStringLiteral("btnReset"), QStringLiteral("表示リセット"), central);

    // The preview column.
    QLabel *textCaption =
        captionLabel(QStringLiteral("Label2"), QStringLiteral("テキスト"), central);
    m_textPathLabel = pathLabel(QStringLiteral("LabelTXT"), central);
    m_textView = named<QPlainTextEdit>(QStringLiteral("Text1"), central);
    m_textView->setLineWrapMode(QPlainTextEdit::NoWrap);
    QLabel *pictureCaption =
        captionLabel(QStringLiteral("Label4"), QStringLiteral("イメージ"), central);
    m_picturePathLabel = pathLabel(QStringLiteral("LabelIMG"), central);
    m_pictureArea = named<QScrollArea>(QStringLiteral("Picture1"), central);
    m_pictureView = new QLabel;
    m_pictureView->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pictureArea->setWidget(m_pictureView);
    m_pictureArea->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pictureArea->setBackgroundRole(QPalette::Dark);

    // The left column keeps its width; the preview column takes the rest.
    for (QPushButton *button : {m_startButton, m_stopButton, m_saveTextButton, m_resetButton})
        setLeastSize(button, QSize(0, py(buttonRowHeight)));
    auto *monitoring = new QHBoxLayout;
    monitoring->setSpacing(px(60));
    // In the design's proportions, as far as the captions allow.
    monitoring->addWidget(m_startButton, 1695);
    monitoring->addWidget(m_stopButton, 1005);
    auto *previewButtons = new QHBoxLayout;
    previewButtons->setSpacing(px(90));
    previewButtons->addWidget(m_saveTextButton, 1);
    previewButtons->addWidget(m_resetButton, 1);
    // Lists are as wide as their column, whatever their entries.
    for (QComboBox *list : tabs->findChildren<QComboBox *>()) {
        QSizePolicy policy = list->sizePolicy();
        policy.setHorizontalPolicy(QSizePolicy::Ignored);
        list->setSizePolicy(policy);
    }
    auto *leftColumn = new QWidget(central);
    auto *left = new QVBoxLayout(leftColumn);
    left->setContentsMargins(QMargins());
    left->setSpacing(py(60));
    left->addLayout(monitoring);
    left->addWidget(tabs, 1);
    left->addLayout(previewButtons);
    setLeastSize(leftColumn, QSize(px(leftColumnWidth), 0));
    leftColumn->setMaximumWidth(leftColumn->minimumWidth());

    setLeastSize(textCaption, QSize(px(captionWidth), 0));
    for (QLabel *path : {m_textPathLabel, m_picturePathLabel}) {
        setLeastSize(path, QSize(0, py(pathHeight)));
        // A long path is cut at the end rather than widening the window.
        path->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    m_textView->setFixedHeight(py(textHeight));
    auto *preview = new QGridLayout;
    preview->setHorizontalSpacing(0);
    preview->setVerticalSpacing(py(15));
    preview->addWidget(textCaption, 0, 0);
    preview->addWidget(m_textPathLabel, 0, 1);
    preview->addWidget(m_textView, 1, 0, 1, 2);
    preview->setRowMinimumHeight(2, py(30));
    preview->addWidget(pictureCaption, 3, 0);
    preview->addWidget(m_picturePathLabel, 3, 1);
    preview->addWidget(m_pictureArea, 4, 0, 1, 2);
    preview->setRowStretch(4, 1);
    preview->setColumnStretch(1, 1);

    auto *columns = new QHBoxLayout(central);
    columns->setContentsMargins(px(120), py(60), px(150), py(60));
    columns->setSpacing(px(120));
    columns->addWidget(leftColumn);
    columns->addLayout(preview, 1);
}

void SettingsWindow::buildMenus()
{
    m_fileMenu = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    m_fileMenu->setObjectName(QStringLiteral("mnuFileItems"));
    m_quitAction = m_fileMenu->addAction(QStringLiteral("終了"));
    m_quitAction->setObjectName(QStringLiteral("mnuQuit"));
    m_displayMenu = menuBar()->addMenu(QStringLiteral("表示(&S)"));
    m_displayMenu->setObjectName(QStringLiteral("mnuHyoji"));
    m_showAction = m_displayMenu->addAction(QStringLiteral("設定画面"));
    m_showAction->setObjectName(QStringLiteral("mnuShow"));
    m_buttonWindowAction = m_displayMenu->addAction(QStringLiteral("画面保存ボタン"));
    m_buttonWindowAction->setObjectName(QStringLiteral("mnuPrintScreen"));
    // Names for the pop-up windows, as window lists show them.
    m_fileMenu->setWindowTitle(QStringLiteral("ファイル"));
    m_displayMenu->setWindowTitle(QStringLiteral("表示"));
    QMenu *helpMenu = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    helpMenu->setObjectName(QStringLiteral("mnuHelp"));
    m_aboutAction = helpMenu->addAction(QStringLiteral("バージョン情報(&A)"));
    m_aboutAction->setObjectName(QStringLiteral("mnuVersion"));
}

void SettingsWindow::connectControls()
{
    State &state = m_parts.state;
    Dialogs &dialogs = m_parts.dialogs;
    const auto changeSetting = [&state](auto change) {
        return [&state, change](auto value) {
            state.changeSettings([&](Settings &s) { change(s, value); });
        };
    };

    connect(m_quitAction, &QAction::triggered, this, [this] { m_parts.lifecycle.quit(); });
    connect(m_showAction, &QAction::triggered, this, [this] { showInFront(); });
    connect(m_buttonWindowAction, &QAction::triggered, this,
            [&state] { state.setButtonWindowOpen(true); });
    connect(m_aboutAction, &QAction::triggered, this, [this] { showAbout(); });

    connect(m_startButton, &QPushButton::clicked, this, [this] { m_parts.recorder.start(); });
    connect(m_stopButton, &QPushButton::clicked, this,
            [this] { reportFailure(m_parts.dialogs, [this] { m_parts.recorder.stop(); }); });

    // The browser: a volume chosen moves to its root, unless the current
    // folder already lies on it (Linux keeps no current folder per volume).
    connect(m_driveList, &DriveList::driveChanged, this, [this, &state, &dialogs] {
        const QString drive = m_driveList->drive();
        // Measured against every volume: the root "/" holds every path as a
        // prefix, yet a folder on another volume does not lie on it.
        if (!drive.isEmpty() && m_driveList->volumeOf(state.currentFolder()) != drive)
            reportFailure(dialogs, [&] { state.enterFolder(drive); });
        showFolder();
    });
    connect(m_driveList, &DriveList::gotFocus, m_driveList, &DriveList::reread);
    connect(m_folderList, &FolderList::folderChosen, this, [&state, &dialogs](const QString &path) {
        reportFailure(dialogs, [&] { state.enterFolder(path); });
    });
    connect(m_fileList, &FileList::fileClicked, &m_parts.viewer, &FileViewer::showFile);
    connect(m_makeManagementFolderButton, &QPushButton::clicked, &m_parts.folders,
            &StorageFolders::makeManagementFolderReported);
    connect(m_makeTodaysFolderButton, &QPushButton::clicked, &m_parts.folders,
            &StorageFolders::makeTodaysFolderReported);

    // The settings.
    connect(m_headerModeList, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_parts.headers.chooseMode(static_cast<HeaderMode>(index)); });
    connect(m_registeredNameList, &QComboBox::currentIndexChanged, &m_parts.headers,
            &HeaderChoice::chooseRegisteredName);
    connect(m_addNameButton, &QPushButton::clicked, this, [this] {
        if (m_parts.headers.addName(m_newNameEdit->text()))
            m_newNameEdit->clear();
    });
    connect(m_removeNameButton, &QPushButton::clicked, &m_parts.headers,
            &HeaderChoice::removeChosenName);
    connect(m_pictureTypeList, &QComboBox::currentIndexChanged, this,
            changeSetting([](Settings &s, int i) { s.pictureType = static_cast<PictureType>(i); }));
    connect(m_keepDaysList, &QComboBox::currentIndexChanged, this,
            changeSetting([](Settings &s, int i) { s.keepDays = static_cast<KeepDays>(i); }));
    connect(m_saveTextBox, &QCheckBox::stateChanged, this, changeSetting([](Settings &s, int v) {
                s.saveText = tickOf(static_cast<Qt::CheckState>(v));
            }));
    connect(m_printAtOnceBox, &QCheckBox::stateChanged, this, changeSetting([](Settings &s, int v) {
                s.printAtOnce = tickOf(static_cast<Qt::CheckState>(v));
            }));
    connect(m_buttonWindowBox, &QCheckBox::stateChanged, this,
            changeSetting([](Settings &s, int v) {
                s.showButtonWindow = tickOf(static_cast<Qt::CheckState>(v));
            }));
    connect(m_buttonTopEdit, &QLineEdit::textEdited, this,
            changeSetting([](Settings &s, const QString &t) { s.buttonWindowTop = t; }));
    connect(m_buttonLeftEdit, &QLineEdit::textEdited, this,
            changeSetting([](Settings &s, const QString &t) { s.buttonWindowLeft = t; }));

    // Printers.
    connect(m_printerList, &QListWidget::currentRowChanged, &m_parts.printing,
            &Printing::choosePrinter);
    connect(m_printerList, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        m_parts.printing.choosePrinter(m_printerList->row(item));
    });
    connect(m_printerEdit, &QLineEdit::textEdited, this,
            changeSetting([](Settings &s, const QString &t) { s.printer = t; }));
    connect(m_printTextButton, &QPushButton::clicked, &m_parts.printing, &Printing::printShownText);
    connect(m_printPictureButton, &QPushButton::clicked, &m_parts.printing,
            &Printing::printShownPicture);

    // The preview. The editor keeps paragraphs, not line ends: the user's
    // edits come back with CR LF.
    connect(m_textView, &QPlainTextEdit::textChanged, this, [this, &state] {
        state.editShownText(
            m_textView->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    });
    connect(m_saveTextButton, &QPushButton::clicked, &m_parts.recorder,
            &CaptureRecorder::saveShownTextAsked);
    connect(m_resetButton, &QPushButton::clicked, &m_parts.viewer, &FileViewer::reset);

    // The tray icon's menus are this window's.
    connect(&m_parts.trayIcon, &TrayIcon::notified, this, [this] {
        if (isVisible()) {
            raise();
            activateWindow();
        }
    });
    connect(&m_parts.trayIcon, &TrayIcon::leftReleased, this,
            [this] { m_displayMenu->popup(QCursor::pos()); });
    connect(&m_parts.trayIcon, &TrayIcon::rightReleased, this,
            [this] { m_fileMenu->popup(QCursor::pos()); });
    connect(&m_parts.lifecycle, &Lifecycle::settingsWindowWanted, this, &QWidget::show);
    connect(&m_parts.lifecycle, &Lifecycle::ended, this, &QWidget::hide);
}

void SettingsWindow::connectState()
{
    State &state = m_parts.state;
    connect(&state, &State::settingsChanged, this, &SettingsWindow::showSettings);
    connect(&state, &State::currentFolderChanged, this, &SettingsWindow::showFolder);
    connect(&state, &State::filesChanged, this, [this] {
        m_folderList->reread();
        m_fileList->refresh();
    });
    connect(&state, &State::shownTextChanged, this, &SettingsWindow::showText);
    connect(&state, &State::shownPictureChanged, this, &SettingsWindow::showPicture);
    connect(&state, &State::captureProblemTold, this, &SettingsWindow::showCaptureProblem);
    connect(&state, &State::monitoringChanged, this,
            [this, &state] { m_startButton->setEnabled(!state.isMonitoring()); });
    connect(&m_parts.printing, &Printing::printersChanged, this, &SettingsWindow::showPrinters);
}

void SettingsWindow::showSettings()
{
    const Settings &s = m_parts.state.settings();
    const QSignalBlocker blockNames(m_registeredNameList);
    if (m_registeredNameList->count() != s.registeredNames.size() || [&] {
            for (int i = 0; i < m_registeredNameList->count(); ++i)
                if (m_registeredNameList->itemText(i) != s.registeredNames.at(i))
                    return true;
            return false;
        }()) {
        m_registeredNameList->clear();
        m_registeredNameList->addItems(s.registeredNames);
    }
    m_registeredNameList->setCurrentIndex(s.registeredIndex);
    const auto choose = [](QComboBox *list, int index) {
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(index);
    };
    choose(m_headerModeList, static_cast<int>(s.headerMode));
    choose(m_pictureTypeList, static_cast<int>(s.pictureType));
    choose(m_keepDaysList, static_cast<int>(s.keepDays));
    const auto tick = [](QCheckBox *box, Tick value) {
        const QSignalBlocker blocker(box);
        // The greyed state comes only from a settings file: a click turns a
        // box on or off.
        box->setTristate(value == Tick::Greyed);
        box->setCheckState(checkStateOf(value));
    };
    tick(m_saveTextBox, s.saveText);
    tick(m_printAtOnceBox, s.printAtOnce);
    tick(m_buttonWindowBox, s.showButtonWindow);
    setTextIfChanged(m_printerEdit, s.printer);
    setTextIfChanged(m_buttonTopEdit, s.buttonWindowTop);
    setTextIfChanged(m_buttonLeftEdit, s.buttonWindowLeft);
}

void SettingsWindow::showFolder()
{
    const QString folder = m_parts.state.currentFolder();
    m_folderList->setPath(folder);
    m_fileList->setPath(folder);
    m_driveList->showDriveOf(folder);
}

void SettingsWindow::showText()
{
    const State &state = m_parts.state;
    m_textPathLabel->setText(state.shownTextPath());
    const QSignalBlocker blocker(m_textView);
    QString shown = state.shownText();
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_textView->setPlainText(shown);
}

void SettingsWindow::showPicture()
{
    const State &state = m_parts.state;
    m_picturePathLabel->setText(state.shownPicturePath());
    const QImage &picture = state.shownPicture();
    if (picture.isNull()) {
        m_pictureView->clear();
        m_pictureView->resize(0, 0);
        return;
    }
    m_pictureView->setPixmap(QPixmap::fromImage(picture));
    m_pictureView->resize(picture.size());
}

void SettingsWindow::showPrinters()
{
    const QSignalBlocker blocker(m_printerList);
    const Printing &printing = m_parts.printing;
    m_printerList->clear();
    m_printerList->addItems(printing.printerNames());
    m_printerList->setCurrentRow(printing.chosenRow(), printing.chosenRow() < 0
                                                           ? QItemSelectionModel::Clear
                                                           : QItemSelectionModel::ClearAndSelect);
}

void SettingsWindow::showInFront()
{
    show();
    raise();
    activateWindow();
}

void SettingsWindow::showAbout()
{
    // The box deletes itself when closed; one at a time.
    if (!m_about)
        m_about = new AboutBox(m_parts.systemInformation, m_parts.dialogs, this);
    m_about->show();
    m_about->setWindowState(m_about->windowState() & ~Qt::WindowMinimized);
    m_about->raise();
    m_about->activateWindow();
}

void SettingsWindow::showCaptureProblem()
{
    // A box that waits for no answer: captures go on while it is open, and
    // the next problem replaces its text.
    if (!m_problemBox) {
        m_problemBox = new QMessageBox(QMessageBox::Warning, applicationTitle(), QString(),
                                       QMessageBox::Ok, this);
        m_problemBox->setObjectName(QStringLiteral("captureProblemBox"));
        m_problemBox->setAttribute(Qt::WA_DeleteOnClose);
        m_problemBox->setWindowModality(Qt::NonModal);
    }
    m_problemBox->setText(m_parts.state.captureProblem());
    m_problemBox->show();
    m_problemBox->raise();
}

void SettingsWindow::closeEvent(QCloseEvent *event)
{
    // The close box only hides the window; the program goes on in the tray.
    // Without a tray nothing would be left to reach it: closing asks to quit.
    if (!m_parts.lifecycle.hasEnded()) {
        event->ignore();
        if (m_parts.trayIcon.isAvailable())
            hide();
        else
            m_parts.lifecycle.quit();
        return;
    }
    event->accept();
}

} // namespace snagwell
