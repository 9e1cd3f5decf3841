#pragma once

#include <QDialog>
#include <QImage>

namespace Ui {
class AboutDialog;
}

// The About window.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

    Ui::AboutDialog* ui() const; // for tests

    void setVisible(bool visible) override;

    void logoClicked();
    void webSiteLinkClicked();
    void supportLinkClicked();
    void okClicked();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showLogoAt(qreal pixelRatio);

    Ui::AboutDialog* ui_;
    QImage logo_;         // 96 dots per inch
    QImage sharpLogo_;    // twice as many pixels each way
    qreal logoRatio_ = 1; // the screen pixel ratio the label's picture is made for
};
