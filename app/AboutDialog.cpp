#include "AboutDialog.h"

#include "Accessibility.h"
#include "Help.h"
#include "JpegImage.h"
#include "WindowLook.h"
#include "ui_AboutDialog.h"

#include <QMouseEvent>
#include <QPixmap>

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), ui_(new Ui::AboutDialog) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(376, 182);
    setFont(DialogFont());
    StyleAsLink(*ui_->webSiteLink);
    StyleAsLink(*ui_->supportLink);
    ui_->webSiteLink->setText(WebSiteUrl().host());

    // A logo that cannot be decoded leaves the place empty; the window works without it.
    logo_ = LoadJpeg(QStringLiteral(":/logos/about-logo.jpg")).Image;
    if (!logo_.isNull()) {
        sharpLogo_ = LoadJpeg(QStringLiteral(":/logos/about-logo@2x.jpg")).Image;
        ui_->logo->setPixmap(QPixmap::fromImage(logo_));
        ui_->logo->resize(logo_.size());
    }

    for (QWidget* link : {static_cast<QWidget*>(ui_->logo), static_cast<QWidget*>(ui_->webSiteLink),
                          static_cast<QWidget*>(ui_->supportLink)}) {
        link->installEventFilter(this);
    }
    connect(ui_->okButton, &QPushButton::clicked, this, &AboutDialog::okClicked);
    MakeKeyboardLink(*ui_->webSiteLink, [this] { webSiteLinkClicked(); });
    MakeKeyboardLink(*ui_->supportLink, [this] { supportLinkClicked(); });
    ui_->webSiteLink->setAccessibleDescription(QStringLiteral("Сайт программы"));
    ui_->supportLink->setAccessibleDescription(SupportMailUrl().path());
    // The links come after the button in the Tab order, the button keeps the first focus.
    setTabOrder(ui_->okButton, ui_->webSiteLink);
    setTabOrder(ui_->webSiteLink, ui_->supportLink);
}

AboutDialog::~AboutDialog() {
    delete ui_;
}

Ui::AboutDialog* AboutDialog::ui() const {
    return ui_;
}

void AboutDialog::setVisible(bool visible) {
    if (visible) {
        CenterOnScreen(*this);
        showLogoAt(devicePixelRatio());
    }
    QDialog::setVisible(visible);
}

bool AboutDialog::event(QEvent* event) {
    // A window moved to a screen of another scale is painted anew: the logo follows the scale.
    if (event->type() == QEvent::Paint) {
        showLogoAt(devicePixelRatio());
    }
    return QDialog::event(event);
}

void AboutDialog::showLogoAt(qreal pixelRatio) {
    if (pixelRatio == logoRatio_ || logo_.isNull() || sharpLogo_.isNull()) {
        return;
    }
    logoRatio_ = pixelRatio;
    if (pixelRatio == 1) {
        ui_->logo->setPixmap(QPixmap::fromImage(logo_));
        return;
    }
    // The finer picture, brought to the screen's pixels when the scale is not 2.
    QImage shown = sharpLogo_;
    const QSize pixels = (QSizeF(logo_.size()) * pixelRatio).toSize();
    if (shown.size() != pixels) {
        shown = shown.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    shown.setDevicePixelRatio(pixelRatio);
    ui_->logo->setPixmap(QPixmap::fromImage(shown));
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
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
        if (watched == ui_->logo) {
            logoClicked();
        } else if (watched == ui_->webSiteLink) {
            webSiteLinkClicked();
        } else if (watched == ui_->supportLink) {
            supportLinkClicked();
        }
    }
    return true;
}

void AboutDialog::logoClicked() {
    OpenThroughShell(this, WebSiteUrl());
}

void AboutDialog::webSiteLinkClicked() {
    OpenThroughShell(this, WebSiteUrl());
}

void AboutDialog::supportLinkClicked() {
    OpenThroughShell(this, SupportMailUrl());
}

void AboutDialog::okClicked() {
    accept();
}
