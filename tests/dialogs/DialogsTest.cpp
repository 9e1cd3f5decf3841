#include "AboutDialog.h"
#include "Help.h"
#include "IntSpinEdit.h"
#include "JpegImage.h"
#include "MessageBoxes.h"
#include "SettingsDialog.h"
#include "Translations.h"
#include "ui_AboutDialog.h"
#include "ui_SettingsDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <functional>

namespace {

model::ProjectParameters DefaultParameters() {
    model::ProjectParameters parameters;
    model::SetDefaultParameters(parameters);
    return parameters;
}

QByteArray ResourceBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

// The text of the built user guide as pdftotext gives it (pages apart by form feeds).
QString GuideText(const QStringList& options) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               options + QStringList{QStringLiteral(BUILT_HELP_DOCUMENT), QStringLiteral("-")});
    if (!text.waitForFinished(30000)) {
        return {};
    }
    return QString::fromUtf8(text.readAllStandardOutput());
}

// The rows of the guide's contents, "N. Section ... page", each title with its page.
QList<std::pair<QString, int>> ContentsRows(const QStringList& pages) {
    const QRegularExpression row(QStringLiteral("^\\s*(\\d+\\. .*\\S)\\s{2,}(\\d+)\\s*$"));
    for (const QString& page : pages) {
        const QStringList lines = page.split(u'\n');
        const qsizetype title =
            lines.indexOf(QRegularExpression(QStringLiteral("^\\s*Содержание\\s*$")));
        if (title < 0) {
            continue;
        }
        QList<std::pair<QString, int>> rows;
        for (qsizetype at = title + 1; at < lines.size(); ++at) {
            const QRegularExpressionMatch entry = row.match(lines[at]);
            if (entry.hasMatch()) {
                rows.append({entry.captured(1).simplified(), entry.captured(2).toInt()});
            } else if (!lines[at].trimmed().isEmpty()) {
                break;
            }
        }
        return rows;
    }
    return {};
}

