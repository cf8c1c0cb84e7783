// The windows, offscreen: they show the state and call the services.

#include <QtTest>
#include <QtWidgets>

#include "doubles/doubles.h"
#include "gui/buttonwindow.h"
#include "gui/settingswindow.h"
#include "platform/qtdialogs.h"

using namespace snagwell;
using namespace snagwell::testing;

struct Windows : Program
{
    Windows() { start(), dialogs.shown.clear(); }
    template <typename T> T *find(const char *name) const
    {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *child =
                    top->objectName() == name ? qobject_cast<T *>(top) : top->findChild<T *>(name))
                return child;
        return nullptr;
    }
    RecordingSystemInformation information;
    SettingsWindow settings{{state, recorder, headers, folders, printing, viewer, lifecycle,
                             dialogs, trayIcon, information}};
    ButtonWindowHost buttonWindow{{state, headers, recorder, dialogs}};
};

class GuiTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void settingsWindowFollowsTheState()
    {
        Windows w;
        w.trayIcon.tip.clear();
        w.state.changeSettings([](Settings &s) {
            s.registeredNames = {"a", "b"};
            s.registeredIndex = 1;
            s.headerMode = HeaderMode::Registered;
            s.buttonWindowTop = "12";
        });
        QCOMPARE(w.find<QComboBox>("cbxFileHeader")->currentIndex(), 3);
        QCOMPARE(w.find<QComboBox>("cbxRegName")->currentText(), "b");
        QCOMPARE(w.find<QLineEdit>("tbxTop")->text(), "12");
        // Shown under a signal blocker: nothing went back into the services.
        QVERIFY(w.trayIcon.tip.isEmpty());
        w.state.showText("x\r\ny", "/p/user001.txt");
        QCOMPARE(w.find<QPlainTextEdit>("Text1")->toPlainText() +
                     w.find<QLabel>("LabelTXT")->text(),
                 "x\ny/p/user001.txt");
        QCOMPARE(w.find<QListWidget>("lstPrinters")->currentItem()->text(), "Laser");
        // A capture's problem told in the window: one box that waits for no answer.
        for (const char *problem : {"first", "second"})
            w.state.tellCaptureProblem(problem);
        const auto boxes = w.settings.findChildren<QMessageBox *>("captureProblemBox");
        QVERIFY(boxes.size() == 1 && boxes.first()->isVisible() && !boxes.first()->isModal());
        QCOMPARE(boxes.first()->text(), "second");
    }

    void controlsCallTheServices()
    {
        Windows w;
        w.find<QComboBox>("cbxFileHeader")->setCurrentIndex(0);
        QCOMPARE(w.trayIcon.tip.trimmed(), "PC名(snagwell)");
        w.find<QLineEdit>("tbxFileHeader")->setText("会議");
        w.find<QPushButton>("btnRegAdd")->click();
        QVERIFY(w.state.settings().registeredNames == QStringList{"会議"} &&
                w.find<QLineEdit>("tbxFileHeader")->text().isEmpty());
        w.find<QListWidget>("lstPrinters")->setCurrentRow(0);
        QCOMPARE(w.state.settings().printer, "PDF");
        // With ﾃｷｽﾄ自動保存 clicked on, a text copied is saved and listed, a
        // picture by its conversion alone; a click on the text shows it.
        w.find<QCheckBox>("SaveTextCK")->click();
        w.clipboard.setText("hello");
        QImage picture(8, 6, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        w.clipboard.setImage(picture);
        QListWidget *files = w.find<QListWidget>("File1");
        QVERIFY(files->count() == 2 && files->item(1)->text() == "OFFICE-PC002.jpg");
        w.state.showText({}, {});
        Q_EMIT files->itemClicked(files->item(0));
        QCOMPARE(w.find<QPlainTextEdit>("Text1")->toPlainText(), "hello\n");
        // The close box hides the window; without a tray nothing else would
        // reach the program, so there it asks to quit.
        for (const bool tray : {true, false}) {
            w.trayIcon.available = tray;
            w.dialogs.answers = {false};
            w.settings.show();
            w.settings.close();
            QVERIFY(w.settings.isVisible() != tray && !w.lifecycle.hasEnded());
        }
        QCOMPARE(w.dialogs.shown.last(), "終了?Snagwellを終了します。");
    }

    void messageBoxes()
    {
        // The real boxes: Japanese buttons, and closeAll() ends one left open
        // unanswered (as a stop request does on the real program).
        QtDialogs dialogs;
        QStringList shown;
        const auto readAndClose = [&] {
            QTimer::singleShot(0, [&] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                    for (QAbstractButton *button : box->buttons())
                        shown << button->text();
                dialogs.closeAll();
            });
        };
        readAndClose();
        QVERIFY(!dialogs.askOkCancel("q", "t"));
        readAndClose();
        QVERIFY(!dialogs.askYesNo("q", "t"));
        QCOMPARE(shown, QStringList({"OK", "キャンセル", "はい", "いいえ"}));
    }

    void buttonWindowShowsTheHeader()
    {
        Windows w;
        w.headers.addName("a&b");
        w.state.setButtonWindowOpen(true);
        ButtonWindow *window = w.buttonWindow.window();
        QVERIFY(window && window->isVisible() && window->windowTitle() == "ﾕｰｻﾞｰ名");
        const QList<QAction *> entries = window->findChild<QMenu *>("mnuFileHeader")->actions();
        QCOMPARE(entries.size(), 5); // three modes, a separator, the name
        QVERIFY(entries.at(4)->text() == "a&&b" && entries.at(1)->isChecked());
        entries.at(4)->trigger();
        QCOMPARE(window->windowTitle(), w.headers.fileNameHeader());
        QVERIFY(entries.at(4)->isChecked() && !entries.at(1)->isChecked());
    }

    void windowsMakeRoomForALargeFont()
    {
        // Each control of the settings window gets what its caption needs
        // (paths, lists and boxes show what fits) and covers no other; the
        // preview takes what the window gains.
        const QFont font = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(font); });
        QApplication::setFont(QFont(font.family(), font.pointSize() * 2));
        Windows w;
        w.settings.show();
        const QRegularExpression named("^(?!qt_)."); // not Qt's own parts
        const auto shown = [](QWidget *x) { return x->isVisible() && !x->isWindow(); };
        auto *tabs = w.settings.findChild<QTabWidget *>();
        for (int page = 0; page < tabs->count(); tabs->setCurrentIndex(++page))
            for (QWidget *x : w.settings.findChildren<QWidget *>(named)) {
                if (!shown(x))
                    continue;
                const auto need =
                    qobject_cast<QAbstractScrollArea *>(x) ? QSize() : x->minimumSizeHint();
                const bool squeezed = x->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored;
                QVERIFY2((squeezed || x->width() >= need.width()) && x->height() >= need.height(),
                         qPrintable(x->objectName()));
                for (QWidget *y :
                     x->parentWidget()->findChildren<QWidget *>(named, Qt::FindDirectChildrenOnly))
                    QVERIFY2(x == y || !shown(y) || !x->geometry().intersects(y->geometry()),
                             qPrintable(x->objectName() + " " + y->objectName()));
            }
        const QSize picture = w.find<QWidget>("Picture1")->size();
        const QRect left = tabs->geometry();
        w.settings.resize(w.settings.size() + QSize(100, 50));
        QTRY_COMPARE(w.find<QWidget>("Picture1")->size(), picture + QSize(100, 50));
        QCOMPARE(tabs->geometry(), left.adjusted(0, 0, 0, 50));
    }

    void fileListFollowsTheFolder()
    {
        // New names go in before and after the listed ones; a renamed one is followed.
        Windows w;
        const auto listed = [&](const QStringList &added, const QString &gone) {
            for (const QString &name : added)
                QFile(w.file(name)).open(QIODevice::WriteOnly);
            QFile::remove(w.file(gone));
            w.state.announceNewFiles();
            QStringList names;
            const QListWidget *files = w.find<QListWidget>("File1");
            for (int row = 0; row < files->count(); ++row)
                names << files->item(row)->text();
            return names.join(',');
        };
        QCOMPARE(listed({"b.txt"}, {}), "b.txt");
        QCOMPARE(listed({"a.txt", "c.txt"}, {}), "a.txt,b.txt,c.txt");
        QCOMPARE(listed({"d.txt"}, "a.txt"), "b.txt,c.txt,d.txt");
    }
};

QTEST_MAIN(GuiTest)
#include "tst_gui.moc"
