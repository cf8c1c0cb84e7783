#include "form1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

#include "app/failure.h"
#include "app/form1layout.h"
#include "app/settingsfile.h"
#include "about/frmabout.h"
#include "browse/browserlists.h"
#include "browse/printing.h"
#include "browse/preview.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/instancelock.h"
#include "platform/systemnames.h"
#include "platform/trayicon.h"
#include "naming/naming.h"
#include "storage/dayfolders.h"
#include "storage/deletion.h"
#include "storage/folderbuttons.h"
#include "tray/traytip.h"

namespace snagwell {
namespace {

const QStringList &fileTypeEntries()
{
    static const QStringList entries = {QStringLiteral("BMP"), QStringLiteral("JPEG"),
                                        QStringLiteral("JPG"), QStringLiteral("PNG")};
    return entries;
}

QLabel *captionLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel *pathLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

qint16 numberOrThrow(const QString &line)
{
    const std::optional<qint16> value = parseNumberLine(line);
    if (!value)
        throw Failure(QStringLiteral("数値ではありません: %1").arg(line));
    return *value;
}

// Places of the controls that stay where they are, in twips. The preview
// column starts at previewLeft; its widths and the picture's height follow
// the window.
constexpr int margin = 120;
constexpr int leftWidth = 2760;
constexpr int previewLeft = 3000;
constexpr int captionWidth = 975;
constexpr int labelRowHeight = 270;
constexpr int textTop = 345;
constexpr int textHeight = 960;
constexpr int imageRowTop = 1365;
constexpr int pictureTop = 1650;

} // namespace

Form1::Form1(const Form1Ports &ports, QString executableName, QString startupFolder,
             QWidget *parent)
    : QMainWindow(parent), m_dialogs(ports.dialogs), m_instanceLock(ports.instanceLock),
      m_systemNames(ports.systemNames), m_clock(ports.clock), m_trayIcon(ports.trayIcon),
      m_printers(ports.printers), m_clipboard(ports.clipboard), m_converters(ports.converters),
      m_screenGrabber(ports.screenGrabber), m_registry(ports.registry),
      m_programLauncher(ports.programLauncher),
      m_executableName(std::move(executableName)), m_startupFolder(std::move(startupFolder))
{
    setWindowTitle(QStringLiteral("Snagwell 設定"));
    setObjectName(QStringLiteral("Form1"));
    buildControls();
    buildMenus();
    connectControls();
    resize(twipsToPixels(form1MinWidth, dpiX()), twipsToPixels(form1MinHeight, dpiY()));
    Form_Resize();
}

Form1::~Form1() = default;

int Form1::dpiX() const
{
    return logicalDpiX() > 0 ? logicalDpiX() : 96;
}

int Form1::dpiY() const
{
    return logicalDpiY() > 0 ? logicalDpiY() : 96;
}

void Form1::buildControls()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);
    const auto px = [this](int twips) { return twipsToPixels(twips, dpiX()); };
    const auto py = [this](int twips) { return twipsToPixels(twips, dpiY()); };

    // Monitoring buttons above the left column.
    Command1 = new QPushButton(QStringLiteral("クリップボード監視"), central);
    Command2 = new QPushButton(QStringLiteral("解除"), central);
    Command1->setGeometry(px(margin), py(60), px(1695), py(375));
    Command2->setGeometry(px(margin + 1755), py(60), px(leftWidth - 1755), py(375));

    m_tabs = new QTabWidget(central);
    m_tabs->setGeometry(px(margin), py(495), px(leftWidth), py(5985));

    // Page 1: where captures go.
    auto *browsePage = new QWidget;
    auto *browseLayout = new QVBoxLayout(browsePage);
    browseLayout->setContentsMargins(4, 4, 4, 4);
    browseLayout->setSpacing(3);
    Label1 = captionLabel(QStringLiteral("保存先"), browsePage);
    Drive1 = new DriveList(browsePage);
    Dir1 = new FolderList(browsePage);
    File1 = new FileList(fileListPattern(), browsePage);
    btnMakeSWDataFolder = new QPushButton(QStringLiteral("管理ﾌｫﾙﾀﾞ作成"), browsePage);
    btnMakeTodayFolder = new QPushButton(QStringLiteral("日付ﾌｫﾙﾀﾞ作成"), browsePage);
    browseLayout->addWidget(Label1);
    browseLayout->addWidget(Drive1);
    browseLayout->addWidget(Dir1, 1);
    browseLayout->addWidget(File1, 1);
    auto *folderButtons = new QHBoxLayout;
    folderButtons->addWidget(btnMakeSWDataFolder);
    folderButtons->addWidget(btnMakeTodayFolder);
    browseLayout->addLayout(folderButtons);
    m_tabs->addTab(browsePage, QStringLiteral("保存先"));

    // Page 2: how captures are named and kept.
    auto *settingsPage = new QWidget;
    auto *grid = new QGridLayout(settingsPage);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setVerticalSpacing(3);
    int row = 0;
    Label5 = captionLabel(QStringLiteral("ﾌｧｲﾙ名"), settingsPage);
    cbxFileHeader = new QComboBox(settingsPage);
    grid->addWidget(Label5, row, 0);
    grid->addWidget(cbxFileHeader, row++, 1, 1, 2);
    Label8 = captionLabel(QStringLiteral("登録名"), settingsPage);
    cbxRegName = new QComboBox(settingsPage);
    btnRegDel = new QPushButton(QStringLiteral("削除"), settingsPage);
    grid->addWidget(Label8, row++, 0, 1, 3);
    grid->addWidget(cbxRegName, row, 0, 1, 2);
    grid->addWidget(btnRegDel, row++, 2);
    Label7 = captionLabel(QStringLiteral("登   録"), settingsPage);
    tbxFileHeader = new QLineEdit(settingsPage);
    btnRegAdd = new QPushButton(QStringLiteral("追加"), settingsPage);
    grid->addWidget(Label7, row++, 0, 1, 3);
    grid->addWidget(tbxFileHeader, row, 0, 1, 2);
    grid->addWidget(btnRegAdd, row++, 2);
    Label6 = captionLabel(QStringLiteral("イメージ保存形式"), settingsPage);
    cbxFileType = new QComboBox(settingsPage);
    grid->addWidget(Label6, row++, 0, 1, 3);
    grid->addWidget(cbxFileType, row++, 0, 1, 3);
    Label9 = captionLabel(QStringLiteral("保存ﾃﾞｰﾀ自動削除"), settingsPage);
    cbxDeleteFolder = new QComboBox(settingsPage);
    grid->addWidget(Label9, row++, 0, 1, 3);
    grid->addWidget(cbxDeleteFolder, row++, 0, 1, 3);
    SaveTextCK = new QCheckBox(QStringLiteral("ﾃｷｽﾄ自動保存"), settingsPage);
    PrintCK = new QCheckBox(QStringLiteral("同時印刷"), settingsPage);
    PrintScreenCK = new QCheckBox(QStringLiteral("画面保存ボタン表示"), settingsPage);
    for (QCheckBox *box : {SaveTextCK, PrintCK, PrintScreenCK})
        box->setTristate(true); // the greyed state 2 is a value of its own
    grid->addWidget(SaveTextCK, row++, 0, 1, 3);
    grid->addWidget(PrintCK, row++, 0, 1, 3);
    grid->addWidget(PrintScreenCK, row++, 0, 1, 3);
    tbxTop = new QLineEdit(settingsPage);
    tbxLeft = new QLineEdit(settingsPage);
    // The screen-capture button window's place, in twips.
    tbxTop->setPlaceholderText(QStringLiteral("上"));
    tbxLeft->setPlaceholderText(QStringLiteral("左"));
    auto *position = new QHBoxLayout;
    position->addWidget(tbxTop);
    position->addWidget(tbxLeft);
    grid->addLayout(position, row++, 0, 1, 3);
    lblAppDir = pathLabel(settingsPage);
    lblAppDir->setWordWrap(true);
    grid->addWidget(lblAppDir, row++, 0, 1, 3);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    m_tabs->addTab(settingsPage, QStringLiteral("設定"));

    // Page 3: printers.
    auto *printPage = new QWidget;
    auto *printLayout = new QVBoxLayout(printPage);
    printLayout->setContentsMargins(4, 4, 4, 4);
    Label3 = captionLabel(QStringLiteral("プリンタ一覧"), printPage);
    lstPrinters = new QListWidget(printPage);
    lstPrinters->setSelectionMode(QAbstractItemView::SingleSelection);
    tbxPrinter = new QLineEdit(printPage);
    btnPrnTXT = new QPushButton(QStringLiteral("テキスト印刷"), printPage);
    btnPrnIMG = new QPushButton(QStringLiteral("イメージ印刷"), printPage);
    printLayout->addWidget(Label3);
    printLayout->addWidget(lstPrinters, 1);
    printLayout->addWidget(tbxPrinter);
    printLayout->addWidget(btnPrnTXT);
    printLayout->addWidget(btnPrnIMG);
    m_tabs->addTab(printPage, QStringLiteral("印刷"));

    // Buttons for the preview, under the left column.
    btnSaveText = new QPushButton(QStringLiteral("テキスト保存"), central);
    btnReset = new QPushButton(QStringLiteral("表示リセット"), central);
    btnSaveText->setGeometry(px(margin), py(6540), px(1335), py(375));
    btnReset->setGeometry(px(margin + 1425), py(6540), px(leftWidth - 1425), py(375));

    // The preview column.
    Label2 = captionLabel(QStringLiteral("テキスト"), central);
    LabelTXT = pathLabel(central);
    Text1 = new QPlainTextEdit(central);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Label4 = captionLabel(QStringLiteral("イメージ"), central);
    LabelIMG = pathLabel(central);
    Picture1 = new QScrollArea(central);
    m_pictureView = new QLabel;
    m_pictureView->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setWidget(m_pictureView);
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setBackgroundRole(QPalette::Dark);

    Label2->setGeometry(px(previewLeft), py(60), px(captionWidth), py(labelRowHeight));
    LabelTXT->setGeometry(px(previewLeft + captionWidth), py(60), px(6300), py(labelRowHeight));
    Text1->setGeometry(px(previewLeft), py(textTop), px(7275), py(textHeight));
    Label4->setGeometry(px(previewLeft), py(imageRowTop), px(captionWidth), py(labelRowHeight));
    LabelIMG->setGeometry(px(previewLeft + captionWidth), py(imageRowTop), px(6300),
                          py(labelRowHeight));
    Picture1->setGeometry(px(previewLeft), py(pictureTop), px(7275), py(5325));

    cbxFileHeader->setObjectName(QStringLiteral("cbxFileHeader"));
    cbxRegName->setObjectName(QStringLiteral("cbxRegName"));
    Text1->setObjectName(QStringLiteral("Text1"));
}

