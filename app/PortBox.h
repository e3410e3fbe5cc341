#pragma once
// The port box: an editable list of port names that keeps its narrow place in the window. Its
// drop-down list opens as wide as its longest name, and its tooltip shows the whole current text.

#include <QComboBox>

namespace PortBox {

class TPortBox : public QComboBox {
    Q_OBJECT
public:
    explicit TPortBox(QWidget* Parent = nullptr);

    void showPopup() override;
};

} // namespace PortBox
