#include "PictureFile.h"
#include "AtomicFile.h"
#include "BitmapFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <system_error>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QImage Noise(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    std::mt19937 random(5);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixel(x, y, static_cast<QRgb>(random()) | 0xFF000000u);
        }
    }
    return picture;
}

std::uint32_t UInt32At(const QByteArray& bytes, int offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + i]);
    }
    return value;
}

std::uint16_t UInt16At(const QByteArray& bytes, int offset) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[offset]) |
                                      (static_cast<std::uint8_t>(bytes[offset + 1]) << 8));
}

QByteArray ReadAll(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Runs the write in a child process that cannot write into read-only folders: the superuser
// ignores folder permissions, so it gives up its rights first. True when the write raised.
bool WriteFailsWithoutSuperuserRights(const QString& fileName, const QImage& picture) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(2);
        }
        try {
            report::WriteBitmapFile(fileName, picture);
        } catch (const std::runtime_error&) {
            _exit(0);
        }
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs the body in a child process; its exit status, or -1 when it did not exit.
template <typename Body> int InChildProcess(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The message of the error the call raises; empty when it raises none.
template <typename Call> QString ErrorOf(Call call) {
    try {
        call();
    } catch (const std::runtime_error& error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

TEST(BitmapFile, HeaderDescribesA32BitUncompressedPicture) {
    QImage picture(1000, 600, QImage::Format_RGB32);
    picture.fill(qRgb(10, 20, 30));
    picture.setPixel(0, 599, qRgb(1, 2, 3)); // bottom-left: the first pixel stored
    picture.setPixel(999, 0, qRgb(4, 5, 6)); // top-right: the last pixel stored

    const QByteArray bytes = report::EncodeBitmap32(picture);
    ASSERT_EQ(bytes.size(), 54 + 1000 * 600 * 4);
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(UInt32At(bytes, 2), 54u + 1000u * 600u * 4u); // file size
    EXPECT_EQ(UInt32At(bytes, 6), 0u);                      // reserved
    EXPECT_EQ(UInt32At(bytes, 10), 54u);                    // offset of the pixels
    EXPECT_EQ(UInt32At(bytes, 14), 40u);                    // information header size
    EXPECT_EQ(UInt32At(bytes, 18), 1000u);                  // width
    EXPECT_EQ(UInt32At(bytes, 22), 600u);                   // height, positive: bottom-up
    EXPECT_EQ(UInt16At(bytes, 26), 1u);                     // planes
    EXPECT_EQ(UInt16At(bytes, 28), 32u);                    // bits per pixel
    EXPECT_EQ(UInt32At(bytes, 30), 0u);                     // no compression
    EXPECT_EQ(UInt32At(bytes, 34), 1000u * 600u * 4u);      // image size

    EXPECT_EQ(bytes.mid(54, 4), QByteArray("\x03\x02\x01\xFF", 4));
    EXPECT_EQ(bytes.right(4), QByteArray("\x06\x05\x04\xFF", 4));
}

TEST(BitmapFile, ReadsBackIdenticallyAndTwoSavesGiveTheSameFile) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QImage picture = Noise(1000, 600);
    const QString first = folder.filePath("first.bmp");
    const QString second = folder.filePath("second.bmp");
    report::WriteBitmapFile(first, picture);
    report::WriteBitmapFile(second, picture);

    const QImage readBack(first);
    ASSERT_FALSE(readBack.isNull());
    EXPECT_EQ(readBack.size(), QSize(1000, 600));
    EXPECT_EQ(readBack.convertToFormat(QImage::Format_RGB32), picture);
    EXPECT_EQ(ReadAll(first), ReadAll(second));

    // Replacing a file of that name.
    WriteAll(second, "old contents");
    report::WriteBitmapFile(second, picture);
    EXPECT_EQ(ReadAll(second), ReadAll(first));
}

TEST(BitmapFile, AFailedWriteLeavesTheExistingFileWhole) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QImage picture = Noise(1000, 600);

    const QString existing = folder.filePath("existing.bmp");
    const QByteArray oldContents("the previous picture");
    WriteAll(existing, oldContents);
    // The file itself may be written: only a writer that truncates it in place could damage it.
    ASSERT_TRUE(QFile::setPermissions(existing, QFile::ReadOwner | QFile::WriteOwner |
                                                    QFile::ReadGroup | QFile::WriteGroup |
                                                    QFile::ReadOther | QFile::WriteOther));
    ASSERT_TRUE(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner |
                                                         QFile::ReadGroup | QFile::ExeGroup |
                                                         QFile::ReadOther | QFile::ExeOther));
    EXPECT_TRUE(WriteFailsWithoutSuperuserRights(existing, picture));
    EXPECT_TRUE(WriteFailsWithoutSuperuserRights(folder.filePath("new.bmp"), picture));
    ASSERT_TRUE(QFile::setPermissions(folder.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EXPECT_EQ(ReadAll(existing), oldContents);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"existing.bmp"});

    try {
        report::WriteBitmapFile(folder.filePath("missing/folder/results.bmp"), picture);
        ADD_FAILURE() << "no error raised";
    } catch (const std::runtime_error& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains("results.bmp")) << error.what();
    }
}

