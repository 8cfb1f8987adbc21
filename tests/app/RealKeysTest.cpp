#include "app/WindowTestSupport.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

// Drives the program as a user would: real key events through the X server
// (xdotool), a grab of the window after each command once its picture has
// settled (two grabs alike), and the wait for each command's log record.
// clang-format off
const char* const kScript = R"SH(
set -e
"$TESSARIC" --no-welcome "$EXAMPLE" &
program=$!
trap 'kill $program 2>/dev/null || true' EXIT
window=$(xdotool search --sync --onlyvisible --name "Tessaric -")
xdotool windowfocus --sync "$window"
log() { find "$TESSARIC_DATA_DIR" -name Log.txt | head -n 1; }
await() {
    n=0
    until grep -q "$1" "$(log)" 2>/dev/null; do
        n=$((n + 1)); [ $n -lt 600 ] || { echo "no record: $1" >&2; exit 1; }
        sleep 0.1
    done
}
shoot() {
    "$GRAB" "$window" "$SHOTS/$1.png"
    n=0
    until "$GRAB" "$window" "$SHOTS/again.png" && cmp -s "$SHOTS/$1.png" "$SHOTS/again.png"; do
        mv "$SHOTS/again.png" "$SHOTS/$1.png"
        n=$((n + 1)); [ $n -lt 100 ] || { echo "picture does not settle" >&2; exit 1; }
    done
    rm -f "$SHOTS/again.png"
}
await "Added 1 new A1-time series"
shoot 0-imported
xdotool key ctrl+f
await "The characteristic function was extracted successfully."
shoot 1-ctrl-f
xdotool key ctrl+m
await "Lifetime evaluation from the model function"
shoot 2-ctrl-m
xdotool key ctrl+p
shoot 3-ctrl-p
# the model's last steps may still run after its record: a key typed while
# they run is dropped on purpose, so the key is typed again until it acts
n=0
while cmp -s "$SHOTS/2-ctrl-m.png" "$SHOTS/3-ctrl-p.png"; do
    n=$((n + 1)); [ $n -lt 50 ] || { echo "ctrl+p never acted" >&2; exit 1; }
    xdotool key ctrl+p
    shoot 3-ctrl-p
done
)SH";
// clang-format on

} // namespace

TEST(RealDisplay, CtrlFCtrlMCtrlPAsAUserPressesThem) {
    EnsureApplication();
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xvfbRun.isEmpty() || xdotool.isEmpty())
        GTEST_SKIP() << "xvfb-run or xdotool is not installed (Debian packages xvfb, xdotool)";
    TempDir dir;
    QProcess run;
    QProcessEnvironment example;
    example.insert(QStringLiteral("EXAMPLE"),
                   QStringLiteral(TESSARIC_EXAMPLES_DIR "/c1a1_example.log"));
    StartOnXvfb(run, xvfbRun, dir, kScript, example);
    ASSERT_TRUE(run.waitForFinished(120000)) << "the run did not end";
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();

    const CDialogUnits units = CDialogUnits::ForFont(DialogFont());
    QImage previous;
    for (const char* name : {"0-imported", "1-ctrl-f", "2-ctrl-m", "3-ctrl-p"}) {
        const QImage shot(QString::fromStdString(dir.File(std::string(name) + ".png")));
        ASSERT_FALSE(shot.isNull()) << name;
        EXPECT_EQ(shot.width(), units.X(478)) << name;
        // each command changes what the window shows
        EXPECT_NE(shot, previous) << name;
        previous = shot;
        // copies for a look at the result
        shot.save(QStringLiteral("tessaric-keys-%1.png").arg(QString::fromUtf8(name)));
    }
    const std::string log = ReadFileBytes(dir.File("tessaric/Log.txt"));
    EXPECT_NE(log.find("The characteristic function was extracted successfully."),
              std::string::npos);
    EXPECT_NE(log.find("- fit result: Di = "), std::string::npos);
}
