#include "WindowLook.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

QFont DialogFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

void StyleAsLink(QLabel& label) {
    QFont font = DialogFont();
    font.setPixelSize(13);
    font.setUnderline(true);
    label.setFont(font);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label.setPalette(palette);
}

void CenterOnScreen(QWidget& window) {
    const QWidget* parent = window.parentWidget();
    QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    window.move(area.x() + (area.width() - window.width()) / 2,
                area.y() + (area.height() - window.height()) / 2);
}
