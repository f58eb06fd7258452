// A 413 x 382 window with a tab widget and a few labels: what any Qt Widgets
// program of Lexomat's size costs to start and to keep.
#include <QApplication>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(413, 382);
    window.setWindowTitle(QStringLiteral("Minimal"));
    auto *tabs = new QTabWidget(&window);
    tabs->setGeometry(19, 18, 377, 288);
    for (const char *name : {"Game", "Dictionaries", "About"}) {
        auto *page = new QWidget;
        auto *layout = new QVBoxLayout(page);
        for (int i = 0; i < 3; ++i)
            layout->addWidget(new QLabel(QStringLiteral("%1 label %2").arg(QLatin1String(name)).arg(i)));
        tabs->addTab(page, QLatin1String(name));
    }
    window.show();
    return app.exec();
}
