#include "SavePictureDialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

#include <array>

namespace {

constexpr int PreviewSide = 160;

struct SaveFileType {
    QString Filter;
    QString Suffix;
    report::PictureFormat Format;
};

const std::array<SaveFileType, 3> SaveFileTypes = {{
    {QStringLiteral("Рисунок BMP (*.bmp)"), QStringLiteral("bmp"), report::PictureFormat::Bitmap},
    {QStringLiteral("Рисунок PNG (*.png)"), QStringLiteral("png"), report::PictureFormat::Png},
    {QStringLiteral("Документ PDF (*.pdf)"), QStringLiteral("pdf"), report::PictureFormat::Pdf},
}};

const SaveFileType& FileTypeOf(report::PictureFormat format) {
    for (const SaveFileType& type : SaveFileTypes) {
        if (type.Format == format) {
            return type;
        }
    }
    return SaveFileTypes.front();
}

const SaveFileType& FileTypeOfFilter(const QString& filter) {
    for (const SaveFileType& type : SaveFileTypes) {
        if (type.Filter == filter) {
            return type;
        }
    }
    return SaveFileTypes.front();
}

} // namespace

SavePictureDialog::SavePictureDialog(QWidget* parent)
    : QFileDialog(parent), preview_(new QLabel(this)) {
    // The preview needs the toolkit's own dialog: a native one cannot take an extra widget.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setWindowTitle(QStringLiteral("Сохранение расчетов"));
    QStringList filters;
    for (const SaveFileType& type : SaveFileTypes) {
        filters.append(type.Filter);
    }
    setNameFilters(filters);
    setDefaultSuffix(SaveFileTypes.front().Suffix);

    preview_->setObjectName(QStringLiteral("Preview"));
    preview_->setFixedSize(PreviewSide, PreviewSide);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(preview_, 1, grid->columnCount(), Qt::AlignTop);
    }
    connect(this, &QFileDialog::currentChanged, this, &SavePictureDialog::ShowPreview);
    // Choosing a filter changes the extension of the name being typed.
    connect(this, &QFileDialog::filterSelected, this, [this](const QString& filter) {
        setDefaultSuffix(FileTypeOfFilter(filter).Suffix);
        ShowPreview(selectedFiles().value(0));
    });
}

void SavePictureDialog::OfferFileName(const QString& fileName) {
    if (fileName.isEmpty()) {
        return;
    }
    // Before the name: choosing a filter puts its extension on the name in the edit field.
    const SaveFileType& type = FileTypeOf(report::PictureFormatOf(fileName, SelectedFormat()));
    selectNameFilter(type.Filter);
    const QFileInfo info(fileName);
    setDirectory(info.absolutePath());
    selectFile(info.fileName());
    ShowPreview(info.absoluteFilePath());
}

report::PictureFormat SavePictureDialog::SelectedFormat() const {
    return FileTypeOfFilter(selectedNameFilter()).Format;
}

void SavePictureDialog::accept() {
    // A filter chosen from code is not announced, so its extension is taken again here: a name
    // typed without one gets the chosen filter's.
    setDefaultSuffix(FileTypeOfFilter(selectedNameFilter()).Suffix);
    QFileDialog::accept();
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

SaveChoice AskSaveFileName(QWidget* parent, const QString& previousFileName) {
    SavePictureDialog dialog(parent);
    dialog.OfferFileName(previousFileName);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return {dialog.selectedFiles().value(0), dialog.SelectedFormat()};
}
