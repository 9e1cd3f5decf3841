// Turns the user guide, written in HTML, into the PDF file that the program opens as its help.
// Usage: helpdoc <guide.html> <help.pdf>

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: helpdoc <guide.html> <help.pdf>\n");
        return 2;
    }
    const QString sourcePath = QString::fromLocal8Bit(argv[1]);
    const QString pdfPath = QString::fromLocal8Bit(argv[2]);

    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "helpdoc: cannot read %s: %s\n", argv[1],
                     qPrintable(source.errorString()));
        return 1;
    }

    QTextDocument document;
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(11);
    document.setDefaultFont(font);
    document.setHtml(QString::fromUtf8(source.readAll()));

    // Written to a temporary name first, so that a failed run leaves no half-written help.pdf that
    // the build would take as up to date.
    const QString partialPath = pdfPath + QStringLiteral(".part");
    QFile::remove(partialPath);
    {
        QPdfWriter writer(partialPath);
        writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        writer.setCreator(QStringLiteral("Вирасвет"));
        // QTextDocument::print puts its own 2 cm margins and the page numbers inside the page.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        document.print(&writer);
    }
    if (QFileInfo(partialPath).size() == 0) {
        std::fprintf(stderr, "helpdoc: cannot write %s\n", argv[2]);
        QFile::remove(partialPath);
        return 1;
    }
    QFile::remove(pdfPath);
    if (!QFile::rename(partialPath, pdfPath)) {
        std::fprintf(stderr, "helpdoc: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
