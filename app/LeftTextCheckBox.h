#pragma once
// A check box with its caption at the left edge and the box at the right edge, as a form row.

#include <QCheckBox>

namespace LeftTextCheckBox {

class TLeftTextCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TLeftTextCheckBox(QWidget* Parent = nullptr);

protected:
    void paintEvent(QPaintEvent* Event) override;
    // The whole row toggles the box, caption included.
    bool hitButton(const QPoint& Position) const override;
};

} // namespace LeftTextCheckBox
