#include "ResultsOutput.h"
#include "CalculatedResults.h"
#include "MessageBoxes.h"
#include "PageComposer.h"
#include "SavePictureDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace {

report::ResultPictures ColouredPictures() {
    report::ResultPictures pictures;
    pictures.ReportBitmap = QImage(550, 300, QImage::Format_RGB32);
    pictures.ReportBitmap.fill(qRgb(0, 160, 0));
    pictures.MonthlyChartBitmap = QImage(550, 350, QImage::Format_RGB32);
    pictures.MonthlyChartBitmap.fill(qRgb(0, 0, 160));
    pictures.CostChartBitmap = QImage(450, 650, QImage::Format_RGB32);
    pictures.CostChartBitmap.fill(qRgb(160, 0, 0));
    return pictures;
}

QImage Logo() {
    QImage logo(181, 33, QImage::Format_RGB32);
    logo.fill(qRgb(20, 20, 20));
    return logo;
}

QByteArray ReadAll(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Stands in for the file dialog and the confirmation box and records what they were asked.
class SaveResultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        savedBoxes_ = MessageBoxes::Current();
        MessageBoxes::Current().Confirm = [this](QWidget*, const QString& question) {
            questions_.push_back(question);
            return replaceAnswer_;
        };
    }
    void TearDown() override { MessageBoxes::Current() = savedBoxes_; }

    void Save(const QString& chosenFileName,
              report::PictureFormat filterFormat = report::PictureFormat::Bitmap) {
        SaveResults(
            nullptr,
            {pictures_, figures_.Parameters, figures_.Result, figures_.View, figures_.Locale},
            logo_, previousFileName_,
            [this, chosenFileName, filterFormat](QWidget*, const QString& offered) {
                offeredFileNames_.push_back(offered);
                return SaveChoice{chosenFileName, filterFormat};
            });
    }

    QTemporaryDir folder_;
    MessageBoxes savedBoxes_;
    report::ResultPictures pictures_ = ColouredPictures();
    test_support::CalculatedResults figures_; // what a PDF draws
    QImage logo_ = Logo();
    QString previousFileName_;
    bool replaceAnswer_ = true;
    std::vector<QString> questions_;
    std::vector<QString> offeredFileNames_;
};

} // namespace

TEST_F(SaveResultsTest, NewFileIsWrittenWithoutAQuestion) {
    const QString fileName = folder_.filePath("results.bmp");
    Save(fileName);

    EXPECT_TRUE(questions_.empty());
    EXPECT_EQ(offeredFileNames_, std::vector<QString>{QString()});
    EXPECT_EQ(previousFileName_, fileName);
    const QImage saved(fileName);
    EXPECT_EQ(saved.size(), QSize(1000, 600));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              report::ComposeOutputPicture(pictures_, logo_));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SaveResultsTest, SecondSaveOffersTheFirstNameAndAsksBeforeReplacing) {
    const QString fileName = folder_.filePath("results.bmp");
    Save(fileName);
    const QByteArray firstSave = ReadAll(fileName);

    // Cancel leaves the file as it was.
    pictures_.ReportBitmap.fill(qRgb(255, 255, 0));
    replaceAnswer_ = false;
    Save(fileName);
    ASSERT_EQ(offeredFileNames_.size(), 2u);
    EXPECT_EQ(offeredFileNames_[1], fileName);
    EXPECT_EQ(questions_, std::vector<QString>{QStringLiteral("Файл существует. Заменить?")});
    EXPECT_EQ(ReadAll(fileName), firstSave);

    // OK replaces it; the same pictures give the same file.
    pictures_ = ColouredPictures();
    replaceAnswer_ = true;
    Save(fileName);
    EXPECT_EQ(questions_.size(), 2u);
    EXPECT_EQ(ReadAll(fileName), firstSave);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SaveResultsTest, CancelledDialogWritesNothing) {
    previousFileName_ = folder_.filePath("earlier.bmp");
    Save(QString());
    EXPECT_EQ(offeredFileNames_, std::vector<QString>{folder_.filePath("earlier.bmp")});
    EXPECT_EQ(previousFileName_, folder_.filePath("earlier.bmp"));
    EXPECT_TRUE(QDir(folder_.path()).isEmpty());
    EXPECT_TRUE(questions_.empty());
}

