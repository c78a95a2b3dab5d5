#pragma once

// Small helpers the unit tests share: files' bytes, playlist files' trees, and runs of the built
// orvanta-playlist tool.
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

// The bytes of a file, or "<missing>" when it cannot be read.
inline QByteArray fileContents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Writes the bytes, making the folders on the way.
inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A keyed archive of the tree, and the tree of one (the test fails when it does not read).
inline QByteArray archive(const KeyedArchiveDictionary& root) {
    return KeyedArchiver::archivedDataWithRootObject(KeyedArchiveValue::dictionary(root)).data;
}
inline KeyedArchiveDictionary tree(const QByteArray& data) {
    const KeyedUnarchiveResult result = KeyedUnarchiver::unarchiveObjectWithData(data);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    return result.value.toDictionary();
}

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
};

inline ToolRun runTool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(ORVANTA_PLAYLIST_TOOL), arguments);
    ToolRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "orvanta-playlist did not finish normally: " << arguments.join(' ').toStdString();
        return run;
    }
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    // A sanitizer report also exits with 1: never let it pass for a refusal.
    EXPECT_FALSE(run.err.contains("Sanitizer") || run.err.contains("runtime error:"))
        << run.err.toStdString();
    return run;
}

// What tests/unit/archive_check.py prints for the arguments; a check it fails fails the test.
inline QByteArray archiveCheck(const QStringList& arguments) {
    QProcess python;
    python.start("python3",
                 QStringList{qEnvironmentVariable("ORVANTA_SOURCE_DIR") + "/tests/unit/archive_check.py"} +
                     arguments);
    EXPECT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return python.readAllStandardOutput();
}

// What `orvanta-playlist show --json` prints for the file.
inline QJsonObject showJson(const QString& path) {
    const ToolRun run = runTool({"show", "--json", path});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    return document.object();
}
