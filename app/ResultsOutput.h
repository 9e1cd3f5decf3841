#pragma once

#include "ResultsPage.h"
#include "SavePictureDialog.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

// "Сохранить": asks for a file name (offering the previous one), confirms replacing whatever exists
// under that name but a folder, and writes the 1000 x 600 output picture as a 32-bit bitmap or a
// PNG, or draws it on a one-page PDF titled with the program and the address: the file name's
// extension decides, else the chosen filter. Devices and pipes are refused. Errors are raised.
void SaveResults(QWidget* window, const report::ResultsPage& page, const QImage& logo,
                 QString& previousFileName);

// Asks for the file name to save under, offering the previous one; an empty name when the user
// cancels.
using SaveFileNameQuestion =
    std::function<SaveChoice(QWidget* window, const QString& previousFileName)>;

// As above with the file dialog replaced (tests answer it themselves).
void SaveResults(QWidget* window, const report::ResultsPage& page, const QImage& logo,
                 QString& previousFileName, const SaveFileNameQuestion& askFileName);

// "Печать": draws the output picture at the resolution of the default printer, one page, no
// dialog. Raises an error when there is no printer.
void PrintResults(const report::ResultsPage& page, const QImage& logo);
