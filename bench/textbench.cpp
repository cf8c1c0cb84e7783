// A text capture into a day folder that already holds 999 captures: the
// running number has to pass 999, so every name in the folder is read.

#include "benchmarks.h"

#include <string>
#include <utility>

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/state.h"
#include "benchsupport.h"
#include "core/capturefiles.h"
#include "core/failure.h"
#include "core/naming.h"
#include "core/preview.h"
#include "gui/browserlists.h"
#include "platform/clipboard.h"

namespace snagwell::bench {

namespace {

constexpr int capturesInFolder = 999;

// What one copies from a mail or a document: a few lines, Japanese and not.
QString clipboardText()
{
    QString text;
    for (int line = 0; line < 20; ++line)
        text += QStringLiteral("%1行目: 会議の議事録 minutes of the meeting, ﾃｷｽﾄ %2\n")
                    .arg(line + 1)
                    .arg(line * 37);
    return text;
}

// Captures 001 to 999 of the header, pictures and texts mixed.
bool fillWithCaptures(const QString &folder, const QString &header)
{
    static const QString extensions[] = {QStringLiteral(".txt"), QStringLiteral(".jpg"),
                                         QStringLiteral(".png")};
    for (int number = 1; number <= capturesInFolder; ++number) {
        QFile file(folder + QLatin1Char('/') + header +
                   QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')) +
                   extensions[number % 3]);
        if (!file.open(QIODevice::NewOnly) || file.write("capture\r\n") != 9)
            return false;
    }
    return true;
}

bool prepare(benchmark::State &state, const QString &folder, const QString &header)
{
    if (fillWithCaptures(folder, header))
        return true;
    state.SkipWithError("cannot fill the folder");
    return false;
}

// The clipboard's change through the capture recorder, with the settings
// window following: the text shown, saved, listed.
void textThroughWindow(benchmark::State &state)
{
    CaptureDesk desk;
    if (!prepare(state, desk.folder(), desk.header()))
        return;
    desk.state().changeSettings([](Settings &settings) { settings.saveText = Tick::On; });
    const QString text = clipboardText();
    for (auto _ : state) {
        desk.clipboard().setText(text);
        state.PauseTiming();
        const QString path = desk.state().shownTextPath();
        if (!expectFile(state, path))
            break;
        QFile::remove(path);
        desk.state().showText(QString(), QString());
        state.ResumeTiming();
    }
}

// CaptureRecorder::saveShownText's steps alone: name, encode, store.
void textFiles(benchmark::State &state)
{
    CaptureDesk desk;
    const QString folder = desk.folder();
    const QString header = desk.header();
    if (!prepare(state, folder, header))
        return;
    const QString text = toWindowsLineEnds(clipboardText());
    for (auto _ : state) {
        QString path;
        try {
            const QByteArray bytes = textFileBytes(text);
            path = storeNewCapture(
                       [&] {
                           QString next = nextTextFilePath(folder, header);
                           next.chop(4); // ".txt"
                           return next;
                       },
                       QStringLiteral(".txt"), [&](QIODevice &device) { device.write(bytes); }) +
                   QStringLiteral(".txt");
        } catch (const Failure &failure) {
            state.SkipWithError(qPrintable(failure.description()));
            break;
        }
        state.PauseTiming();
        if (!expectFile(state, path))
            break;
        QFile::remove(path);
        state.ResumeTiming();
    }
}

// The running number alone: one listing of the folder, read twice over
// because 999 is taken.
void textNaming(benchmark::State &state)
{
    CaptureDesk desk;
    const QString folder = desk.folder();
    const QString header = desk.header();
    if (!prepare(state, folder, header))
        return;
    const QString expected = folder + QLatin1Char('/') + header + QStringLiteral("1000.txt");
    for (auto _ : state) {
        const QString path = nextTextFilePath(folder, header);
        if (path != expected) {
            state.SkipWithError(qPrintable(QStringLiteral("unexpected name ") + path));
            break;
        }
    }
}

// One reading of the folder, as the running number makes it.
void textListing(benchmark::State &state)
{
    CaptureDesk desk;
    const QString folder = desk.folder();
    if (!prepare(state, folder, desk.header()))
        return;
    for (auto _ : state) {
        const QStringList names =
            QDir(folder + QLatin1Char('/')).entryList(QDir::Files | QDir::System, QDir::Unsorted);
        if (names.size() != capturesInFolder) {
            state.SkipWithError("the listing is incomplete");
            break;
        }
    }
}

// The file list shown again, as the window does after each capture.
void textFileList(benchmark::State &state)
{
    CaptureDesk desk;
    if (!prepare(state, desk.folder(), desk.header()))
        return;
    FileList list(fileListPattern());
    list.setPath(desk.folder());
    for (auto _ : state) {
        list.refresh();
        if (list.count() != capturesInFolder) {
            state.SkipWithError("the file list is incomplete");
            break;
        }
    }
}

} // namespace

void registerTextBenchmarks()
{
    for (auto [what, function] :
         {std::pair{"window", &textThroughWindow}, std::pair{"files", &textFiles},
          std::pair{"naming", &textNaming}, std::pair{"one listing", &textListing},
          std::pair{"file list", &textFileList}}) {
        const std::string name = std::string("text/999 captures/") + what;
        timed(benchmark::RegisterBenchmark(name.c_str(), function));
    }
}

} // namespace snagwell::bench
