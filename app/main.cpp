#include "Unit1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Вирасвет"));
    TForm1 form1;
    form1.show();
    application.exec();
    return 0;
}
