// Turns the user guide, written in HTML, into the PDF file that the program opens as its help: A4
// pages with 2 cm margins, a table of contents with the page of every section (each <h2> of the
// source), a section's heading never alone at the foot of a page, "стр. N из M" under each page.
// Usage: helpdoc <guide.html> <help.pdf>

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>

#include <cstdio>

namespace {

constexpr double MarginMillimetres = 20;
constexpr double FooterPoints = 9;
const QColor HeadingColour(0x0d, 0x3b, 0x66);

// The sections' headings, in the order they appear.
QList<QTextBlock> SectionHeadings(const QTextDocument& document) {
    QList<QTextBlock> headings;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 2) {
            headings << block;
        }
    }
    return headings;
}

// The contents, put before the first section: "Содержание" and a row per section, its heading
// and (for now) no page. Returns the table whose second column gets the pages.
QTextTable* InsertContents(const QList<QTextBlock>& headings) {
    QTextCursor cursor(headings.front().previous());
    cursor.movePosition(QTextCursor::EndOfBlock);
    QTextBlockFormat titleBlock;
    titleBlock.setTopMargin(16);
    titleBlock.setBottomMargin(4);
    QTextCharFormat title;
    title.setFontPointSize(14);
    title.setFontWeight(QFont::Bold);
    title.setForeground(HeadingColour);
    cursor.insertBlock(titleBlock, title);
    cursor.insertText(QStringLiteral("Содержание"), title);

    QTextTableFormat table;
    table.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    table.setCellPadding(2);
    table.setCellSpacing(0);
    table.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    table.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 90),
                                     QTextLength(QTextLength::PercentageLength, 10)});
    QTextTable* contents = cursor.insertTable(static_cast<int>(headings.size()), 2, table);
    QTextCharFormat entry;
    entry.setFontPointSize(11);
    for (int row = 0; row < headings.size(); ++row) {
        contents->cellAt(row, 0).firstCursorPosition().insertText(headings[row].text(), entry);
    }
    return contents;
}

// The page (1-based) where the block's first line is laid out.
int PageOf(const QTextBlock& block, double pageHeight) {
    const QTextLayout* layout = block.layout();
    const double top =
        layout->position().y() + (layout->lineCount() > 0 ? layout->lineAt(0).y() : 0.0);
    return static_cast<int>(top / pageHeight) + 1;
}

// Starts a new page at every heading that would stand at the foot of a page with its text on the
// next one. Returns whether any heading moved.
bool KeepHeadingsWithText(const QList<QTextBlock>& headings, double pageHeight) {
    bool moved = false;
    for (const QTextBlock& heading : headings) {
        const QTextBlock text = heading.next();
        if (!text.isValid() || PageOf(text, pageHeight) == PageOf(heading, pageHeight)) {
            continue;
        }
        QTextBlockFormat format;
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(heading).mergeBlockFormat(format);
        moved = true;
    }
    return moved;
}

// Writes each section's page into the contents. Returns whether any page changed.
bool FillPages(QTextTable& contents, const QList<QTextBlock>& headings, double pageHeight) {
    bool changed = false;
    for (int row = 0; row < headings.size(); ++row) {
        const QString page = QString::number(PageOf(headings[row], pageHeight));
        const QTextTableCell cell = contents.cellAt(row, 1);
        QTextCursor cursor = cell.firstCursorPosition();
        cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        if (cursor.selectedText() == page) {
            continue;
        }
        QTextBlockFormat right;
        right.setAlignment(Qt::AlignRight);
        cursor.mergeBlockFormat(right);
        QTextCharFormat entry;
        entry.setFontPointSize(11);
        cursor.insertText(page, entry);
        changed = true;
    }
    return changed;
}

// Lays the document out on the writer's pages and completes the contents. A page number in the
// contents can move a heading only when the contents grow, so a few rounds settle it.
void Paginate(QTextDocument& document, QPdfWriter& writer) {
    document.documentLayout()->setPaintDevice(&writer);
    // The layout takes lengths at 96 dots an inch and scales them to the device.
    QTextFrameFormat frame = document.rootFrame()->frameFormat();
    frame.setMargin(MarginMillimetres / 25.4 * 96);
    document.rootFrame()->setFrameFormat(frame);
    document.setPageSize(QSizeF(writer.width(), writer.height()));
    const double pageHeight = document.pageSize().height();

    const QList<QTextBlock> headings = SectionHeadings(document);
    if (headings.isEmpty() || !headings.front().previous().isValid()) {
        return;
    }
    // Laid out whole before the contents go in: a document changed before its first full layout
    // is laid out only up to a point (Qt 6.4).
    document.pageCount();
    QTextTable* contents = InsertContents(headings);
    for (int round = 0; round < 5; ++round) {
        document.pageCount(); // the layout works lazily: counting the pages completes it
        const bool moved = KeepHeadingsWithText(headings, pageHeight);
        if (!FillPages(*contents, headings, pageHeight) && !moved) {
            return;
        }
    }
}

void DrawPages(const QTextDocument& document, QPdfWriter& writer) {
    QPainter painter(&writer);
    const QSizeF page = document.pageSize();
    const int pages = document.pageCount();
    QFont footer = document.defaultFont();
    footer.setPointSizeF(FooterPoints);
    const double margin = MarginMillimetres / 25.4 * writer.logicalDpiY();
    for (int index = 0; index < pages; ++index) {
        if (index > 0) {
            writer.newPage();
        }
        painter.save();
        painter.translate(0, -index * page.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, index * page.height(), page.width(), page.height());
        context.palette.setColor(QPalette::Text, Qt::black);
        painter.setClipRect(context.clip);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
        painter.setFont(footer);
        painter.drawText(QRectF(0, page.height() - margin, page.width(), margin / 2),
                         Qt::AlignCenter,
                         QStringLiteral("стр. %1 из %2").arg(index + 1).arg(pages));
    }
}

} // namespace

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
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        Paginate(document, writer);
        DrawPages(document, writer);
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
