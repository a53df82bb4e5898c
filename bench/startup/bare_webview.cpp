// The yardstick of the start-up benchmark: the least program that shows one local page in a
// QWebEngineView. Prints "bare: page loaded" to standard error when the page has loaded.
#include <QApplication>
#include <QWebEngineView>
#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fputs("usage: bare_webview PAGE\n", stderr);
        return 2;
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    QObject::connect(&view, &QWebEngineView::loadFinished, &view, [](bool) {
        std::fputs("bare: page loaded\n", stderr);
        std::fflush(stderr);
    });
    view.resize(469, 413);
    view.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    view.show();
    return QApplication::exec();
}
