#include "app/WrapButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace WrapButton {

TWrapButton::TWrapButton(QWidget* Parent) : QPushButton(Parent) {}

void TWrapButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    painter.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap, option.palette, isEnabled(), text(),
                         QPalette::ButtonText);
}

} // namespace WrapButton