// Runs the dialog modally, does what closes it from inside the modal loop and returns the result;
// -1 when it did not close within two seconds.
int RunModal(QDialog& dialog, const std::function<void()>& close) {
    QTimer::singleShot(0, &dialog, close);
    QTimer::singleShot(2000, &dialog, [&dialog] { dialog.done(-1); });
    return dialog.exec();
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

    QStringList errors_;
    QList<QUrl> opened_;
    bool shellOpens_ = true;

private slots:
    void initTestCase() {
        MessageBoxes& boxes = MessageBoxes::Current();
        boxes.ShowError = [this](QWidget*, const QString& message) { errors_ << message; };
        boxes.ShowInformation = [this](QWidget*, const QString& message) { errors_ << message; };
        boxes.Confirm = [](QWidget*, const QString&) { return true; };
        ShellOpen() = [this](const QUrl& target) {
            opened_ << target;
            return shellOpens_;
        };
    }

    void init() {
        errors_.clear();
        opened_.clear();
        shellOpens_ = true;
    }

    void settingsDialogShowsTheRecordOnCreation() {
        model::ProjectParameters parameters = DefaultParameters();
        SettingsDialog dialog(parameters, model::NumberLocale{});
        const Ui::SettingsDialog& ui = *dialog.ui();

        QCOMPARE(dialog.windowTitle(), QStringLiteral("Настройки"));
        QCOMPARE(dialog.minimumSize(), QSize(313, 448));
        QCOMPARE(dialog.maximumSize(), QSize(313, 448));
        QCOMPARE(ui.exponentialLift->text(), QStringLiteral("экспоненциальная засимость"));
        QCOMPARE(ui.flightHoldTimeLabel->text(),
                 QStringLiteral("В межэтажных пространнствах, сек."));
        QCOMPARE(ui.liftFromFloor->geometry(), QRect(224, 227, 81, 26));
        QCOMPARE(ui.saveButton->geometry(), QRect(40, 410, 113, 29));

        for (QWidget* hidden :
             {static_cast<QWidget*>(ui.holdTimeGroup), static_cast<QWidget*>(ui.burnOutGamma),
              static_cast<QWidget*>(ui.burnOutGammaLabel),
              static_cast<QWidget*>(ui.countLampTheft)}) {
            QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
        }
        QVERIFY(!ui.theftGroup->isHidden());

        QCOMPARE(ui.liftFromFloor->text(), QStringLiteral("1"));
        QVERIFY(ui.exponentialLift->isChecked());
        QVERIFY(!ui.linearLift->isChecked());
        QCOMPARE(ui.individualityCoefficient->text(), QStringLiteral("1,00"));
        QCOMPARE(ui.passagesPerResident->text(), QStringLiteral("3,50"));
        QCOMPARE(ui.incandescentTheft->text(), QStringLiteral("10,0"));
        QCOMPARE(ui.energySavingTheft->text(), QStringLiteral("4,0"));
        QCOMPARE(ui.soundSensorTheft->text(), QStringLiteral("1,5"));
        QCOMPARE(ui.externalBlockTheft->text(), QStringLiteral("1,5"));
        QCOMPARE(ui.landingHoldTime->text(), QStringLiteral("60"));
        QCOMPARE(ui.flightHoldTime->text(), QStringLiteral("20"));
        QCOMPARE(ui.vestibuleHoldTime->text(), QStringLiteral("10"));
        QCOMPARE(ui.burnOutGamma->text(), QStringLiteral("0,10"));
        QVERIFY(ui.countLampTheft->isChecked());

        // The user's own separators are used for showing and for reading.
        const model::NumberLocale dotted{".", ","};
        SettingsDialog dottedDialog(parameters, dotted);
        QCOMPARE(dottedDialog.ui()->individualityCoefficient->text(), QStringLiteral("1.00"));
        dottedDialog.ui()->passagesPerResident->setText(QStringLiteral("2.25"));
        dottedDialog.ui()->saveButton->click();
        QVERIFY(errors_.isEmpty());
        QCOMPARE(parameters.PassagesPerResident, 2.25);
    }

    void cancelStoresNothingButTheTextStays() {
        model::ProjectParameters parameters = DefaultParameters();
        SettingsDialog dialog(parameters, model::NumberLocale{});
        dialog.ui()->individualityCoefficient->setText(QStringLiteral("0,5"));
        QCOMPARE(RunModal(dialog, [&] { dialog.ui()->cancelButton->click(); }),
                 int(QDialog::Rejected));
        QCOMPARE(parameters.IndividualityCoefficient, 1.0);

        QCOMPARE(RunModal(dialog, [&] { dialog.ui()->saveButton->click(); }),
                 int(QDialog::Accepted));
        QCOMPARE(parameters.IndividualityCoefficient, 0.5);
        QVERIFY(errors_.isEmpty());
    }

    void saveStoresEveryFieldWithoutRangeChecks() {
        model::ProjectParameters parameters = DefaultParameters();
        SettingsDialog dialog(parameters, model::NumberLocale{});
        Ui::SettingsDialog& ui = *dialog.ui();
        ui.liftFromFloor->setText(QStringLiteral("второй"));
        ui.linearLift->setChecked(true);
        ui.individualityCoefficient->setText(QStringLiteral("5"));
        ui.passagesPerResident->setText(QStringLiteral("150"));
        ui.countLampTheft->setChecked(false);
        ui.incandescentTheft->setText(QStringLiteral("12,5"));
        ui.energySavingTheft->setText(QStringLiteral("-3"));
        ui.soundSensorTheft->setText(QStringLiteral(" 0,75 "));
        ui.externalBlockTheft->setText(QStringLiteral("2"));
        ui.burnOutGamma->setText(QStringLiteral("0,25"));

        QCOMPARE(RunModal(dialog, [&] { ui.saveButton->click(); }), int(QDialog::Accepted));
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
        QCOMPARE(parameters.LiftFromFloor, 1);
        QCOMPARE(parameters.LiftModel, model::LiftModelLinear);
        QCOMPARE(parameters.IndividualityCoefficient, 5.0);
        QCOMPARE(parameters.PassagesPerResident, 150.0);
        QCOMPARE(parameters.CountLampTheft, false);
        QCOMPARE(parameters.TheftRateIncandescent, 12.5);
        QCOMPARE(parameters.TheftRateEnergySaving, -3.0);
        QCOMPARE(parameters.TheftRateSoundSensor, 0.75);
        QCOMPARE(parameters.TheftRateExternalBlock, 2.0);
        QCOMPARE(parameters.BurnOutGamma, 0.25);
    }

    void unreadableFieldStoresNothingAndKeepsTheDialogOpen() {
        model::ProjectParameters parameters = DefaultParameters();
        const model::ProjectParameters before = parameters;
        SettingsDialog dialog(parameters, model::NumberLocale{});
        Ui::SettingsDialog& ui = *dialog.ui();
        ui.liftFromFloor->setText(QStringLiteral("7"));
        ui.linearLift->setChecked(true);
        ui.individualityCoefficient->setText(QStringLiteral("0,3"));
        ui.passagesPerResident->setText(QStringLiteral("2,5"));
        ui.countLampTheft->setChecked(false);
        ui.incandescentTheft->setText(QString());
        ui.energySavingTheft->setText(QStringLiteral("9"));

        dialog.show();
        ui.saveButton->click();
        // The message of the first field that does not read; nothing stored, that field focused.
        QCOMPARE(errors_, QStringList{QStringLiteral("'' is not a valid floating point value.")});
        errors_.clear();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.focusWidget(), ui.incandescentTheft);
        QCOMPARE(parameters.LiftFromFloor, before.LiftFromFloor);
        QCOMPARE(parameters.LiftModel, before.LiftModel);
        QCOMPARE(parameters.IndividualityCoefficient, before.IndividualityCoefficient);
        QCOMPARE(parameters.PassagesPerResident, before.PassagesPerResident);
        QCOMPARE(parameters.CountLampTheft, before.CountLampTheft);
        QCOMPARE(parameters.TheftRateIncandescent, 10.0);
        QCOMPARE(parameters.TheftRateEnergySaving, 4.0);

        // Once the field is mended the same opening is saved whole.
        ui.incandescentTheft->setText(QStringLiteral("11"));
        ui.saveButton->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(parameters.LiftFromFloor, 7);
        QCOMPARE(parameters.LiftModel, model::LiftModelLinear);
        QCOMPARE(parameters.IndividualityCoefficient, 0.3);
        QCOMPARE(parameters.PassagesPerResident, 2.5);
        QCOMPARE(parameters.CountLampTheft, false);
        QCOMPARE(parameters.TheftRateIncandescent, 11.0);
        QCOMPARE(parameters.TheftRateEnergySaving, 9.0);
    }

    void saveLeavesTheHoldTimesOfTheInputPage() {
        model::ProjectParameters parameters = DefaultParameters();
        SettingsDialog dialog(parameters, model::NumberLocale{});
        // The user set other hold times on the input page and recalculated after the dialog was
        // created; the dialog's hidden copies still hold the start-up values.
        parameters.HoldTimeLanding = 30.0 / 3600;
        parameters.HoldTimeBetween = 15.0 / 3600;
        parameters.HoldTimeVestibule = 5.0 / 3600;
        dialog.ui()->landingHoldTime->setText(QStringLiteral("99"));

        QCOMPARE(RunModal(dialog, [&] { dialog.ui()->saveButton->click(); }),
                 int(QDialog::Accepted));
        QCOMPARE(parameters.HoldTimeLanding, 30.0 / 3600);
        QCOMPARE(parameters.HoldTimeBetween, 15.0 / 3600);
        QCOMPARE(parameters.HoldTimeVestibule, 5.0 / 3600);
    }

    void everyWayOfClosingTheSettingsEndsTheModalRun() {
        model::ProjectParameters parameters = DefaultParameters();
        SettingsDialog dialog(parameters, model::NumberLocale{});
        QCOMPARE(RunModal(dialog, [&] { dialog.ui()->saveButton->click(); }),
                 int(QDialog::Accepted));
        QCOMPARE(RunModal(dialog, [&] { dialog.ui()->cancelButton->click(); }),
                 int(QDialog::Rejected));
        QCOMPARE(RunModal(dialog, [&] { dialog.close(); }), int(QDialog::Rejected));
        QCOMPARE(RunModal(dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); }),
                 int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QVERIFY(errors_.isEmpty());
    }

    void aboutWindowLayout() {
        AboutDialog about;
        const Ui::AboutDialog& ui = *about.ui();
        QCOMPARE(about.windowTitle(), QStringLiteral("Virasvet"));
        QCOMPARE(about.minimumSize(), QSize(376, 182));
        QCOMPARE(about.maximumSize(), QSize(376, 182));
        QCOMPARE(ui.logo->geometry(), QRect(8, 8, 362, 65));
        QCOMPARE(ui.logo->pixmap().size(), QSize(362, 65));
        QCOMPARE(ui.description->text(),
                 QStringLiteral("Программа расчета экономических показателей при использовании "
                                "различных видов освещения мест общего пользования жилых домов."));
        QCOMPARE(ui.webSiteLink->text(), WebSiteUrl().host());
        QCOMPARE(ui.supportLink->text(), QStringLiteral("Техническая поддержка."));
        QCOMPARE(ui.okButton->text(), QStringLiteral("ОК"));
        for (QWidget* link : {static_cast<QWidget*>(ui.logo), static_cast<QWidget*>(ui.webSiteLink),
                              static_cast<QWidget*>(ui.supportLink)}) {
            QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        }
    }

    void aboutLinksOpenThroughTheShellAndTheWindowStays() {
        AboutDialog about;
        Ui::AboutDialog& ui = *about.ui();
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(ui.logo, Qt::LeftButton);
        QTest::mouseClick(ui.webSiteLink, Qt::LeftButton);
        QTest::mouseClick(ui.supportLink, Qt::LeftButton);
        QTest::mouseClick(ui.supportLink, Qt::RightButton);
        QCOMPARE(opened_, (QList<QUrl>{WebSiteUrl(), WebSiteUrl(), SupportMailUrl()}));
        QVERIFY(about.isVisible());
        QCOMPARE(SupportMailUrl().scheme(), QStringLiteral("mailto"));

        ui.okButton->click();
        QVERIFY(!about.isVisible());
        QCOMPARE(RunModal(about, [&] { about.close(); }), int(QDialog::Rejected));
        QCOMPARE(RunModal(about, [&] { ui.okButton->click(); }), int(QDialog::Accepted));
    }

    void jpegDecoderReadsTheShippedLogo() {
        const JpegDecoding logo = LoadJpeg(QStringLiteral(":/logos/about-logo.jpg"));
        QVERIFY2(logo.Error.isEmpty(), qPrintable(logo.Error));
        QCOMPARE(logo.Image.size(), QSize(362, 65));
        QSet<QRgb> colours;
        for (int y = 0; y < logo.Image.height(); ++y) {
            for (int x = 0; x < logo.Image.width(); ++x) {
                colours.insert(logo.Image.pixel(x, y));
            }
        }
        QVERIFY(colours.size() > 100);
        // Dark band on the left, white lettering: both must be there.
        QVERIFY(qGray(logo.Image.pixel(2, 60)) < 100);
    }

    void jpegDecoderRejectsDamagedData() {
        const QByteArray logo = ResourceBytes(QStringLiteral(":/logos/about-logo.jpg"));
        QVERIFY(logo.size() > 1000);

        QByteArray noHeight = logo;
        const qsizetype frame = noHeight.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(frame > 0);
        noHeight[frame + 5] = 0; // frame header: marker, length (2), precision, height (2)
        noHeight[frame + 6] = 0;

        QByteArray wrongMarker = logo;
        wrongMarker[frame + 1] = char(0xC3); // lossless coding, which the decoder does not do

        const QList<QPair<const char*, QByteArray>> damaged = {
            {"empty", QByteArray()},
            {"not a JPEG", QByteArray("GIF89a, not a JPEG picture at all")},
            {"only the start marker", logo.left(2)},
            {"cut in the header", logo.left(frame + 4)},
            {"cut in the picture data", logo.left(logo.size() / 2)},
            {"end marker missing", logo.left(logo.size() - 2)},
            {"zero height", noHeight},
            {"unsupported coding", wrongMarker},
        };
        for (const auto& [what, data] : damaged) {
            const JpegDecoding result = DecodeJpeg(data);
            QVERIFY2(result.Image.isNull(), what);
            QVERIFY2(result.Error.startsWith(QStringLiteral("картинка JPEG не читается: ")), what);
            QVERIFY2(result.Error.size() > 30, qPrintable(result.Error));
        }

        const JpegDecoding missing = LoadJpeg(QStringLiteral(":/logos/no-such-logo.jpg"));
        QVERIFY(missing.Image.isNull());
        QVERIFY(missing.Error.contains(QStringLiteral("no-such-logo.jpg")));
    }

    void printLogoIsA24BitBitmap() {
        const QByteArray bitmap = ResourceBytes(QStringLiteral(":/logos/print-logo.bmp"));
        QVERIFY(bitmap.size() > 54);
        QVERIFY(bitmap.startsWith("BM"));
        const auto* header = reinterpret_cast<const uchar*>(bitmap.constData());
        QCOMPARE(qFromLittleEndian<qint32>(header + 18), 181);
        QCOMPARE(qFromLittleEndian<qint32>(header + 22), 33);
        QCOMPARE(qFromLittleEndian<quint16>(header + 28), quint16(24));
        QCOMPARE(QImage(QStringLiteral(":/logos/print-logo.bmp")).size(), QSize(181, 33));
    }

    void helpIsLookedForBesideTheExecutableThenWhereItIsInstalled() {
        const QString startDirectory = QDir::currentPath();
        QTemporaryDir prefix;
        QTemporaryDir otherDirectory;
        QVERIFY(prefix.isValid() && otherDirectory.isValid());
        const QString programDirectory = prefix.filePath(QStringLiteral("bin"));
        const QString besideProgram = programDirectory + QStringLiteral("/help.pdf");
        const QString installed = prefix.filePath(QStringLiteral("share/doc/virasvet/help.pdf"));
        QVERIFY(QDir().mkpath(programDirectory));
        QVERIFY(QDir::setCurrent(otherDirectory.path()));
        const auto writeDocument = [](const QString& path) {
            QFile document(path);
            return document.open(QIODevice::WriteOnly) && document.write("%PDF-1.4\n") > 0;
        };

        // Absent everywhere; one in the current directory does not count.
        QVERIFY(writeDocument(QStringLiteral("help.pdf")));
        QCOMPARE(HelpTarget(programDirectory), WebSiteUrl());

        // Directories of that name are not documents.
        QVERIFY(QDir().mkpath(besideProgram) && QDir().mkpath(installed));
        QCOMPARE(HelpTarget(programDirectory), WebSiteUrl());
        QVERIFY(QDir().rmdir(besideProgram) && QDir().rmdir(installed));

        QVERIFY(writeDocument(installed));
        QCOMPARE(HelpTarget(programDirectory), QUrl::fromLocalFile(installed));
        QVERIFY(writeDocument(besideProgram));
        QCOMPARE(HelpTarget(programDirectory), QUrl::fromLocalFile(besideProgram));

        QVERIFY(QDir::setCurrent(startDirectory));

        OpenHelpDocument(nullptr);
        QCOMPARE(opened_, QList<QUrl>{HelpTarget(QCoreApplication::applicationDirPath())});
        QVERIFY(errors_.isEmpty());
    }

    void anOpenerThatFailsIsReportedNamingTheTarget() {
        shellOpens_ = false;
        const QString document = QDir::temp().filePath(QStringLiteral("help.pdf"));
        OpenThroughShell(nullptr, QUrl::fromLocalFile(document));
        AboutDialog about;
        about.webSiteLinkClicked();
        about.supportLinkClicked();
        const QStringList targets = {QStringLiteral("справку «%1»").arg(document),
                                     QStringLiteral("сайт https://virasvet.example.org"),
                                     QStringLiteral("адрес support@virasvet.example.org")};
        QCOMPARE(errors_.size(), targets.size());
        for (int i = 0; i < targets.size(); ++i) {
            QVERIFY2(errors_[i].startsWith(QStringLiteral("Не удалось ")) &&
                         errors_[i].contains(targets[i]),
                     qPrintable(errors_[i]));
        }
    }

    void theOpenersExitStatusDecides() {
        // Stand-ins for xdg-open: 3 is its "no program for this document".
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        const auto opener = [&bin](const char* name, const char* body) {
            const QString path = bin.filePath(QString::fromLatin1(name));
            QFile script(path);
            if (!script.open(QIODevice::WriteOnly) ||
                script.write(QByteArray("#!/bin/sh\n") + body + "\n") < 0) {
                return QString();
            }
            script.close();
            script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            return path;
        };
        const QUrl guide = QUrl::fromLocalFile(QDir::temp().filePath(QStringLiteral("help.pdf")));
        QVERIFY(!OpenWithOpener(opener("none", "exit 3"), guide, 5000));
        QVERIFY(!OpenWithOpener(opener("failed", "exit 4"), guide, 5000));
        QVERIFY(OpenWithOpener(opener("shown", "exit 0"), guide, 5000));
        // A viewer that the opener keeps running counts as shown.
        QVERIFY(OpenWithOpener(opener("viewer", "sleep 2"), guide, 100));
        QVERIFY(!OpenWithOpener(bin.filePath(QStringLiteral("missing")), guide, 5000));
        // The opener is given the document's path.
        const QString argument = bin.filePath(QStringLiteral("argument"));
        QVERIFY(OpenWithOpener(
            opener("echo", qPrintable(QStringLiteral("echo \"$1\" > '%1'").arg(argument))), guide,
            5000));
        QFile written(argument);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().trimmed(), guide.toLocalFile().toUtf8());
    }

    void qtsOwnTextsAreRussian() {
        QVERIFY2(InstallQtTranslations(*QCoreApplication::instance()),
                 "qtbase_ru.qm not found: install qt6-translations-l10n");
        QMessageBox box(QMessageBox::Question, QStringLiteral("Вирасвет"), QStringLiteral("?"),
                        QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
        QLineEdit field;
        std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList items;
        for (const QAction* action : menu->actions()) {
            items << action->text();
        }
        QVERIFY2(items.contains(QStringLiteral("В&ставить\tCtrl+V")), qPrintable(items.join(u'|')));
    }

    void buildWritesTheUserGuide() {
        QFile guide(QStringLiteral(BUILT_HELP_DOCUMENT));
        QVERIFY2(guide.open(QIODevice::ReadOnly), BUILT_HELP_DOCUMENT);
        const QByteArray pdf = guide.readAll();
        QVERIFY(pdf.startsWith("%PDF-"));
        QVERIFY(pdf.size() > 10000);
        QVERIFY(pdf.trimmed().endsWith("%%EOF"));
        // The guide covers every window and the house file's rules.
        const QString guideText = GuideText({}).simplified();
        for (const char* topic : {"Экономика проекта", "Файл дома", "Дисконтированный срок",
                                  "не больше 16 МБ", "целое число лет", "Page Up"}) {
            QVERIFY2(guideText.contains(QString::fromUtf8(topic)), topic);
        }
    }

    // The sections of the source are numbered 1, 2, 3 … in order, and the contents of the PDF name
    // each of them, in that order, with the page on which its heading stands.
    void guideSectionsRunInOrderAndTheContentsNameEach() {
        QFile source(QStringLiteral(HELP_GUIDE_SOURCE));
        QVERIFY2(source.open(QIODevice::ReadOnly), HELP_GUIDE_SOURCE);
        const QRegularExpression heading(QStringLiteral("<h2>\\s*(\\d+)\\.\\s+([^<]+)</h2>"));
        QStringList sections;
        for (const QRegularExpressionMatch& match :
             heading.globalMatch(QString::fromUtf8(source.readAll()))) {
            const QString title =
                match.captured(1) + QStringLiteral(". ") + match.captured(2).simplified();
            QVERIFY2(match.captured(1).toInt() == sections.size() + 1, qPrintable(title));
            sections << title;
        }
        QVERIFY(sections.size() >= 10);

        const QStringList pages = GuideText({QStringLiteral("-layout")}).split(u'\f');
        QStringList listed;
        for (const auto& [title, page] : ContentsRows(pages)) {
            listed << title;
            QVERIFY2(page >= 1 && page <= pages.size(), qPrintable(title));
            const QStringList lines = pages[page - 1].split(u'\n');
            QVERIFY2(std::any_of(lines.begin(), lines.end(),
                                 [&](const QString& line) { return line.simplified() == title; }),
                     qPrintable(title + QStringLiteral(" — не на стр. ") + QString::number(page)));
        }
        QCOMPARE(listed, sections);
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
