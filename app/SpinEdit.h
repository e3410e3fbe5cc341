#pragma once
// The integer spin box of the window: setting a value, or leaving the box after typing, brings it
// into range; reading gives the integer in the text, or the minimum when the text is not one.

#include <QSpinBox>
#include <string>

namespace SpinEdit {

int BringIntoRange(long long Value, int Min, int Max);
// The value the box reads from Text: the integer in it (kept within Min..Max), else Min.
int ValueFromText(const std::string& Text, int Min, int Max);

class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* Parent = nullptr);

    // Reads the box by the rule above, whatever state the typing left the text in.
    int Value() const;

protected:
    QValidator::State validate(QString& Input, int& Pos) const override;
    void fixup(QString& Input) const override;
    void focusOutEvent(QFocusEvent* Event) override;
};

} // namespace SpinEdit
