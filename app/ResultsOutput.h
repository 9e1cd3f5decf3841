#pragma once

#include "ResultPictures.h"
#include "SavePictureDialog.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

// "Сохранить": asks for a file name (offering the previous one), confirms replacing whatever exists
// under that name but a folder, and writes the 1000 x 600 output picture as a 32-bit bitmap, a PNG
// or a one-page PDF: the file name's extension decides, else the chosen filter. Devices and pipes
// are refused. Errors are raised.
void SaveResults(QWidget* window, const report::ResultPictures& pictures, const QImage& logo,
                 QString& previousFileName);

// Asks for the file name to save under, offering the previous one; an empty name when the user
// cancels.
using SaveFileNameQuestion =
    std::function<SaveChoice(QWidget* window, const QString& previousFileName)>;

// As above with the file dialog replaced (tests answer it themselves).
void SaveResults(QWidget* window, const report::ResultPictures& pictures, const QImage& logo,
                 QString& previousFileName, const SaveFileNameQuestion& askFileName);

// "Печать": prints the output picture on the default printer, one page, no dialog. Raises an
// error when there is no printer.
void PrintResults(const report::ResultPictures& pictures, const QImage& logo);
