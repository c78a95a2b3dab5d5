#include "support/TestMedia.h"

#include "platform/media/Movie.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString testMediaPath(const QString& name) {
    return QDir(qEnvironmentVariable("ORVANTA_TEST_MEDIA")).filePath(name);
}

QString copyTestMedia(const QString& name, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    if (QFile::copy(testMediaPath(name), path))
        return path;
    ADD_FAILURE() << "could not copy " << name.toStdString() << " to " << path.toStdString();
    return {};
}

std::shared_ptr<Movie> openTestMovie(const QString& nameOrPath) {
    const QString path = QFileInfo(nameOrPath).isAbsolute() ? nameOrPath : testMediaPath(nameOrPath);
    Movie::OpenResult result = Movie::open(QUrl::fromLocalFile(path));
    EXPECT_TRUE(result) << path.toStdString() << ": " << result.error.message.toStdString();
    return result.movie;
}

QString sharedPath(const QString& name) {
    return QDir(qEnvironmentVariable("ORVANTA_SHARED_DIR")).filePath(name);
}

QString sharedPathProblem(const QString& name) {
    const QString path = QDir::cleanPath(sharedPath(name));
    if (QFileInfo::exists(path))
        return {};
    return QStringLiteral("needs %1 from the shared folder beside the checkout, which is absent").arg(path);
}

bool sharedFolderRequired() {
    return qEnvironmentVariable("CI") == QLatin1String("true");
}
