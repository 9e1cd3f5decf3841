#pragma once

#include "ResultPictures.h"

#include <QImage>
#include <QString>
#include <QWidget>

// "Сохранить": asks for a file name (offering the previous one), confirms replacing an existing
// file and writes the 1000 x 600 output picture as a 32-bit bitmap file. Errors are raised.
void SaveResults(QWidget* window, const report::ResultPictures& pictures, const QImage& logo,
                 QString& previousFileName);

// "Печать": prints the output picture on the default printer, one page, no dialog. Raises an
// error when there is no printer.
void PrintResults(const report::ResultPictures& pictures, const QImage& logo);
