#pragma once

#include <QFileDialog>
#include <QString>

class QLabel;

// The file dialog of "Сохранить": one filter for bitmaps, the extension added when the user gives
// none, no overwrite question of its own (the caller asks), and a preview of the selected picture
// beside the file list.
class SavePictureDialog : public QFileDialog {
    Q_OBJECT

public:
    explicit SavePictureDialog(QWidget* parent = nullptr);

    // Offers the given file name (the previous save), if any.
    void OfferFileName(const QString& fileName);

    // The preview's picture, for tests; null when nothing is previewed.
    QPixmap PreviewPicture() const;

private:
    void ShowPreview(const QString& fileName);

    QLabel* preview_;
};

// Shows the dialog and returns the chosen file name, or an empty string when the user cancels.
QString AskSaveFileName(QWidget* parent, const QString& previousFileName);