TEST(PictureFile, PngAndOnePagePdfHoldThePictureWhole) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QImage picture = Noise(1000, 600);
    const QString png = folder.filePath("results.png");
    const QString pdf = folder.filePath("results.pdf");
    report::WritePictureFile(png, picture, report::PictureFormat::Png);
    report::WritePictureFile(pdf, picture, report::PictureFormat::Pdf);
    EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), picture);

    QProcess info;
    info.start("pdfinfo", {pdf});
    ASSERT_TRUE(info.waitForFinished()) << "pdfinfo (poppler-utils) is needed";
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QRegularExpression("\\nPages: +1\\n"))) << text.toStdString();
    // Landscape A4: 297 x 210 mm.
    EXPECT_TRUE(text.contains(QRegularExpression("Page size: +842 x 595 pts \\(A4\\)")))
        << text.toStdString();

    // The picture is kept pixel for pixel and spans the page's width, centred: 505 of its 595
    // points high at one pixel a point.
    ASSERT_EQ(QProcess::execute("pdfimages", {"-png", pdf, folder.filePath("stored")}), 0);
    EXPECT_EQ(QImage(folder.filePath("stored-000.png")).convertToFormat(QImage::Format_RGB32),
              picture);
    ASSERT_EQ(QProcess::execute("pdftoppm",
                                {"-r", "72", "-png", "-singlefile", pdf, folder.filePath("page")}),
              0);
    const QImage page(folder.filePath("page.png"));
    ASSERT_EQ(page.size(), QSize(842, 595));
    QImage white(page.width(), 1, page.format());
    white.fill(Qt::white);
    const auto isWhite = [&](int y) { return page.copy(0, y, page.width(), 1) == white; };
    EXPECT_TRUE(isWhite(43) && !isWhite(47) && !isWhite(548) && isWhite(552));
}

TEST(PictureFile, DevicesAndPipesAreRefusedLinksToFilesWrittenThrough) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString pipe = folder.filePath("pipe.png");
    const QString linkToPipe = folder.filePath("to-pipe.png");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(pipe, linkToPipe));
    for (const QString& name : {pipe, linkToPipe}) {
        const QString error = ErrorOf([&] { report::WriteFileAtomically(name, "new"); });
        EXPECT_TRUE(error.contains(name + ": это не обычный файл")) << error.toStdString();
    }
    EXPECT_TRUE(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
    EXPECT_TRUE(QFileInfo(linkToPipe).isSymLink());

    const QString target = folder.filePath("target.png");
    const QString link = folder.filePath("link.png");
    WriteAll(target, "old contents");
    ASSERT_TRUE(QFile::link(target, link));
    report::WriteFileAtomically(link, "new contents");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadAll(target), QByteArray("new contents"));
    EXPECT_EQ(Entries(folder.path()),
              (QStringList{"link.png", "pipe.png", "target.png", "to-pipe.png"}));
}

TEST(PictureFile, AShortWriteGivesTheReasonAndKeepsTheOldFile) {
    // A file allowed to grow to 64 KiB only: the system takes part of the data, as a disk that
    // fills up does, and refuses the rest.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString existing = folder.filePath("results.bmp");
    WriteAll(existing, "the previous picture");
    const int status = InChildProcess([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {65536, 65536};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return 2;
        }
        // The system's reason in the program's words, as every message of the program.
        const QString reason =
            QStringLiteral("файл слишком велик для этого диска; выберите другой диск");
        const QString error = ErrorOf([&] { report::WriteBitmapFile(existing, Noise(1000, 600)); });
        return error == "Не удалось записать файл " + existing + ": " + reason ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadAll(existing), QByteArray("the previous picture"));
    EXPECT_EQ(Entries(folder.path()), QStringList{"results.bmp"});
}