void Form1::buildMenus()
{
    mnuFileItems = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    mnuQuit = mnuFileItems->addAction(QStringLiteral("終了"));
    mnuHyoji = menuBar()->addMenu(QStringLiteral("表示(&S)"));
    mnuShow = mnuHyoji->addAction(QStringLiteral("設定画面"));
    mnuPrintScreen = mnuHyoji->addAction(QStringLiteral("画面保存ボタン"));
    // Names for the pop-up windows, as window lists show them.
    mnuFileItems->setWindowTitle(QStringLiteral("ファイル"));
    mnuHyoji->setWindowTitle(QStringLiteral("表示"));
    mnuHelp = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    mnuVersion = mnuHelp->addAction(QStringLiteral("バージョン情報(&A)"));
}

void Form1::connectControls()
{
    // Menu handlers have no error handling of their own; what escapes them
    // is shown rather than lost in the event loop.
    connect(mnuQuit, &QAction::triggered, this, [this] { reportFailures([this] { mnuQuit_Click(); }); });
    connect(mnuShow, &QAction::triggered, this, [this] { reportFailures([this] { mnuShow_Click(); }); });
    connect(mnuPrintScreen, &QAction::triggered, this,
            [this] { reportFailures([this] { mnuPrintScreen_Click(); }); });
    connect(mnuVersion, &QAction::triggered, this,
            [this] { reportFailures([this] { mnuVersion_Click(); }); });

    connect(cbxFileHeader, &QComboBox::currentIndexChanged, this, [this] { cbxFileHeader_Click(); });
    connect(cbxRegName, &QComboBox::currentIndexChanged, this, [this] { cbxRegName_Click(); });

    connect(Drive1, &DriveList::driveChanged, this, [this] { Drive1_Change(); });
    connect(Drive1, &DriveList::gotFocus, this, [this] { Drive1_GotFocus(); });
    connect(Dir1, &FolderList::pathChanged, this, [this] { Dir1_Change(); });
    connect(Dir1, &FolderList::failed, this,
            [this](const QString &description) { m_dialogs.notice(description); });
    connect(File1, &FileList::fileClicked, this,
            [this](const QString &name) { File1_Click(name); });
    connect(Text1, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_settingText1)
            m_text1 = Text1->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    });
    connect(btnReset, &QPushButton::clicked, this, [this] { btnReset_Click(); });
    connect(btnSaveText, &QPushButton::clicked, this, [this] { btnSaveText_Click(); });
    connect(btnPrnIMG, &QPushButton::clicked, this, [this] { btnPrnIMG_Click(); });
    connect(btnPrnTXT, &QPushButton::clicked, this, [this] { btnPrnTXT_Click(); });
    connect(btnRegAdd, &QPushButton::clicked, this, [this] { btnRegAdd_Click(); });
    connect(btnRegDel, &QPushButton::clicked, this, [this] { btnRegDel_Click(); });
    connectPrinterList(*lstPrinters, *tbxPrinter);
    connect(btnMakeSWDataFolder, &QPushButton::clicked, this, [this] { btnMakeSWDataFolder_Click(); });
    connect(btnMakeTodayFolder, &QPushButton::clicked, this, [this] { btnMakeTodayFolder_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    connect(&m_trayIcon, &TrayIcon::notified, this, [this] { bringToForeground(); });
    connect(&m_trayIcon, &TrayIcon::leftReleased, this,
            [this] { mnuHyoji->popup(QCursor::pos()); });
    connect(&m_trayIcon, &TrayIcon::rightReleased, this,
            [this] { mnuFileItems->popup(QCursor::pos()); });
}

// ---- start-up and shutdown ----

bool Form1::runStep(const QString &name, const std::function<void()> &step)
{
    try {
        step();
        m_startupTrace.append(name);
        return true;
    } catch (const std::exception &error) {
        m_startupTrace.append(name + QStringLiteral(" failed: ") + describe(error));
        return false;
    }
}

void Form1::reportFailures(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        m_dialogs.notice(describe(error));
    }
}

