#include "app/WindowTestSupport.h"

#include <QImage>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

#include <gtest/gtest.h>

// The real program on a real X server: it opens the bundled example and a
// second log from its command line, then saves what the screen shows of its
// window.
TEST(RealDisplay, WindowWithTwoLogsOnXvfb) {
    EnsureApplication();
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfbRun.isEmpty())
        GTEST_SKIP() << "xvfb-run is not installed (Debian package xvfb)";
    TempDir dir;
    const QString shot = QString::fromStdString(dir.File("window.png"));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    program.setProcessEnvironment(environment);
    program.start(xvfbRun, {QStringLiteral("-a"), QStringLiteral("-s"),
                            QStringLiteral("-screen 0 1280x1024x24"),
                            QStringLiteral(TESSARIC_WINDOW_EXE), QStringLiteral("--screenshot"),
                            shot, QStringLiteral(TESSARIC_EXAMPLES_DIR "/c1a1_example.log"),
                            QStringLiteral(TESSARIC_EXAMPLES_DIR "/orvex_example.dat")});
    ASSERT_TRUE(program.waitForFinished(60000)) << "the window did not end";
    ASSERT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();

    const QImage image(shot);
    ASSERT_FALSE(image.isNull());
    // the client area at the dialog font's units, with the menu bar above it
    const CDialogUnits units = CDialogUnits::ForFont(DialogFont());
    EXPECT_EQ(image.width(), units.X(478));
    EXPECT_GT(image.height(), units.Y(411));
    EXPECT_LT(image.height(), units.Y(411) + units.Y(30));
    // not blank: frames, text and the pane's records give many colours
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 20);
    // copy for a look at the result
    image.save(QStringLiteral("tessaric-window.png"));
}
