#pragma once
// A push button whose caption wraps onto further lines when it is wider than the button.

#include <QPushButton>

namespace WrapButton {

class TWrapButton : public QPushButton {
    Q_OBJECT
public:
    explicit TWrapButton(QWidget* Parent = nullptr);

protected:
    void paintEvent(QPaintEvent* Event) override;
};

} // namespace WrapButton