void Form1::Form_Load()
{
    m_startupTrace.clear();
    // 1.
    m_isSecondInstance = false;
    // 2. Another instance already runs: say so and end, touching nothing.
    if (!m_instanceLock.tryLock()) {
        m_dialogs.notice(m_executableName + QStringLiteral("は起動しています"));
        m_isSecondInstance = true;
        m_startupTrace.append(QStringLiteral("2 second instance"));
        Unload();
        return;
    }
    // 3. The window stays hidden; the tray menu shows it.
    runStep(QStringLiteral("3"), [this] { hide(); });
    // 4.
    // The browser opens where the program was started, as a folder list does.
    runStep(QStringLiteral("4"), [this] {
        lblAppDir->setText(m_startupFolder);
        Dir1->setPath(m_startupFolder);
    });
    // 5. The choice lists, each with its start-up choice.
    runStep(QStringLiteral("5"), [this] {
        addEntries(cbxFileHeader, headerModeTexts());
        chooseEntry(cbxFileHeader, QStringLiteral("ﾕｰｻﾞｰ名"));
        addEntries(cbxDeleteFolder, deleteFolderTexts());
        chooseEntry(cbxDeleteFolder, QStringLiteral(" 7日前"));
        addEntries(cbxFileType, fileTypeEntries());
        chooseEntry(cbxFileType, QStringLiteral("JPG"));
    });
    // 6 and 7: a later run reads its settings, a first run makes them.
    bool hasSettings = false;
    runStep(QStringLiteral("6"), [&] { hasSettings = HasSettingsFile(lblAppDir->text()); });
    if (hasSettings) {
        runStep(QStringLiteral("6.1"), [this] { LoadSettings(); });
        runStep(QStringLiteral("6.2"), [this] { EnterTodaysFolderAtStartUp(); });
    } else {
        runStep(QStringLiteral("7.1"), [this] { SetUpStorageFolders(lblAppDir->text()); });
        runStep(QStringLiteral("7.2"), [this] { SaveSettings(); });
        runStep(QStringLiteral("7.3"),
                [this] { m_dialogs.notice(QStringLiteral("設定を初期化しました。")); });
    }
    runStep(QStringLiteral("8"), [this] { AddTrayIcon(); });
    runStep(QStringLiteral("9"), [this] { FillPrinterList(); });
    runStep(QStringLiteral("10"), [this] { Command1_Click(); });
    // 11. The button window may have been loaded hidden while the settings
    // were applied, reading a position not yet restored; its unload writes
    // that position, so the restored texts are kept across it.
    runStep(QStringLiteral("11"), [this] {
        const QString top = tbxTop->text();
        const QString left = tbxLeft->text();
        if (isPrintScreenLoaded())
            unloadPrintScreen();
        tbxTop->setText(top);
        tbxLeft->setText(left);
    });
    runStep(QStringLiteral("12"), [this] {
        if (checkValue(PrintScreenCK) != 0)
            mnuPrintScreen_Click();
    });
    // Without a notification area the window is the only way in.
    if (!m_trayIcon.isAvailable())
        show();
}

