#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QString::fromUtf8("Zolquist\u2122"));
    window.show();
    return application.exec();
}
