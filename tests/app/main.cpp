#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "ui/message_boxes.hpp"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // A zone away from UTC, so nothing passes by assuming the two are the same.
    setenv("TZ", "CST-8", 1);
    tzset();
    QApplication app(argc, argv);
    // Nothing a test runs may read or write the user's own configuration.
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
