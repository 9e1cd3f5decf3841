#include "PictureFile.h"
#include "AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <stdexcept>
#include <system_error>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using report::PictureFormat;

namespace {

// Random colours, each channel below 128, so no pixel is white.
QImage DarkNoise(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    std::mt19937 random(11);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixel(x, y, (static_cast<QRgb>(random()) & 0x7F7F7Fu) | 0xFF000000u);
        }
    }
    return picture;
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

QStringList FolderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                  QDir::NoDotAndDotDot);
}

mode_t FileType(const QString& fileName) {
    struct stat status = {};
    return lstat(QFile::encodeName(fileName).constData(), &status) == 0 ? status.st_mode & S_IFMT
                                                                        : 0;
}

QString Reason(int error) {
    return QString::fromStdString(std::system_category().message(error));
}

// Runs the body in a child process and returns its exit status (-1 when it did not exit).
template <typename Body> int InChildProcess(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The error message of the call, or an empty string when it raised none.
template <typename Call> QString ErrorOf(Call call) {
    try {
        call();
    } catch (const std::runtime_error& error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}

QString Output(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

bool RowIs(const QImage& page, int y, bool white) {
    for (int x = 0; x < page.width(); ++x) {
        if ((page.pixel(x, y) == qRgb(255, 255, 255)) != white) {
            return false;
        }
    }
    return true;
}

// Takes the first `room` bytes, then fails as a full disk does.
class FullDisk : public QIODevice {
public:
    explicit FullDisk(qint64 room) : room_(room) {}

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        if (room_ == 0) {
            setErrorString(Reason(ENOSPC));
            return -1;
        }
        const qint64 taken = std::min(size, room_);
        room_ -= taken;
        return taken;
    }

private:
    qint64 room_;
};

} // namespace

TEST(PictureFile, PngReadsBackPixelIdenticalAndTheExtensionChoosesTheFormat) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QImage picture = DarkNoise(1000, 600);
    const QString fileName = folder.filePath("results.png");
    report::WritePictureFile(fileName, picture, PictureFormat::Png);
    EXPECT_EQ(QImage(fileName, "png").convertToFormat(QImage::Format_RGB32), picture);

    EXPECT_EQ(report::PictureFormatOf("a.PNG", PictureFormat::Bitmap), PictureFormat::Png);
    EXPECT_EQ(report::PictureFormatOf("a.pdf", PictureFormat::Png), PictureFormat::Pdf);
    EXPECT_EQ(report::PictureFormatOf("a.Bmp", PictureFormat::Pdf), PictureFormat::Bitmap);
    EXPECT_EQ(report::PictureFormatOf("png.pdf/a", PictureFormat::Png), PictureFormat::Png);
}

TEST(PictureFile, PdfIsOneLandscapeA4PageFilledByTheWholePicture) {
    for (const char* tool : {"pdfinfo", "pdfimages", "pdftoppm"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            GTEST_SKIP() << tool << " is not installed";
        }
    }
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QImage picture = DarkNoise(1000, 600);
    const QString pdf = folder.filePath("results.pdf");
    report::WritePictureFile(pdf, picture, PictureFormat::Pdf);

    const QString info = Output("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression("\nPages: +1\n"))) << info.toStdString();
    const auto size = QRegularExpression("Page size: +([0-9.]+) x ([0-9.]+) pts").match(info);
    ASSERT_TRUE(size.hasMatch()) << info.toStdString();
    EXPECT_NEAR(size.captured(1).toDouble(), 841.89, 0.5); // A4 across: 297 mm
    EXPECT_NEAR(size.captured(2).toDouble(), 595.28, 0.5); // 210 mm

    // The picture is stored as it is, every pixel.
    ASSERT_EQ(QProcess::execute("pdfimages", {"-png", pdf, folder.filePath("image")}), 0);
    EXPECT_EQ(FolderEntries(folder.path()), (QStringList{"image-000.png", "results.pdf"}));
    EXPECT_EQ(QImage(folder.filePath("image-000.png")).convertToFormat(QImage::Format_RGB32),
              picture);

    // At one pixel a point the picture spans the width and is 505 high, 45 from the top.
    ASSERT_EQ(QProcess::execute("pdftoppm",
                                {"-r", "72", "-png", "-singlefile", pdf, folder.filePath("page")}),
              0);
    const QImage page(folder.filePath("page.png"));
    ASSERT_EQ(page.size(), QSize(842, 595));
    EXPECT_TRUE(RowIs(page, 43, true) && RowIs(page, 47, false));
    EXPECT_TRUE(RowIs(page, 548, false) && RowIs(page, 552, true));
}

TEST(PictureFile, DevicesAndPipesAreRefusedLinksToFilesWrittenThrough) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QImage picture = DarkNoise(1000, 600);
    const QString pipe = folder.filePath("pipe.png");
    const QString linkToPipe = folder.filePath("to-pipe.png");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(pipe, linkToPipe));
    for (const QString& name : {pipe, linkToPipe}) {
        const QString error =
            ErrorOf([&] { report::WritePictureFile(name, picture, PictureFormat::Png); });
        EXPECT_TRUE(error.contains(name) && error.contains("не обычный файл"))
            << error.toStdString();
    }
    EXPECT_EQ(FileType(pipe), S_IFIFO);
    EXPECT_EQ(FileType(linkToPipe), S_IFLNK);

    const QString target = folder.filePath("target.png");
    const QString link = folder.filePath("link.png");
    WriteAll(target, "old contents");
    ASSERT_TRUE(QFile::link(target, link));
    report::WritePictureFile(link, picture, PictureFormat::Png);
    EXPECT_EQ(FileType(link), S_IFLNK);
    EXPECT_EQ(QImage(target, "png").convertToFormat(QImage::Format_RGB32), picture);
    EXPECT_EQ(FolderEntries(folder.path()),
              (QStringList{"link.png", "pipe.png", "target.png", "to-pipe.png"}));

    // A device, tried by a process that may not change /dev: a fault cannot replace the node.
    ASSERT_EQ(FileType("/dev/null"), S_IFCHR);
    const int status = InChildProcess([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            return 77;
        }
        if (access("/dev", W_OK) == 0) {
            return 77;
        }
        return ErrorOf([] {
                   report::WriteFileAtomically("/dev/null", "x");
               }).contains("/dev/null: это не обычный файл")
                   ? 0
                   : 1;
    });
    EXPECT_TRUE(status == 0 || status == 77) << status;
    EXPECT_EQ(FileType("/dev/null"), S_IFCHR);
}

TEST(PictureFile, AFailedWriteGivesTheSystemsReasonAndKeepsTheOldFile) {
    FullDisk disk(1000);
    ASSERT_TRUE(disk.open(QIODevice::WriteOnly));
    const QString error =
        ErrorOf([&] { report::WriteAll(disk, QByteArray(5000, 'x'), "results.png"); });
    EXPECT_EQ(error.toStdString(),
              ("Не удалось записать файл results.png: " + Reason(ENOSPC)).toStdString());

    // A real file allowed to grow to 64 KiB only: the system takes part of the data, then refuses.
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
        const QString error = ErrorOf([&] {
            report::WritePictureFile(existing, DarkNoise(1000, 600), PictureFormat::Bitmap);
        });
        return error.endsWith(": " + Reason(EFBIG)) ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadAll(existing), QByteArray("the previous picture"));
    EXPECT_EQ(FolderEntries(folder.path()), QStringList{"results.bmp"});
}
