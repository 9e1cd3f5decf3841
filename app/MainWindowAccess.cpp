#include "MainWindowAccess.h"

#include "Accessibility.h"
#include "KeyboardAccess.h"
#include "ui_MainWindow.h"

#include <QKeySequence>
#include <QMenu>

void SetUpMainWindowAccess(QMainWindow& window, Ui::MainWindow& ui) {
    DescribeControls(*ui.clientArea);

    // Letters chosen so that no two controls shown together share one.
    MarkMnemonic(*ui.fileMenu->menuAction(), QChar(u'Ф'));
    MarkMnemonic(*ui.openHouseAction, QChar(u'О'));
    MarkMnemonic(*ui.saveHouseAction, QChar(u'С'));
    MarkMnemonic(*ui.economicsAction, QChar(u'Э'));
    MarkMnemonic(*ui.settingsAction, QChar(u'Н'));
    MarkMnemonic(*ui.helpAction, QChar(u'П'));
    MarkMnemonic(*ui.aboutAction, QChar(u'О'));
    MarkMnemonic(*ui.nextButton, QChar(u'В'));
    MarkMnemonic(*ui.backButton, QChar(u'з'));
    MarkMnemonic(*ui.printButton, QChar(u'е'));
    MarkMnemonic(*ui.saveButton, QChar(u'С'));
    MarkMnemonic(*ui.recalculateHouse, QChar(u'р'));
    MarkMnemonic(*ui.recalculateSensors, QChar(u'ч'));
    MarkMnemonic(*ui.tracerButton, QChar(u'Т'));
    ui.helpAction->setShortcut(QKeySequence::HelpContents);

    PressButtonsOnEnter(*ui.clientArea);
    // The page scrolls with the focus; the scroll area itself is no stop of Tab.
    ui.clientScroll->setFocusPolicy(Qt::NoFocus);
    ui.tracerButton->setCheckable(true);
    ui.tracerButton->setAccessibleDescription(
        QStringLiteral("Линия по дням графика затрат; стрелки двигают её на день, Page Up и "
                       "Page Down на 30 дней, Home и End к началу и концу графика"));
    new FocusReturn(window, *ui.menuBar);
}
