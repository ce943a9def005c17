// SPDX-License-Identifier: GPL-3.0-or-later
// main() of the GUI tests: a QApplication on the offscreen platform (unless the caller
// chose another) and settings of the tests' own, so no test reads or writes the user's.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

// A suite that looks at the windows the system makes names its platform instead.
#ifndef VANTREL_TEST_PLATFORM
#define VANTREL_TEST_PLATFORM "offscreen"
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", VANTREL_TEST_PLATFORM);
    }
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
