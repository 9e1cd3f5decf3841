#pragma once

#include "PictureFile.h"

#include <QFileDialog>
#include <QString>

class QLabel;

// What the user chose in the file dialog of "Сохранить".
struct SaveChoice {
    QString FileName; // empty when the user cancelled
    report::PictureFormat FilterFormat = report::PictureFormat::Bitmap; // of the chosen filter
};

// The file dialog of "Сохранить": filters for bitmaps (first, chosen at start), PNG and PDF; the
// chosen filter's extension added when the user gives none; no overwrite question of its own (the
// caller asks); a preview of the selected picture beside the file list.
class SavePictureDialog : public QFileDialog {
    Q_OBJECT

public:
    explicit SavePictureDialog(QWidget* parent = nullptr);

    // Offers the given file name (the previous save), if any, under the filter of its extension.
    void OfferFileName(const QString& fileName);

    report::PictureFormat SelectedFormat() const;

    // The preview's picture, for tests; null when nothing is previewed.
    QPixmap PreviewPicture() const;

protected:
    void accept() override;

private:
    void ShowPreview(const QString& fileName);

    QLabel* preview_;
};

// Shows the dialog and returns the user's choice; the file name is empty when the user cancels.
SaveChoice AskSaveFileName(QWidget* parent, const QString& previousFileName);
