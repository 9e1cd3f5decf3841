#include "Fabout.h"
#include "Locale.h"
#include "MessageBoxes.h"
#include "Prop.h"
#include "Unit1.h"

#include <QApplication>
#include <QIcon>

#include <exception>
#include <memory>

namespace {

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 64, 128}) {
        icon.addFile(QStringLiteral(":/resources/icons/virasvet-%1.png").arg(size),
                     QSize(size, size));
    }
    return icon;
}

} // namespace

int main(int argc, char* argv[]) {
    try {
        QApplication application(argc, argv);
        Q_INIT_RESOURCE(mainwindow);
        try {
            // The application title captions the message boxes; it is not set as the display
            // name, which the window system would append to the main window's caption.
            QApplication::setApplicationName(ApplicationTitle);
            QApplication::setWindowIcon(ProgramIcon());

            const model::NumberLocale locale = UserNumberLocale();
            auto Form1 = std::make_unique<TForm1>(locale);
            auto* Form2 = new TForm2(Form1.get());
            auto* Form3 = new TForm3(Form1->ProjectParameters(), locale, Form1.get());
            Form1->SetDialogs(Form2, Form3);
            Form1->show();
            application.exec();
        } catch (...) {
            ShowErrorFor(nullptr, std::current_exception());
        }
    } catch (...) {
        // Not even the application object could be made: there is nothing to show a box with.
    }
    return 0;
}
