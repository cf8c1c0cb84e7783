#pragma once

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include "app/failure.h"
#include "storage/folderbrowser.h"

namespace snagwell::test {

// A browser over real folders: it enters only folders that exist, as the
// real folder list does, and records what it was asked to do.
class TestFolderBrowser final : public FolderBrowser
{
public:
    explicit TestFolderBrowser(QString path) : m_path(std::move(path)) {}

    QString folderPath() const override { return m_path; }
    QString fileListPath() const override { return m_path; }
    void setFolderPath(const QString &path) override
    {
        if (!QFileInfo(path).isDir() || m_refused.contains(path))
            throw Failure(QStringLiteral("フォルダに移動できません: %1").arg(path));
        m_path = path;
        m_events.append(QStringLiteral("enter ") + path);
    }
    void rereadFolders() override { m_events.append(QStringLiteral("reread")); }

    // Makes entering this folder fail although it exists.
    void refuse(const QString &path) { m_refused.append(path); }
    const QStringList &events() const { return m_events; }

private:
    QString m_path;
    QStringList m_refused;
    QStringList m_events;
};

// The fixed day of these tests: 15 November 2005, whose folder is 05Nov15.
inline QDateTime testNow()
{
    return QDateTime(QDate(2005, 11, 15), QTime(10, 0));
}

// Entries below a folder, one a line:
//   "a/b/"          a folder (with its parents)
//   "a/b.txt"       a file holding one byte
//   "a/b.txt !ro"   a file without write permission
//   "a/l -> t"      a symbolic link to t (relative to the base folder unless
//                   absolute; it need not exist)
inline void populate(const QString &base, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const qsizetype arrow = entry.indexOf(QStringLiteral(" -> "));
        if (arrow >= 0) {
            const QString link = base + QLatin1Char('/') + entry.left(arrow);
            QString target = entry.mid(arrow + 4);
            if (!target.startsWith(QLatin1Char('/')))
                target = base + QLatin1Char('/') + target;
            QVERIFY(QDir().mkpath(QFileInfo(link).path()));
            QVERIFY2(QFile::link(target, link), qPrintable(link));
            continue;
        }
        const bool readOnly = entry.endsWith(QStringLiteral(" !ro"));
        const QString name = readOnly ? entry.chopped(4) : entry;
        const QString path = base + QLatin1Char('/') + name;
        if (name.endsWith(QLatin1Char('/'))) {
            QVERIFY2(QDir().mkpath(path), qPrintable(path));
            continue;
        }
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
        file.write("x");
        file.close();
        if (readOnly)
            QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }
}

// Whether anything (a dangling link too) stands at the path.
inline bool present(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Takes write permission from a folder. False when writing into it still
// works (a privileged user), so that a test can say why it cannot go on.
inline bool makeReadOnly(const QString &folder)
{
    if (!QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner))
        return false;
    const QString probe = folder + QStringLiteral("/probe");
    if (QDir().mkdir(probe)) {
        QDir().rmdir(probe);
        return false;
    }
    return true;
}

inline void makeWritable(const QString &folder)
{
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace snagwell::test
