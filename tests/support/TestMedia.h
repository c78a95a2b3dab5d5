#pragma once

#include <QString>
#include <gtest/gtest.h>
#include <memory>

// Where the fixture script put the test media (ORVANTA_TEST_MEDIA), and the shared folder beside the
// checkout that holds the sample archives (ORVANTA_SHARED_DIR).
QString testMediaPath(const QString& name);
QString sharedPath(const QString& name);

// A copy of the named test media file at the path, its folders made as needed (a file there already is
// replaced). Returns the path, or nothing (and fails the test) when the copy cannot be made.
QString copyTestMedia(const QString& name, const QString& path);

class Movie;
// The movie at the path, or the named test media file, opened; null (and the test failed) if it does
// not open.
std::shared_ptr<Movie> openTestMovie(const QString& nameOrPath);

// Why a file of the shared folder cannot be used (empty when it is there). A clone without the folder
// beside it skips the tests that need it; CI (CI=true) has it, so there its absence is a failure.
QString sharedPathProblem(const QString& name);
bool sharedFolderRequired();

#define REQUIRE_SHARED_PATH(name)                                                                            \
    do {                                                                                                     \
        const QString problem_ = sharedPathProblem(name);                                                    \
        if (!problem_.isEmpty()) {                                                                           \
            if (sharedFolderRequired())                                                                      \
                FAIL() << problem_.toStdString() << " (CI=true: the shared folder must be there)";           \
            GTEST_SKIP() << problem_.toStdString();                                                          \
        }                                                                                                    \
    } while (false)
