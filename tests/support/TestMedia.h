#pragma once

#include <QString>

// Where the fixture script put the test media (ORVANTA_TEST_MEDIA), and the shared folder beside the
// checkout that holds the sample archives (ORVANTA_SHARED_DIR).
QString testMediaPath(const QString& name);
QString sharedPath(const QString& name);
