// The settings window's clipboard monitoring and the saving of captures.

#include "app/form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include "app/failure.h"
#include "browse/browserlists.h"
#include "capture/bitmapwriter.h"
#include "capture/capturefiles.h"
#include "naming/naming.h"
#include "platform/clipboard.h"
#include "platform/converters.h"
#include "platform/dialogs.h"
#include "storage/deletion.h"

namespace snagwell {

void Form1::Command1_Click()
{
    // Only the changes from now on are captured: connecting raises nothing
    // for what the clipboard holds already.
    if (!m_monitoring)
        m_monitoring = connect(&m_clipboard, &Clipboard::changed, this,
                               [this] { ClipboardWindowProc(); });
    Command1->setEnabled(false);
}

void Form1::Command2_Click()
{
    if (m_monitoring)
        disconnect(m_monitoring);
    m_monitoring = {};
    Command1->setEnabled(true);
    if (const std::optional<int> days = DaysToKeep(cbxDeleteFolder->currentText()))
        DeleteOldDayFolders(CurrentFolderPath(File1->path()), *days, m_clock);
}

bool Form1::isMonitoring() const
{
    return static_cast<bool>(m_monitoring);
}

void Form1::ClipboardWindowProc()
{
    // A failed capture is shown to nobody and never reaches the event loop;
    // what was saved before the failure stays saved.
    try {
        CaptureClipboard();
    } catch (...) {
    }
}

void Form1::CaptureClipboard()
{
    // A password manager's secret never reaches a file, the screen or paper.
    if (m_clipboard.isSecret())
        return;
    if (m_clipboard.hasText()) {
        const QString text = m_clipboard.text();
        // An owner that ends while it is asked for the text leaves an empty
        // answer, and the clipboard empty: that is no empty text to keep. An
        // empty text really copied is still offered after it was read.
        if (text.isEmpty() && !m_clipboard.hasText())
            throw Failure(QStringLiteral("クリップボードのテキストを受け取れません"));
        setText1(text);
        LabelTXT->clear();
        if (checkValue(SaveTextCK) == 1) {
            const QString path = SaveTextToFile();
            File1->refresh();
            LabelTXT->setText(path);
            if (checkValue(PrintCK) == 1)
                printText(m_text1);
        }
        return;
    }
    if (m_clipboard.hasImage()) {
        const QImage image = m_clipboard.image();
        if (image.isNull())
            return;
        const QString base = storeNewCapture([this] { return NextCapturePath(); },
                                             QStringLiteral(".bmp"),
                                             [&](QIODevice &device) { writeBitmap(device, image); });
        const QString bitmap = base + QStringLiteral(".bmp");
        setPicture(image);
        File1->refresh();
        LabelIMG->setText(base);
        if (checkValue(PrintCK) == 1)
            printPicture(m_picture);
        const PictureFormat format = pictureFormatFor(cbxFileType->currentText());
        int result = 0;
        if (format.converter == PictureFormat::Converter::Jpeg)
            result = m_converters.BmpToJpeg(bitmap, base + format.extension, format.option);
        else if (format.converter == PictureFormat::Converter::Png)
            result = m_converters.BmpToPng(bitmap, base + format.extension, format.option);
        if (format.converter != PictureFormat::Converter::None && (result & 0xFFFF) == 1)
            QFile::remove(bitmap);
        setPicture(image);
        File1->refresh();
        LabelIMG->setText(base);
    }
}

QString Form1::SaveTextToFile()
{
    const QByteArray bytes = textFileBytes(m_text1);
    const QString base = storeNewCapture(
        [this] {
            QString path = NextTextFilePath();
            path.chop(4); // ".txt"
            return path;
        },
        QStringLiteral(".txt"),
        [&](QIODevice &device) {
            // A full disk shows as a short count, not always as an error.
            if (device.write(bytes) != bytes.size())
                throw Failure(
                    QStringLiteral("テキストを書き込めません: %1").arg(device.errorString()));
        });
    return base + QStringLiteral(".txt");
}

void Form1::btnSaveText_Click()
{
    reportFailures([this] {
        if (!LabelTXT->text().isEmpty()) {
            m_dialogs.notice(QStringLiteral("このテキストは保存さています"));
            return;
        }
        if (m_text1.isEmpty()) {
            m_dialogs.notice(QStringLiteral("テキストデータがありません"));
            return;
        }
        if (!m_dialogs.askOkCancel(QStringLiteral("選択したテキストを保存しますか"),
                                   QStringLiteral("保存確認")))
            return;
        SaveTextToFile();
        File1->refresh();
    });
}

} // namespace snagwell
