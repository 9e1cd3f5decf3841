#pragma once

#include <QDialog>

namespace Ui {
class TForm2;
}

// The About window.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    Ui::TForm2* ui() const; // for tests

    void setVisible(bool visible) override;

    void Image1Click();
    void Label2Click();
    void Label3Click();
    void Button1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Ui::TForm2* ui_;
};
