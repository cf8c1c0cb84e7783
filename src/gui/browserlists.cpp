#include "gui/browserlists.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStyle>

namespace snagwell {
namespace {

QString cleanFolder(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
    reread();
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_quiet)
            Q_EMIT driveChanged();
    });
}

void DriveList::reread()
{
    const QString current = drive();
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
    }
    if (!roots.contains(QStringLiteral("/")))
        roots.append(QStringLiteral("/"));
    std::sort(roots.begin(), roots.end(), [](const QString &a, const QString &b) {
        if (a == QLatin1String("/") || b == QLatin1String("/"))
            return a == QLatin1String("/") && b != QLatin1String("/");
        return a < b;
    });
    // The list is read again each time it gets the focus, the click that
    // opens it included: rebuilt only when the volumes changed, so that the
    // entry under the pointer stays what it was.
    if (roots == m_roots)
        return;
    m_quiet = true;
    m_roots = roots;
    clear();
    addItems(roots);
    m_quiet = false;
    selectRoot(current.isEmpty() ? QStringLiteral("/") : current);
}

QString DriveList::drive() const
{
    return currentText();
}

QString DriveList::volumeOf(const QString &path, const QStringList &roots)
{
    QString best = QStringLiteral("/");
    for (const QString &root : roots) {
        const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
        if ((path == root || path.startsWith(prefix)) && root.size() > best.size())
            best = root;
    }
    return best;
}

void DriveList::setDrive(const QString &path)
{
    selectRoot(volumeOf(path, m_roots));
}

void DriveList::showDriveOf(const QString &path)
{
    m_quiet = true;
    selectRoot(volumeOf(path, m_roots));
    m_quiet = false;
}

void DriveList::selectRoot(const QString &root)
{
    const int index = findText(root, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0 && index != currentIndex())
        setCurrentIndex(index);
}

void DriveList::focusInEvent(QFocusEvent *event)
{
    QComboBox::focusInEvent(event);
    Q_EMIT gotFocus();
}

FolderList::FolderList(QWidget *parent) : QListWidget(parent)
{
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        Q_EMIT folderChosen(item->data(Qt::UserRole).toString());
    });
}

void FolderList::setPath(const QString &path)
{
    m_path = cleanFolder(path);
    fill();
}

void FolderList::reread()
{
    fill();
}

void FolderList::fill()
{
    clear();
    if (m_path.isEmpty())
        return;
    // Ancestors from the root down, the current folder last among them.
    QStringList chain;
    for (QString folder = m_path;;) {
        chain.prepend(folder);
        if (folder == QLatin1String("/"))
            break;
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        folder = slash <= 0 ? QStringLiteral("/") : folder.left(slash);
    }
    int depth = 0;
    for (const QString &folder : chain) {
        const QString name = folder == QLatin1String("/") ? folder : QFileInfo(folder).fileName();
        auto *item = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                         QString(depth * 2, QLatin1Char(' ')) + name);
        item->setData(Qt::UserRole, folder);
        addItem(item);
        ++depth;
    }
    setCurrentRow(count() - 1);
    const QStringList children =
        QDir(m_path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::LocaleAware);
    for (const QString &child : children) {
        auto *item = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirIcon),
                                         QString(depth * 2, QLatin1Char(' ')) + child);
        item->setData(Qt::UserRole, QDir(m_path).filePath(child));
        addItem(item);
    }
}

FileList::FileList(const QString &pattern, QWidget *parent)
    : QListWidget(parent), m_patterns(pattern.split(QLatin1Char(';')))
{
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { Q_EMIT fileClicked(item->text()); });
}

void FileList::setPath(const QString &path)
{
    m_path = cleanFolder(path);
    clear(); // another folder: nothing of the old list stays
    refresh();
}

void FileList::refresh()
{
    if (m_path.isEmpty()) {
        clear();
        return;
    }
    QDir dir(m_path);
    dir.setNameFilters(m_patterns);
    // Extensions match without regard to letter case, as on Windows.
    dir.setFilter(QDir::Files | QDir::NoDotAndDotDot);
    dir.setSorting(QDir::Name);
    const QStringList names = dir.entryList();
    // After a capture the listing differs by one new name: insert what is
    // new rather than rebuild a list of a thousand entries.
    if (count() > 0 && count() <= names.size()) {
        int row = 0;
        QList<std::pair<int, QString>> added;
        for (const QString &name : names) {
            if (row < count() && item(row)->text() == name)
                ++row;
            else
                added.append({row + static_cast<int>(added.size()), name});
        }
        if (row == count()) {
            for (const auto &[position, name] : added)
                insertItem(position, name);
            return;
        }
    }
    clear();
    addItems(names);
}

} // namespace snagwell
