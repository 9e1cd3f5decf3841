#pragma once

#include <QDialog>

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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Ui::AboutDialog* ui_;
};
