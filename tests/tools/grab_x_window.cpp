// grab_x_window WINDOW-ID FILE.png: saves what the X server shows of the
// window, for the tests that drive the real program with real key events.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: grab_x_window WINDOW-ID FILE.png\n");
        return 2;
    }
    bool ok = false;
    const WId window = QString::fromLocal8Bit(argv[1]).toULongLong(&ok);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!ok || !screen)
        return 1;
    const QPixmap shot = screen->grabWindow(window);
    return !shot.isNull() && shot.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
