#include "app/fileviewer.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

#include "app/failurerules.h"
#include "app/state.h"
#include "core/preview.h"

namespace snagwell {

FileViewer::FileViewer(State &state, Dialogs &dialogs, QObject *parent)
    : QObject(parent), m_state(state), m_dialogs(dialogs)
{
}

void FileViewer::showFile(const QString &fileName)
{
    const QString path = joinFolderAndName(m_state.currentFolder(), fileName);
    reportFailure(m_dialogs, [&] {
        switch (previewKindOf(fileName)) {
        case PreviewKind::Picture: {
            QImageReader reader(path);
            reader.setAutoTransform(false);
            const QImage image = reader.read();
            if (image.isNull()) {
                // The path shows what was asked for, though nothing could be read.
                m_state.showPicture(m_state.shownPicture(), path);
                throw Failure(QStringLiteral("画像を読み込めません: %1 (%2)")
                                  .arg(path, reader.errorString()));
            }
            m_state.showPicture(image, path);
            return;
        }
        case PreviewKind::Png:
            m_dialogs.notice(QStringLiteral("PNG形式のファイルは表示できません。"));
            return;
        case PreviewKind::Text: {
            QFile file(path);
            const auto fail = [&](const QString &what) {
                m_state.showText(m_state.shownText(), path);
                return Failure(what.arg(path, file.errorString()));
            };
            if (!file.open(QIODevice::ReadOnly))
                throw fail(QStringLiteral("%1 を開けません: %2"));
            const QByteArray bytes = file.readAll();
            if (file.error() != QFileDevice::NoError)
                throw fail(QStringLiteral("%1 を読めません: %2"));
            m_state.showText(previewText(bytes), path);
            return;
        }
        case PreviewKind::None:
            return;
        }
    });
}

void FileViewer::reset()
{
    if (!m_dialogs.askOkCancel(QStringLiteral("表示データをリセットしますか"),
                               QStringLiteral("リセット確認")))
        return;
    m_state.showText(QString(), QString());
    m_state.showPicture(QImage(), QString());
}

} // namespace snagwell
