#include "EconomicsPage.h"

#include "AtomicFile.h"
#include "Fonts.h"
#include "ResultFigures.h"
#include "Saturate.h"

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace report {
namespace {

QString Number(double value, const char* pattern, const model::NumberLocale& locale) {
    return QString::fromStdString(model::FormatNumber(value, pattern, locale));
}

QString Shown(model::Figure figure, double value, const model::NumberLocale& locale) {
    return QString::fromStdString(model::ShownFigure(figure, value, locale));
}

} // namespace

QString PaybackText(std::optional<int> day, const model::NumberLocale& locale) {
    if (!day) {
        return QStringLiteral("нет");
    }
    return QString::number(*day) + QStringLiteral(" дн. (") +
           Shown(model::Figure::PaybackMonths, *day / model::DaysPerMonth, locale) +
           QStringLiteral(" мес.)");
}

std::vector<std::pair<QString, QString>> EconomicsFigureLines(const model::EconomicsFigures& f,
                                                              const model::NumberLocale& locale) {
    QString rate;
    switch (f.InternalRateOfReturn.Found) {
    case model::ReturnRate::Kind::None:
        rate = QStringLiteral("нет");
        break;
    case model::ReturnRate::Kind::AboveHighest:
        rate = QStringLiteral("> 1000 %");
        break;
    case model::ReturnRate::Kind::Found:
        rate = Shown(model::Figure::ReturnRate, f.InternalRateOfReturn.Percent, locale) +
               QStringLiteral(" %");
        break;
    }
    return {
        {QStringLiteral("Дисконтированный срок окупаемости"),
         PaybackText(f.DiscountedPaybackFound ? std::optional<int>(f.DiscountedPaybackDay)
                                              : std::nullopt,
                     locale)},
        {QStringLiteral("Чистая приведённая стоимость за горизонт, руб."),
         Shown(model::Figure::Money, f.NetPresentValue, locale)},
        {QStringLiteral("Внутренняя норма доходности"), rate},
        {QStringLiteral("Экономия электроэнергии в год, кВт·ч"),
         Shown(model::Figure::YearlyEnergy, f.EnergySavedPerYear, locale)},
        {QStringLiteral("Экономия в первый год по нынешнему тарифу, руб."),
         Shown(model::Figure::Money, f.MoneySavedFirstYear, locale)},
        {QStringLiteral("Снижение выбросов CO₂ в год, т"),
         Shown(model::Figure::Emissions, f.CO2AvoidedPerYear, locale)},
    };
}

void DrawSavingChart(QPainter& painter, const QRectF& area, const model::EconomicsFigures& f,
                     int horizonYears, const model::NumberLocale& locale) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(area, Qt::white);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(area);
    const int lastDay =
        std::min(model::HorizonLastDay(horizonYears), static_cast<int>(f.ExistingCosts.size()) - 1);
    if (lastDay < 0) {
        painter.restore();
        return;
    }
    double low = 0;
    double high = 0;
    for (int day = 0; day <= lastDay; ++day) {
        const double saving = f.ExistingCosts[day] - f.PlannedCosts[day];
        if (std::isfinite(saving)) {
            low = std::min(low, saving);
            high = std::max(high, saving);
        }
    }
    if (high - low < 1) {
        high = low + 1;
    }
    const QRectF plot = area.adjusted(70, 15, -15, -30);
    const auto x = [&](double day) { return plot.left() + plot.width() * day / (lastDay + 1); };
    const auto y = [&](double value) {
        return plot.bottom() - plot.height() * (std::clamp(value, low, high) - low) / (high - low);
    };

    painter.setFont(PictureFont(8));
    // Years along the bottom, the saving's range along the left.
    const int years = (lastDay + 1 + model::DaysPerYear - 1) / model::DaysPerYear;
    const int yearStep = std::max(1, years / 10);
    for (int year = 0; year <= years; year += yearStep) {
        const double at = x(std::min(year * model::DaysPerYear, lastDay + 1));
        painter.setPen(QPen(QColor(220, 220, 220), 1));
        painter.drawLine(QPointF(at, plot.top()), QPointF(at, plot.bottom()));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(at - 20, plot.bottom() + 4, 40, 14), Qt::AlignCenter,
                         QString::number(year));
    }
    painter.drawText(QRectF(plot.right() - 60, plot.bottom() + 16, 60, 14), Qt::AlignRight,
                     QStringLiteral("лет"));
    for (const double value : {low, high}) {
        painter.drawText(QRectF(area.left() + 2, y(value) - 7, 64, 14),
                         Qt::AlignRight | Qt::AlignVCenter, Number(value, "0", locale));
    }
    painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
    painter.drawLine(QPointF(plot.left(), y(0)), QPointF(plot.right(), y(0)));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left() + 2, y(0) - 7, 64, 14), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("0"));

    QPainterPath curve;
    for (int day = 0; day <= lastDay; ++day) {
        const QPointF point(x(day), y(f.ExistingCosts[day] - f.PlannedCosts[day]));
        day == 0 ? curve.moveTo(point) : curve.lineTo(point);
    }
    painter.setPen(QPen(QColor(0, 128, 0), 2));
    painter.drawPath(curve);

    if (f.DiscountedPaybackFound && f.DiscountedPaybackDay <= lastDay) {
        const double at = x(f.DiscountedPaybackDay);
        painter.setPen(QPen(Qt::blue, 1, Qt::DotLine));
        painter.drawLine(QPointF(at, plot.top()), QPointF(at, plot.bottom()));
        painter.setPen(Qt::blue);
        painter.drawText(QRectF(at + 4, plot.top(), 200, 14), Qt::AlignLeft,
                         QStringLiteral("окупаемость: ") + QString::number(f.DiscountedPaybackDay) +
                             QStringLiteral(" дн."));
    }
    painter.restore();
}

