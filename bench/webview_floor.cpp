// The floor for start-up: a Qt program that only shows a web view on about:blank.
#include <QApplication>
#include <QDateTime>
#include <QTimer>
#include <QWebEngineView>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    view.setUrl(QUrl("about:blank"));
    view.resize(743, 619);
    view.show();
    QTimer::singleShot(0, [] {
        printf("shown %lld\n", QDateTime::currentMSecsSinceEpoch());
        fflush(stdout);
        QCoreApplication::quit();
    });
    return app.exec();
}
