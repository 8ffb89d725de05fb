// Saves a picture of a window of the running X display (by its id, as xwininfo gives it) as a PNG;
// scripts/screenshot.sh uses it to take the README's picture of the viewer.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tarvo_grab_window WINDOW_ID OUT.png\n");
        return 2;
    }
    bool ok = false;
    const WId window = QString::fromLocal8Bit(argv[1]).toULongLong(&ok, 0);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!ok || !screen) {
        std::fprintf(stderr, "tarvo_grab_window: no window %s or no screen\n", argv[1]);
        return 1;
    }
    const QPixmap picture = screen->grabWindow(window);
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "tarvo_grab_window: cannot grab window %s into %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