TEST_F(SaveResultsTest, FailedWriteRaisesAndRestoresTheCursor) {
    // A folder of the chosen name is not a file to be replaced: no question, the write fails.
    const QString fileName = folder_.filePath("taken.bmp");
    ASSERT_TRUE(QDir(folder_.path()).mkdir("taken.bmp"));
    EXPECT_THROW(Save(fileName), std::runtime_error);
    EXPECT_TRUE(questions_.empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(QFileInfo(fileName).isDir());
}

TEST_F(SaveResultsTest, TheTypedExtensionChoosesTheFormatElseTheFilter) {
    using report::PictureFormat;
    const struct {
        const char* name;
        PictureFormat filter;
        QByteArray start;
    } cases[] = {{"a.png", PictureFormat::Bitmap, "\x89PNG"},
                 {"b", PictureFormat::Png, "\x89PNG"},
                 {"c.PDF", PictureFormat::Png, "%PDF-"},
                 {"d.bmp", PictureFormat::Pdf, "BM"},
                 {"e.txt", PictureFormat::Pdf, "%PDF-"}};
    for (const auto& [name, filter, start] : cases) {
        Save(folder_.filePath(name), filter);
        EXPECT_TRUE(ReadAll(folder_.filePath(name)).startsWith(start)) << name;
    }
    EXPECT_TRUE(questions_.empty());
}

TEST_F(SaveResultsTest, APipeIsAskedAboutThenRefusedAndLeftAlone) {
    const QString pipe = folder_.filePath("results.bmp");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_THROW(Save(pipe), std::runtime_error);
    EXPECT_EQ(questions_, std::vector<QString>{QStringLiteral("Файл существует. Заменить?")});
    EXPECT_TRUE(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(PrintResults, WithoutADefaultPrinterRaisesAClearError) {
    // main() points the print system at a server that does not exist.
    try {
        const test_support::CalculatedResults calculated;
        PrintResults(calculated.Page(), Logo());
        ADD_FAILURE() << "no error raised";
    } catch (const std::runtime_error& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QStringLiteral("Принтер")))
            << error.what();
    }
}

TEST(SavePictureDialog, AsksForABitmapWithAPreview) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString fileName = folder.filePath("results.bmp");
    ASSERT_TRUE(Logo().save(fileName, "BMP"));

    SavePictureDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Сохранение расчетов"));
    EXPECT_EQ(dialog.nameFilters(), (QStringList{QStringLiteral("Рисунок BMP (*.bmp)"),
                                                 "Рисунок PNG (*.png)", "Документ PDF (*.pdf)"}));
    EXPECT_EQ(dialog.selectedNameFilter(), QStringLiteral("Рисунок BMP (*.bmp)"));
    EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("bmp"));
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_TRUE(dialog.PreviewPicture().isNull());

    dialog.OfferFileName(fileName);
    EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(folder.path()).canonicalPath());
    EXPECT_FALSE(dialog.PreviewPicture().isNull());
}

TEST(SavePictureDialog, ANameWithoutExtensionTakesTheChosenFilters) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto accept = [&](SavePictureDialog& dialog, const QString& typed) {
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(typed);
        QMetaObject::invokeMethod(&dialog, "accept");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        return QFileInfo(dialog.selectedFiles().value(0)).fileName();
    };
    for (const auto& [filter, suffix] : {std::pair{"Рисунок BMP (*.bmp)", "bmp"},
                                         {"Рисунок PNG (*.png)", "png"},
                                         {"Документ PDF (*.pdf)", "pdf"}}) {
        SavePictureDialog dialog;
        dialog.setDirectory(folder.path());
        dialog.selectNameFilter(filter);
        EXPECT_EQ(accept(dialog, "name"), QStringLiteral("name.") + suffix);
    }

    // The previous name comes back under the filter of its extension.
    SavePictureDialog dialog;
    dialog.OfferFileName(folder.filePath("earlier.pdf"));
    EXPECT_EQ(dialog.SelectedFormat(), report::PictureFormat::Pdf);
    EXPECT_EQ(accept(dialog, "later"), "later.pdf");
}

int main(int argc, char** argv) {
    // Set here as well as in the test's environment, because test discovery runs the program too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // No test here may reach a real printer.
    qputenv("CUPS_SERVER", "/nonexistent/virasvet-tests/cups.sock");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
