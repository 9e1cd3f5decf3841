#pragma once

class QMainWindow;

namespace Ui {
class MainWindow;
}

// The main window's keyboard use and what assistive technology reads of it: the controls named
// after their labels, Alt+letter mnemonics on the menu and the page's buttons (texts unchanged),
// Enter pressing the focused button, F1 for the guide, the tracer button showing its state and
// the focus returning to its control after a dialog.
void SetUpMainWindowAccess(QMainWindow& window, Ui::MainWindow& ui);