void Form1::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Form_Unload();
    hide();
    Q_EMIT unloaded();
}

void Form1::Form_Unload()
{
    if (m_isSecondInstance)
        return;
    // Every step runs whatever became of the one before: above all the tray
    // icon must go.
    try {
        Command2_Click();
    } catch (const std::exception &) {
    }
    try {
        if (isPrintScreenLoaded())
            unloadPrintScreen();
    } catch (const std::exception &) {
    }
    try {
        SaveSettings();
    } catch (const std::exception &error) {
        m_dialogs.notice(describe(error));
    }
    RemoveTrayIcon();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // The close box only hides the window; the program goes on in the tray.
    if (!m_unloaded && event->spontaneous()) {
        hide();
        event->ignore();
        return;
    }
    event->accept();
}

void Form1::mnuQuit_Click()
{
    if (m_dialogs.askOkCancel(QStringLiteral("Snagwellを終了します。"), QStringLiteral("終了")))
        Unload();
}

void Form1::mnuShow_Click()
{
    show();
    raise();
    activateWindow();
}

void Form1::mnuVersion_Click()
{
    // The dialog deletes itself when closed; one at a time.
    if (!m_about)
        m_about = new frmAbout(m_registry, m_programLauncher, m_dialogs, this);
    m_about->show();
    m_about->setWindowState(m_about->windowState() & ~Qt::WindowMinimized);
    m_about->raise();
    m_about->activateWindow();
}

