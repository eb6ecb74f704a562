// The reference the desktop program's start is measured against: the
// smallest Qt Widgets program started the same way. It shows one window and,
// once its event loop runs, writes one byte to standard output; it stays up
// (for its memory to be read) until it is ended.
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <unistd.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window("Reference");
    window.show();
    QTimer::singleShot(0, [] { (void)!::write(1, "r", 1); });
    return QApplication::exec();
}
