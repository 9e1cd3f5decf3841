#include "Fabout.h"

#include "Help.h"
#include "JpegImage.h"
#include "WindowLook.h"
#include "ui_Fabout.h"

#include <QMouseEvent>
#include <QPixmap>

TForm2::TForm2(QWidget* parent) : QDialog(parent), ui_(new Ui::TForm2) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(376, 182);
    setFont(DialogFont());
    StyleAsLink(*ui_->Label2);
    StyleAsLink(*ui_->Label3);
    ui_->Label2->setText(WebSiteUrl().host());

    // A logo that cannot be decoded leaves the place empty; the window works without it.
    const JpegDecoding logo = LoadJpeg(QStringLiteral(":/logos/about-logo.jpg"));
    if (!logo.Image.isNull()) {
        ui_->Image1->setPixmap(QPixmap::fromImage(logo.Image));
        ui_->Image1->resize(logo.Image.size());
    }

    for (QWidget* link : {static_cast<QWidget*>(ui_->Image1), static_cast<QWidget*>(ui_->Label2),
                          static_cast<QWidget*>(ui_->Label3)}) {
        link->installEventFilter(this);
    }
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
}

TForm2::~TForm2() {
    delete ui_;
}

Ui::TForm2* TForm2::ui() const {
    return ui_;
}

void TForm2::setVisible(bool visible) {
    if (visible) {
        CenterOnScreen(*this);
    }
    QDialog::setVisible(visible);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (!press && event->type() != QEvent::MouseButtonRelease) {
        return QDialog::eventFilter(watched, event);
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const auto* control = static_cast<QWidget*>(watched);
    if (mouse->button() != Qt::LeftButton) {
        return QDialog::eventFilter(watched, event);
    }
    // A click is the release of the left button over the control on which it was pressed; the
    // press is taken so that the release comes back here.
    if (!press && control->rect().contains(mouse->position().toPoint())) {
        if (watched == ui_->Image1) {
            Image1Click();
        } else if (watched == ui_->Label2) {
            Label2Click();
        } else if (watched == ui_->Label3) {
            Label3Click();
        }
    }
    return true;
}

void TForm2::Image1Click() {
    OpenThroughShell(this, WebSiteUrl());
}

void TForm2::Label2Click() {
    OpenThroughShell(this, WebSiteUrl());
}

void TForm2::Label3Click() {
    OpenThroughShell(this, SupportMailUrl());
}

void TForm2::Button1Click() {
    accept();
}
