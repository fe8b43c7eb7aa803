// Names and permissions of the files a user saves ("Text File").
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <sys/stat.h>

#include "platform/UserFile.h"

using tko::copyToUserFile;
using tko::withDefaultExtension;

namespace {

const QString txt = QStringLiteral("txt");

mode_t modeOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return 0;
    return st.st_mode & 0777;
}

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// Sets the umask for one test and restores it.
struct Umask {
    explicit Umask(mode_t mask) : old(::umask(mask)) {}
    ~Umask() { ::umask(old); }
    mode_t old;
};

}  // namespace

TEST(UserFile, ANameWithoutExtensionGetsTheDefaultOne) {
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/home/ben/notes"), txt),
              QStringLiteral("/home/ben/notes.txt"));
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/home/ben/notes."), txt),
              QStringLiteral("/home/ben/notes.txt"));
    // A dot in a folder's name is no extension of the file.
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/srv/office.v2/notes"), txt),
              QStringLiteral("/srv/office.v2/notes.txt"));
    // A hidden file's leading dot is part of its name.
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/home/ben/.plan"), txt),
              QStringLiteral("/home/ben/.plan.txt"));
}

TEST(UserFile, ANameWithAnExtensionStaysAsTyped) {
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/tmp/notes.txt"), txt),
              QStringLiteral("/tmp/notes.txt"));
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/tmp/NOTES.TXT"), txt),
              QStringLiteral("/tmp/NOTES.TXT"));
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/tmp/notes.md"), txt),
              QStringLiteral("/tmp/notes.md"));
    EXPECT_EQ(withDefaultExtension(QString(), txt), QString());
}

TEST(UserFile, ANewFileGetsTheUsersNormalPermissions) {
    const Umask mask(022);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The work file is private to the program (0600), as QTemporaryFile makes it.
    QTemporaryFile work;
    ASSERT_TRUE(work.open());
    work.write("ASSIGNMENT INFORMATION\n");
    work.close();
    ASSERT_EQ(modeOf(work.fileName()), 0600u);

    const QString target = dir.filePath(QStringLiteral("assignment.txt"));
    EXPECT_EQ(copyToUserFile(work.fileName(), target), QString());
    EXPECT_EQ(contentOf(target), QByteArray("ASSIGNMENT INFORMATION\n"));
    EXPECT_EQ(modeOf(target), 0644u);
}

TEST(UserFile, AReplacedFileKeepsItsPermissionsAndAFailedCopyKeepsTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("shared.txt"));
    write(target, "old text\n");
    ASSERT_TRUE(QFile::setPermissions(
        target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const QString source = dir.filePath(QStringLiteral("work.txt"));
    write(source, "new text\n");

    EXPECT_EQ(copyToUserFile(source, target), QString());
    EXPECT_EQ(contentOf(target), QByteArray("new text\n"));
    EXPECT_EQ(modeOf(target), 0640u);

    // A work file that is gone: an error, and the user's file stays whole.
    EXPECT_FALSE(copyToUserFile(dir.filePath(QStringLiteral("missing.txt")), target).isEmpty());
    EXPECT_EQ(contentOf(target), QByteArray("new text\n"));
    // A folder that does not exist: an error, nothing written.
    EXPECT_FALSE(
        copyToUserFile(source, dir.filePath(QStringLiteral("no/such/file.txt"))).isEmpty());
}