QWidget *Form1::aboutWindow() const
{
    return m_about;
}

void Form1::bringToForeground()
{
    if (isVisible()) {
        raise();
        activateWindow();
    }
}

// ---- resizing ----

void Form1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Form1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void Form1::Form_Resize()
{
    const QSize outer = frameGeometry().size();
    const QSize frame = outer - size();
    const Form1Resize r = Form_ResizeRule(isMinimized(), pixelsToTwips(outer.width(), dpiX()),
                                          pixelsToTwips(outer.height(), dpiY()));
    switch (r.action) {
    case Form1Resize::Action::None:
        return;
    case Form1Resize::Action::SetWidth:
        resize(twipsToPixels(r.value, dpiX()) - frame.width(), height());
        return;
    case Form1Resize::Action::SetHeight:
        resize(width(), twipsToPixels(r.value, dpiY()) - frame.height());
        return;
    case Form1Resize::Action::Stretch:
        LabelTXT->resize(twipsToPixels(r.labelTxtWidth, dpiX()), LabelTXT->height());
        Text1->resize(twipsToPixels(r.text1Width, dpiX()), Text1->height());
        LabelIMG->resize(twipsToPixels(r.labelImgWidth, dpiX()), LabelIMG->height());
        Picture1->resize(twipsToPixels(r.picture1Width, dpiX()),
                         twipsToPixels(r.picture1Height, dpiY()));
        return;
    }
}

