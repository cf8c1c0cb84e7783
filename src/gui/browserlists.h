#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>

namespace snagwell {

// The mounted volumes, the root volume first. Its value is the chosen
// volume's root path. Choosing another volume, by the user or by code,
// raises driveChanged before the setter returns.
class DriveList final : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);

    // Reads the volumes again, keeping the chosen one.
    void reread();
    QString drive() const;
    // Chooses the volume that holds the path (the longest root that is a
    // prefix of it).
    void setDrive(const QString &path);
    // Shows the volume of the path without raising driveChanged.
    void showDriveOf(const QString &path);
    // The volume among the listed ones that holds the path.
    QString volumeOf(const QString &path) const { return volumeOf(path, m_roots); }
    static QString volumeOf(const QString &path, const QStringList &roots);

Q_SIGNALS:
    void driveChanged();
    void gotFocus();

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    void selectRoot(const QString &root);
    QStringList m_roots;
    bool m_quiet = false;
};

// The folders around the current one: its ancestors from the root down,
// then its subfolders. A double click asks to enter a folder.
class FolderList final : public QListWidget
{
    Q_OBJECT
public:
    explicit FolderList(QWidget *parent = nullptr);

    // Shows the folders around this one.
    void setPath(const QString &path);
    void reread();

Q_SIGNALS:
    // The user chose a folder to enter.
    void folderChosen(const QString &path);

private:
    void fill();
    QString m_path;
};

// The files of one folder that match the pattern, hidden ones left out;
// extensions match whatever their letter case.
class FileList final : public QListWidget
{
    Q_OBJECT
public:
    explicit FileList(const QString &pattern, QWidget *parent = nullptr);

    // Shows the folder's files.
    void setPath(const QString &path);
    void refresh();

Q_SIGNALS:
    void fileClicked(const QString &name);

private:
    QStringList m_patterns;
    QString m_path;
};

} // namespace snagwell
