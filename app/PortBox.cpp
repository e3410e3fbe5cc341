#include "app/PortBox.h"

#include <QAbstractItemView>
#include <QScrollBar>

namespace PortBox {

TPortBox::TPortBox(QWidget* Parent) : QComboBox(Parent) {
    // Names such as "/dev/ttyUSB0" are cut in the box itself.
    connect(this, &QComboBox::currentTextChanged, this, &QWidget::setToolTip);
}

void TPortBox::showPopup() {
    QAbstractItemView* list = view();
    int width = list->sizeHintForColumn(0) + 2 * list->frameWidth();
    if (count() > maxVisibleItems()) {
        width += list->verticalScrollBar()->sizeHint().width();
    }
    // A minimum only widens the list: it is never narrower than the box.
    list->setMinimumWidth(width);
    QComboBox::showPopup();
}

} // namespace PortBox
