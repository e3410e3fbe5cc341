#include "app/LeftTextCheckBox.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace LeftTextCheckBox {

TLeftTextCheckBox::TLeftTextCheckBox(QWidget* Parent) : QCheckBox(Parent) {}

void TLeftTextCheckBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const int boxWidth = style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, this);
    const int boxHeight = style()->pixelMetric(QStyle::PM_IndicatorHeight, &option, this);

    QStyleOptionButton box = option;
    box.rect = QRect(width() - boxWidth, (height() - boxHeight) / 2, boxWidth, boxHeight);
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, box);

    QStyleOptionButton caption = option;
    caption.rect = QRect(0, 0, width() - boxWidth, height());
    painter.drawControl(QStyle::CE_CheckBoxLabel, caption);
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = fontMetrics().boundingRect(caption.rect, Qt::AlignLeft | Qt::AlignVCenter, text());
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool TLeftTextCheckBox::hitButton(const QPoint& Position) const {
    return rect().contains(Position);
}

} // namespace LeftTextCheckBox
