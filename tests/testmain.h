#pragma once

// main() of every test suite. Before the application object exists it
// selects the offscreen platform and a silent SDL audio driver (unless the
// suite asked for another one, such as the disk driver) and points
// XDG_CONFIG_HOME at a fresh temporary folder, so a suite never reads or
// writes the user's own settings.

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

#define PARLOWEN_TEST_MAIN(TestClass)                                          \
    int main(int argc, char **argv)                                            \
    {                                                                          \
        qputenv("QT_QPA_PLATFORM", "offscreen");                               \
        if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))                    \
            qputenv("SDL_AUDIODRIVER", "dummy");                               \
        QTemporaryDir configHome;                                              \
        if (!configHome.isValid())                                             \
            return EXIT_FAILURE;                                               \
        qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());           \
        QApplication app(argc, argv);                                          \
        app.setAttribute(Qt::AA_Use96Dpi, true);                               \
        TestClass test;                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                             \
        return QTest::qExec(&test, argc, argv);                                \
    }
