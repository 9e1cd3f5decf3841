#include "CalculatedResults.h"
#include "LayoutComparison.h"
#include "PageComposer.h"
#include "ResultsPage.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>

// Shows the comparison's findings as text in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

using test_support::CalculatedResults;
using test_support::LayoutDifferenceOf;

namespace {

QImage Logo() {
    QImage logo(181, 33, QImage::Format_RGB32);
    logo.fill(qRgb(20, 40, 160));
    return logo;
}

// A white picture of `size` logical pixels at the device pixel ratio.
QImage WhitePicture(QSize size, double ratio) {
    QImage picture((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::white);
    return picture;
}

QImage OutputPageAt(const report::ResultsPage& page, double ratio) {
    QImage picture = WhitePicture(QSize(report::OutputWidth, report::OutputHeight), ratio);
    QPainter painter(&picture);
    report::DrawOutputPage(painter, page, Logo());
    return picture;
}

// The window's results area (pictures only) as ScreenPictures paints it at the ratio.
QImage WindowAt(const report::ResultsPage& page, double ratio, report::ScreenPictures& screen) {
    QImage picture = WhitePicture(QSize(1000, 642), ratio);
    QPainter painter(&picture);
    screen.Paint(painter, page, QSize(1000, 642));
    return picture;
}

QImage ScaledTo(const QImage& picture, QSize size) {
    QImage plain = picture;
    plain.setDevicePixelRatio(1);
    return plain.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// 2 x 2 blocks whose pixels are not all alike: none in a picture merely enlarged from half its
// size.
int DetailedBlocks(const QImage& picture) {
    int count = 0;
    for (int y = 0; y + 1 < picture.height(); y += 2) {
        for (int x = 0; x + 1 < picture.width(); x += 2) {
            const QRgb first = picture.pixel(x, y);
            if (picture.pixel(x + 1, y) != first || picture.pixel(x, y + 1) != first ||
                picture.pixel(x + 1, y + 1) != first) {
                ++count;
            }
        }
    }
    return count;
}

QString OutputOf(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return QStringLiteral("<%1 failed>").arg(program);
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

// The comparison the tests below rest on: it must see an element moved or left out.
TEST(LayoutComparison, SeesAMovedBarAMissingCaptionAndAShiftedCurve) {
    const CalculatedResults calculated;
    const QImage picture = report::ComposeOutputPicture(calculated.Pictures, Logo());
    EXPECT_EQ(LayoutDifferenceOf(picture, picture), QString());

    QImage moved = picture.copy();
    QPainter painter(&moved);
    const QRect bars(50 + 110, 320 + 50, 210, 200); // both monthly bars
    painter.drawImage(bars.topLeft() + QPoint(5, 0), picture.copy(bars));
    painter.end();
    EXPECT_NE(LayoutDifferenceOf(picture, moved), QString());

    QImage blank = picture.copy();
    painter.begin(&blank);
    painter.fillRect(QRect(550 + 393, 533, 40, 16), Qt::white); // the caption "дней"
    painter.end();
    EXPECT_NE(LayoutDifferenceOf(picture, blank), QString());

    QImage shifted = picture.copy();
    painter.begin(&shifted);
    const QRect plot(550 + 11, 0, 400, 549); // the curves above the axis
    painter.drawImage(plot.topLeft() + QPoint(0, 4), picture.copy(plot));
    painter.end();
    EXPECT_NE(LayoutDifferenceOf(picture, shifted), QString());
}

TEST(OutputPage, DrawnAtOnePixelAPixelIsTheSavedPicture) {
    CalculatedResults calculated;
    calculated.Parameters.Address = "ул. Садовая д. 7";
    calculated.Parameters.ManagementCompany = "ТСЖ «Рассвет»";
    calculated.View.XScale = 0.25;
    calculated.Draw();
    EXPECT_EQ(OutputPageAt(calculated.Page(), 1),
              report::ComposeOutputPicture(calculated.Pictures, Logo()));
}

TEST(OutputPage, AtRatioTwoHasTwiceThePixelsInTheSameLayout) {
    const CalculatedResults calculated;
    const QImage saved = report::ComposeOutputPicture(calculated.Pictures, Logo());
    const QImage sharp = OutputPageAt(calculated.Page(), 2);
    ASSERT_EQ(sharp.size(), QSize(2000, 1200));
    EXPECT_EQ(LayoutDifferenceOf(saved, ScaledTo(sharp, saved.size())), QString());
    // Drawn at the ratio, not enlarged: text and slanted curves have detail within 2 x 2 blocks.
    EXPECT_GT(DetailedBlocks(sharp), 3000);
}

TEST(ScreenPictures, FollowTheRatioAndShowTheWindowsPicturesAtOne) {
    CalculatedResults calculated;
    report::ScreenPictures screen;
    const QImage atOne = WindowAt(calculated.Page(), 1, screen);
    QImage expected = WhitePicture(QSize(1000, 642), 1);
    {
        QPainter painter(&expected);
        painter.drawImage(10, 20, calculated.Pictures.ReportBitmap);
        painter.drawImage(50, 320, calculated.Pictures.MonthlyChartBitmap);
        painter.drawImage(550, 1, calculated.Pictures.CostChartBitmap);
    }
    EXPECT_EQ(atOne, expected);

    for (const double ratio : {1.5, 2.0}) {
        const QImage sharp = WindowAt(calculated.Page(), ratio, screen);
        EXPECT_EQ(LayoutDifferenceOf(atOne, ScaledTo(sharp, atOne.size())), QString()) << ratio;
    }
    const int detail = DetailedBlocks(WindowAt(calculated.Page(), 2, screen));
    EXPECT_GT(detail, 3000);

    // A zoom repaints the chart picture: the screen's copy follows it.
    calculated.View.XScale = 2;
    calculated.Draw();
    const QImage zoomed = WindowAt(calculated.Page(), 2, screen);
    EXPECT_EQ(
        LayoutDifferenceOf(WindowAt(calculated.Page(), 1, screen), ScaledTo(zoomed, atOne.size())),
        QString());
    EXPECT_NE(LayoutDifferenceOf(atOne, ScaledTo(zoomed, atOne.size())), QString());
}

TEST(ResultsPdf, HoldsTheTableAsTextInEmbeddedFontsAndTheLayoutOfThePng) {
    CalculatedResults calculated;
    calculated.Parameters.Address = "ул. Садовая д. 7";
    calculated.Draw();
    const report::ResultsPage page = calculated.Page();
    EXPECT_EQ(report::DocumentTitle(QStringLiteral("Вирасвет"), page),
              QStringLiteral("Вирасвет — ул. Садовая д. 7"));

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString pdf = folder.filePath("results.pdf");
    {
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            report::EncodeResultsPdf(page, Logo(), QStringLiteral("Вирасвет — ул. Садовая д. 7")));
    }

#ifdef _WIN32
    GTEST_SKIP() << "Poppler's tools, which read the PDF here, are not part of the Windows build";
#endif
    const QString info = OutputOf("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression("\\nPages: +1\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size: +842 x 595 pts \\(A4\\)")))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Title: +Вирасвет — ул. Садовая д. 7\\n")))
        << info.toStdString();

    // -raw: in the order drawn, one caption a line.
    const QString text = OutputOf("pdftotext", {"-raw", pdf, "-"});
    const std::vector<report::ReportRow> rows =
        report::ReportRows(calculated.Parameters, calculated.Result, calculated.Locale);
    QStringList expected = {QStringLiteral("Параметры проекта"),
                            QStringLiteral("План. схема"),
                            QStringLiteral("Затраты на электроэнергию в месяц (на дом)"),
                            QStringLiteral("Текущая схема"),
                            QStringLiteral("Планируемая схема"),
                            QStringLiteral("ул. Садовая д. 7")};
    for (const report::ReportRow& row : rows) {
        expected << row.Label.trimmed() << row.ExistingValue << row.PlannedValue;
    }
    for (const QString& caption : expected) {
        EXPECT_TRUE(text.contains(caption)) << caption.toStdString() << "\n" << text.toStdString();
    }

    const QString fonts = OutputOf("pdffonts", {pdf});
    EXPECT_TRUE(
        fonts.contains(QRegularExpression("LiberationSans[^\\n]* yes +(yes|no) +(yes|no) +\\d")))
        << fonts.toStdString();

    // Rendered so that the page's width is 1000 pixels: the picture fills it, centred.
    const QString rendered = folder.filePath("page");
    ASSERT_EQ(
        OutputOf("pdftoppm", {"-scale-to-x", "1000", "-scale-to-y", "707", "-x", "0", "-y", "53",
                              "-W", "1000", "-H", "600", "-png", "-singlefile", pdf, rendered}),
        QString());
    const QImage drawn(rendered + ".png");
    ASSERT_EQ(drawn.size(), QSize(1000, 600));
    EXPECT_EQ(LayoutDifferenceOf(report::ComposeOutputPicture(calculated.Pictures, Logo()), drawn),
              QString());
}