void DrawEconomicsPage(QPainter& painter, const EconomicsPage& page) {
    painter.save();
    painter.fillRect(QRect(0, 0, EconomicsPageWidth, EconomicsPageHeight), Qt::white);
    painter.setPen(Qt::black);
    QFont title = PictureFont(12);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRectF(20, 10, 960, 24), Qt::AlignLeft,
                     QStringLiteral("Экономика проекта: ") + page.Address);

    painter.setFont(PictureFont(9));
    const model::EconomicsInputs& in = page.Inputs;
    const std::vector<std::pair<QString, QString>> inputs = {
        {QStringLiteral("Рост тарифа, % в год"), Number(in.TariffGrowth, "0.00", page.Locale)},
        {QStringLiteral("Рост цен на лампы, % в год"),
         Number(in.LampPriceGrowth, "0.00", page.Locale)},
        {QStringLiteral("Ставка дисконтирования, % в год"),
         Number(in.DiscountRate, "0.00", page.Locale)},
        {QStringLiteral("Горизонт, лет"), QString::number(in.HorizonYears)},
        {QStringLiteral("Коэффициент выбросов, кг CO₂/кВт·ч"),
         Number(in.EmissionFactor, "0.000", page.Locale)},
    };
    double top = 44;
    for (const auto& [caption, value] : inputs) {
        painter.drawText(QRectF(20, top, 300, 16), Qt::AlignLeft, caption);
        painter.drawText(QRectF(320, top, 140, 16), Qt::AlignRight, value);
        top += 18;
    }
    top = 44;
    for (const auto& [caption, value] : EconomicsFigureLines(page.Figures, page.Locale)) {
        painter.drawText(QRectF(500, top, 330, 16), Qt::AlignLeft, caption);
        painter.drawText(QRectF(830, top, 150, 16), Qt::AlignRight, value);
        top += 18;
    }

    DrawSavingChart(painter, QRectF(20, 160, 960, 330), page.Figures, in.HorizonYears, page.Locale);
    painter.setFont(PictureFont(9));
    painter.drawText(QRectF(20, 142, 960, 16), Qt::AlignLeft,
                     QStringLiteral("Дисконтированная экономия (существующая минус планируемая "
                                    "схема), руб."));

    if (!page.Sensitivity.empty()) {
        double row = 510;
        painter.drawText(QRectF(20, row, 400, 16), Qt::AlignLeft,
                         QStringLiteral("Дисконтированный срок окупаемости при изменении"));
        painter.drawText(QRectF(430, row, 200, 16), Qt::AlignRight, QStringLiteral("−20 %"));
        painter.drawText(QRectF(640, row, 200, 16), Qt::AlignRight, QStringLiteral("+20 %"));
        for (const SensitivityRow& line : page.Sensitivity) {
            row += 20;
            painter.drawText(QRectF(20, row, 400, 16), Qt::AlignLeft, line.Input);
            painter.drawText(QRectF(430, row, 200, 16), Qt::AlignRight,
                             PaybackText(line.LowerPayback, page.Locale));
            painter.drawText(QRectF(640, row, 200, 16), Qt::AlignRight,
                             PaybackText(line.HigherPayback, page.Locale));
        }
    }
    painter.restore();
}

void WriteEconomicsFile(const QString& fileName, const EconomicsPage& page, bool pdf) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (pdf) {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Вирасвет — экономика: ") + page.Address);
        writer.setCreator(QStringLiteral("Вирасвет"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        writer.setResolution(300);
        QPainter painter(&writer);
        const QRect paint = painter.viewport();
        const double scale = std::min(paint.width() / double(EconomicsPageWidth),
                                      paint.height() / double(EconomicsPageHeight));
        painter.scale(scale, scale);
        DrawEconomicsPage(painter, page);
        painter.end();
    } else {
        QImage image(EconomicsPageWidth, EconomicsPageHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            DrawEconomicsPage(painter, page);
        }
        if (!image.save(&buffer, "PNG")) {
            throw std::runtime_error("Не удалось записать рисунок PNG");
        }
    }
    buffer.close();
    WriteFileAtomically(fileName, bytes);
}

} // namespace report
