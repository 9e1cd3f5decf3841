#include "ArrowButton.h"

#include <QToolButton>

namespace {

constexpr int RepeatDelayMs = 400;
constexpr int RepeatIntervalMs = 100;

} // namespace

QToolButton* MakeRepeatingArrow(QWidget* parent, Qt::ArrowType direction, const char* name) {
    auto* arrow = new QToolButton(parent);
    arrow->setObjectName(QString::fromLatin1(name));
    arrow->setArrowType(direction);
    // Drawn arrows have no text: a screen reader needs a name.
    arrow->setAccessibleName(direction == Qt::UpArrow ? QStringLiteral("Увеличить")
                                                      : QStringLiteral("Уменьшить"));
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setAutoRepeat(true);
    arrow->setAutoRepeatDelay(RepeatDelayMs);
    arrow->setAutoRepeatInterval(RepeatIntervalMs);
    return arrow;
}
