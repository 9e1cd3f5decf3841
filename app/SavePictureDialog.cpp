#include "SavePictureDialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

namespace {

constexpr int PreviewSide = 160;

} // namespace

SavePictureDialog::SavePictureDialog(QWidget* parent)
    : QFileDialog(parent), preview_(new QLabel(this)) {
    // The preview needs the toolkit's own dialog: a native one cannot take an extra widget.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setWindowTitle(QStringLiteral("Сохранение расчетов"));
    setNameFilter(QStringLiteral("Bitmaps (*.bmp)"));
    setDefaultSuffix(QStringLiteral("bmp"));

    preview_->setObjectName(QStringLiteral("Preview"));
    preview_->setFixedSize(PreviewSide, PreviewSide);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(preview_, 1, grid->columnCount(), Qt::AlignTop);
    }
    connect(this, &QFileDialog::currentChanged, this, &SavePictureDialog::ShowPreview);
}

void SavePictureDialog::OfferFileName(const QString& fileName) {
    if (fileName.isEmpty()) {
        return;
    }
    const QFileInfo info(fileName);
    setDirectory(info.absolutePath());
    selectFile(info.fileName());
    ShowPreview(info.absoluteFilePath());
}

QPixmap SavePictureDialog::PreviewPicture() const {
    return preview_->pixmap();
}

void SavePictureDialog::ShowPreview(const QString& fileName) {
    QImageReader reader(fileName);
    QImage picture;
    if (QFileInfo(fileName).isFile() && reader.canRead()) {
        picture = reader.read();
    }
    if (picture.isNull()) {
        preview_->clear();
        return;
    }
    preview_->setPixmap(QPixmap::fromImage(
        picture.scaled(preview_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

QString AskSaveFileName(QWidget* parent, const QString& previousFileName) {
    SavePictureDialog dialog(parent);
    dialog.OfferFileName(previousFileName);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0);
}
