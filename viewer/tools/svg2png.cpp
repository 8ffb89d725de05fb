// Renders an SVG file into a PNG of the given size; used at build time for the bitmap logos.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: tarvo_svg2png IN.svg OUT.png WIDTH HEIGHT\n");
        return 2;
    }
    const int width = QString::fromLocal8Bit(argv[3]).toInt();
    const int height = QString::fromLocal8Bit(argv[4]).toInt();
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid() || width <= 0 || height <= 0) {
        std::fprintf(stderr, "tarvo_svg2png: cannot render %s\n", argv[1]);
        return 1;
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "tarvo_svg2png: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
