#include "Unit1.h"

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Программа расчета электроэнергии на освещение МОП"));
    resize(1000, 642);
}