// ---- settings file ----

int Form1::checkValue(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

void Form1::setCheckValue(QCheckBox *box, int value)
{
    switch (value) {
    case 0:
        box->setCheckState(Qt::Unchecked);
        return;
    case 1:
        box->setCheckState(Qt::Checked);
        return;
    case 2:
        box->setCheckState(Qt::PartiallyChecked);
        return;
    default:
        throw Failure(QStringLiteral("チェックボックスの値が正しくありません: %1").arg(value));
    }
}

void Form1::addEntries(QComboBox *list, const QStringList &entries)
{
    // Adding entries chooses none: a list without a choice stays so.
    const int index = list->currentIndex();
    const QSignalBlocker blocker(list);
    list->addItems(entries);
    list->setCurrentIndex(index);
}

void Form1::chooseEntry(QComboBox *list, const QString &text)
{
    const int index = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        throw Failure(QStringLiteral("リストにない値です: %1").arg(text));
    selectIndex(list, index);
}

void Form1::selectIndex(QComboBox *list, int index)
{
    if (index < -1 || index >= list->count())
        throw Failure(QStringLiteral("リストの範囲外です: %1").arg(index));
    // Choosing an entry always runs the list's click handling, even when the
    // entry was already chosen.
    if (list->currentIndex() == index) {
        if (list == cbxFileHeader)
            cbxFileHeader_Click();
        else if (list == cbxRegName)
            cbxRegName_Click();
        return;
    }
    list->setCurrentIndex(index);
}

void Form1::LoadSettings()
{
    // 1 and 2. A file that cannot be read ends the reading; every line is
    // then missing.
    QStringList line;
    try {
        line = readSettingsLines(settingsFilePath(lblAppDir->text()));
    } catch (const Failure &failure) {
        m_dialogs.notice(failure.description());
        line = QStringList(settingsLineCount, QString());
    }
    auto step = [this](const std::function<void()> &body) {
        try {
            body();
        } catch (const std::exception &) {
        }
    };
    // 3.
    step([&] {
        if (!IsExistingFolder(line[0]))
            m_dialogs.notice(QStringLiteral("保存先") + line[0] +
                             QStringLiteral("が見つかりません。保存先はリセットされます。"));
    });
    // 4. A folder that does not exist is refused; the browser stays.
    step([&] { Dir1->setPath(line[0]); });
    // 5. The drive list follows the saved folder's volume.
    step([&] {
        if (line[0].isEmpty())
            throw Failure(QStringLiteral("ドライブがありません"));
        Drive1->setDrive(line[0]);
    });
    step([&] { setCheckValue(SaveTextCK, numberOrThrow(line[1])); });    // 6
    step([&] { setCheckValue(PrintCK, numberOrThrow(line[2])); });       // 7
    step([&] { chooseEntry(cbxFileHeader, line[3]); });                  // 8
    const QString names = line[4];                                       // 9
    std::optional<qint16> index;                                         // 10
    step([&] { index = numberOrThrow(line[5]); });
    step([&] { chooseEntry(cbxFileType, line[6]); });                    // 11
    step([&] { chooseEntry(cbxDeleteFolder, line[7]); });                // 12
    step([&] { tbxPrinter->setText(line[8]); });                         // 13
    step([&] { setCheckValue(PrintScreenCK, numberOrThrow(line[9])); }); // 14
    step([&] { tbxTop->setText(line[10]); });                            // 15
    step([&] { tbxLeft->setText(line[11]); });                           // 16
    // 17: the file is closed already. 18: the names, appended.
    step([&] { addEntries(cbxRegName, SplitRegisteredNames(names)); });
    // 19.
    step([&] {
        if (!index)
            throw Failure(QStringLiteral("登録名の番号がありません"));
        selectIndex(cbxRegName, *index);
    });
}

void Form1::SaveSettings()
{
    Settings s;
    s.dir1Path = Dir1->path();
    s.saveTextCK = static_cast<qint16>(checkValue(SaveTextCK));
    s.printCK = static_cast<qint16>(checkValue(PrintCK));
    s.fileHeader = cbxFileHeader->currentText();
    for (int i = 0; i < cbxRegName->count(); ++i)
        s.regNames.append(cbxRegName->itemText(i));
    s.regNameIndex = static_cast<qint16>(cbxRegName->currentIndex());
    s.fileType = cbxFileType->currentText();
    s.deleteFolder = cbxDeleteFolder->currentText();
    s.printer = tbxPrinter->text();
    s.printScreenCK = static_cast<qint16>(checkValue(PrintScreenCK));
    s.top = tbxTop->text();
    s.left = tbxLeft->text();
    writeFileAtomically(settingsFilePath(lblAppDir->text()),
                        composeSettingsFile(settingsLines(s)));
}

// ---- tray icon ----

QString Form1::trayTip() const
{
    return TrayTipField(
        TrayTipText(cbxFileHeader->currentText(), cbxRegName->currentText(), m_executableName));
}

void Form1::AddTrayIcon()
{
    m_trayIcon.add(trayTip());
}

void Form1::RemoveTrayIcon()
{
    m_trayIcon.remove();
}

// ---- storage folders ----

void Form1::SetUpStorageFolders(const QString &folder)
{
    ::snagwell::SetUpStorageFolders(folder, *this, m_dialogs, m_clock);
}

void Form1::EnterTodaysFolderAtStartUp()
{
    ::snagwell::EnterTodaysFolderAtStartUp(*this, m_clock, [this] { SaveSettings(); });
}

void Form1::btnMakeSWDataFolder_Click()
{
    reportFailures([this] { ::snagwell::btnMakeSWDataFolder_Click(*this, m_dialogs, m_clock); });
}

void Form1::btnMakeTodayFolder_Click()
{
    reportFailures([this] { ::snagwell::btnMakeTodayFolder_Click(*this, m_dialogs, m_clock); });
}

QString Form1::currentFileHeader() const
{
    return FileNameHeader(cbxFileHeader->currentText(), cbxRegName->currentText(), m_systemNames);
}

QString Form1::NextCapturePath() const
{
    return ::snagwell::NextCapturePath(CurrentFolderPath(File1->path()), currentFileHeader());
}

QString Form1::NextTextFilePath() const
{
    return ::snagwell::NextTextFilePath(CurrentFolderPath(File1->path()), currentFileHeader());
}

// ---- printing ----

void Form1::FillPrinterList()
{
    ::snagwell::FillPrinterList(*lstPrinters, *tbxPrinter, m_printers);
}

void Form1::btnPrnIMG_Click()
{
    ::snagwell::btnPrnIMG_Click(LabelIMG->text(), m_picture, dpiX(), listText(*lstPrinters),
                                m_printers, m_dialogs);
}

void Form1::btnPrnTXT_Click()
{
    ::snagwell::btnPrnTXT_Click(m_text1, listText(*lstPrinters), m_printers, m_dialogs);
}

void Form1::printText(const QString &text)
{
    printTextJob(m_printers, listText(*lstPrinters), text);
}

void Form1::printPicture(const QImage &picture)
{
    printPictureJob(m_printers, listText(*lstPrinters), picture, dpiX());
}

// ---- saved-data browser ----

QString Form1::folderPath() const
{
    return Dir1->path();
}

QString Form1::fileListPath() const
{
    return File1->path();
}

void Form1::setFolderPath(const QString &path)
{
    Dir1->setPath(path);
}

void Form1::rereadFolders()
{
    Dir1->reread();
}

void Form1::Drive1_Change()
{
    const QString drive = Drive1->drive();
    try {
        // Linux keeps no current folder per volume: the browser goes to the
        // volume's root, unless it already stands on that volume.
        if (DriveList::volumeOf(Dir1->path(), {drive}) != drive || Dir1->path().isEmpty())
            Dir1->setPath(drive);
    } catch (const Failure &failure) {
        m_dialogs.notice(failure.description());
    }
    Drive1->showDriveOf(Dir1->path());
}

void Form1::Drive1_GotFocus()
{
    Drive1->reread();
}

void Form1::Dir1_Change()
{
    try {
        File1->setPath(Dir1->path());
    } catch (const Failure &failure) {
        m_dialogs.notice(failure.description());
    }
    Drive1->showDriveOf(Dir1->path());
}

void Form1::setPicture(const QImage &picture)
{
    m_picture = picture;
    if (picture.isNull()) {
        m_pictureView->clear();
        m_pictureView->resize(0, 0);
        return;
    }
    m_pictureView->setPixmap(QPixmap::fromImage(picture));
    m_pictureView->resize(picture.size());
}

void Form1::setText1(const QString &text)
{
    m_text1 = text;
    m_settingText1 = true;
    // The editor keeps paragraphs, not line ends: CR LF shows as one break.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Text1->setPlainText(shown);
    m_settingText1 = false;
}

void Form1::File1_Click(const QString &fileName)
{
    const QString path = joinFolderAndName(File1->path(), fileName);
    reportFailures([&] {
        switch (previewKindOf(fileName)) {
        case PreviewKind::Picture: {
            LabelIMG->setText(path);
            QImageReader reader(path);
            reader.setAutoTransform(false);
            const QImage image = reader.read();
            if (image.isNull())
                throw Failure(QStringLiteral("画像を読み込めません: %1 (%2)")
                                  .arg(path, reader.errorString()));
            setPicture(image);
            return;
        }
        case PreviewKind::Png:
            m_dialogs.notice(QStringLiteral("PNG形式のファイルは表示できません。"));
            return;
        case PreviewKind::Text: {
            LabelTXT->setText(path);
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                throw Failure(QStringLiteral("%1 を開けません: %2").arg(path, file.errorString()));
            const QByteArray bytes = file.readAll();
            if (file.error() != QFileDevice::NoError)
                throw Failure(QStringLiteral("%1 を読めません: %2").arg(path, file.errorString()));
            setText1(previewText(bytes));
            return;
        }
        case PreviewKind::None:
            return;
        }
    });
}

void Form1::btnReset_Click()
{
    if (!m_dialogs.askOkCancel(QStringLiteral("表示データをリセットしますか"),
                               QStringLiteral("リセット確認")))
        return;
    LabelTXT->clear();
    setText1(QString());
    LabelIMG->clear();
    setPicture(QImage());
}

} // namespace snagwell
