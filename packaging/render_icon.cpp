// Renders the application icon (SVG) into the PNG sizes that icon themes look for.
//   zentavo-render-icon SVG OUTPUT_FOLDER NAME SIZE...
// writes OUTPUT_FOLDER/<size>x<size>/apps/NAME.png for each size.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Painting into an image needs no display; the offscreen platform keeps it that way.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fputs("usage: zentavo-render-icon SVG OUTPUT_FOLDER NAME SIZE...\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(args[1]);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "zentavo-render-icon: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    for (qsizetype i = 4; i < args.size(); ++i) {
        bool ok = false;
        const int size = args[i].toInt(&ok);
        if (!ok || size < 1 || size > 4096) {
            std::fprintf(stderr, "zentavo-render-icon: bad size %s\n", qPrintable(args[i]));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[2]).arg(size);
        if (!QDir().mkpath(folder) || !image.save(folder + QLatin1Char('/') + args[3] + QStringLiteral(".png"))) {
            std::fprintf(stderr, "zentavo-render-icon: cannot write into %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
