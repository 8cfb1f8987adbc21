#include "app/WindowTestSupport.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

// The program under a real window manager (openbox, with a key of its own
// for Maximize), driven by real keys: the File menu from Alt+F and its
// Import from I; a long Ctrl+F whose progress shows and which Escape
// cancels; the window maximised; then, in a second run, two Ctrl+M typed
// during a Ctrl+F, which must not fit afterwards. The script waits for each
// command's log record; the two shots of the running work are a second
// apart on purpose, and the maximised window is given a second to settle.
// clang-format off
const char* const kScript = R"SH(
set -e
cat > "$SHOTS/rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <keyboard><keybind key="W-Up"><action name="Maximize"/></keybind></keyboard>
</openbox_config>
XML
openbox --config-file "$SHOTS/rc.xml" &
wm=$!
trap 'kill $wm 2>/dev/null || true' EXIT
"$CLI" simulate --images 1000000 --di 0.05 "$SHOTS/long.log" >/dev/null 2>&1
"$CLI" simulate --images 300000 --di 0.05 "$SHOTS/medium.log" >/dev/null 2>&1
log() { find "$TESSARIC_DATA_DIR" -name Log.txt | head -n 1; }
await() {
    n=0
    until [ "$(grep -c "$1" "$(log)" 2>/dev/null)" -ge "${2:-1}" ]; do
        n=$((n + 1)); [ $n -lt 1800 ] || { echo "no record: $1" >&2; exit 1; }
        sleep 0.1
    done
}
# xdotool's own --sync fails when a window it looks at goes away meanwhile
# (a menu closing): the search is repeated instead.
find_window() {
    n=0
    until found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) &&
          [ -n "$found" ]; do
        n=$((n + 1)); [ $n -lt "${2:-600}" ] || { echo "no window: $1" >&2; return 1; }
        sleep 0.1
    done
    echo "$found"
}
# Import is held while the window still works on the last import, so the
# menu's key may find it disabled: the menu is closed and opened again until
# the file dialog shows. Cancelling it leaves the window idle.
open_and_cancel_import() {
    tries=0
    until xdotool key alt+f && xdotool key i && find_window "^Open$" 30 >/dev/null; do
        xdotool key Escape
        tries=$((tries + 1)); [ $tries -lt 60 ] || { echo "no window: ^Open$" >&2; exit 1; }
    done
    xdotool key Escape
    await "Log file import cancelled." "$1"
}
start() {
    "$TESSARIC" --no-welcome --debug "$1" &
    program=$!
    trap 'kill $program $wm 2>/dev/null || true' EXIT
    window=$(find_window "Tessaric -") || exit 1
    xdotool windowactivate --sync "$window"
    await "Added 1 new A1-time series" "$2"
}

start "$SHOTS/long.log" 1
"$GRAB" "$window" "$SHOTS/template.png"
open_and_cancel_import 1
xdotool key ctrl+f
sleep 1.5
"$GRAB" "$window" "$SHOTS/work-1.png"
sleep 1
"$GRAB" "$window" "$SHOTS/work-2.png"
xdotool key Escape
await "Evaluation of the characteristic function cancelled."
xdotool windowactivate --sync "$window"
xdotool key super+Up
# the diagram of a million samples is drawn again at the new size: the
# picture has settled when two grabs agree
"$GRAB" "$window" "$SHOTS/maximised.png"
n=0
until sleep 0.5 && "$GRAB" "$window" "$SHOTS/again.png" &&
      cmp -s "$SHOTS/maximised.png" "$SHOTS/again.png"; do
    mv "$SHOTS/again.png" "$SHOTS/maximised.png"
    n=$((n + 1)); [ $n -lt 120 ] || { echo "picture does not settle" >&2; exit 1; }
done
kill $program
wait $program || true

start "$SHOTS/medium.log" 2
open_and_cancel_import 2
xdotool key ctrl+f ctrl+m ctrl+m
await "The characteristic function was extracted successfully."
xdotool key ctrl+m
await "Lifetime evaluation from the model function"
)SH";
// clang-format on

} // namespace

TEST(RealWindowManager, MenusProgressCancelAndMaximise) {
    EnsureApplication();
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (xvfbRun.isEmpty() || xdotool.isEmpty() || openbox.isEmpty())
        GTEST_SKIP() << "xvfb-run, xdotool or openbox is not installed (make deps)";
    TempDir dir;
    QProcess run;
    QProcessEnvironment cli;
    cli.insert(QStringLiteral("CLI"), qEnvironmentVariable("TESSARIC_CLI"));
    StartOnXvfb(run, xvfbRun, dir, kScript, cli);
    ASSERT_TRUE(run.waitForFinished(600000)) << "the run did not end";
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();

    const auto shot = [&dir](const char* name) {
        return QImage(QString::fromStdString(dir.File(std::string(name) + ".png")));
    };
    const QImage first = shot("work-1");
    const QImage second = shot("work-2");
    ASSERT_FALSE(first.isNull());
    EXPECT_NE(first, second) << "the progress moved";
    const QImage before = shot("template");
    const QImage after = shot("maximised");
    EXPECT_GT(after.width(), before.width());
    EXPECT_GT(after.height(), before.height());
    for (const char* name : {"template", "work-1", "maximised"})
        shot(name).save(QStringLiteral("tessaric-wm-%1.png").arg(QString::fromUtf8(name)));

    const std::string log = ReadFileBytes(dir.File("tessaric/Log.txt"));
    std::size_t fits = 0;
    for (std::size_t at = log.find("- fit result: "); at != std::string::npos;
         at = log.find("- fit result: ", at + 1))
        ++fits;
    EXPECT_EQ(fits, 1u) << "the two Ctrl+M typed during the work did not run";
}
