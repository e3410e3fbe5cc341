#include "app/SpinEdit.h"

#include <algorithm>
#include <charconv>

namespace SpinEdit {

int BringIntoRange(long long Value, int Min, int Max) {
    return static_cast<int>(std::clamp<long long>(Value, Min, Max));
}

int ValueFromText(const std::string& Text, int Min, int Max) {
    const auto first = Text.find_first_not_of(' ');
    const auto last = Text.find_last_not_of(' ');
    if (first == std::string::npos) {
        return Min;
    }
    const char* begin = Text.data() + first;
    const char* end = Text.data() + last + 1;
    long long value = 0;
    const auto [stop, error] = std::from_chars(begin + (*begin == '+' ? 1 : 0), end, value);
    if (error == std::errc::result_out_of_range) {
        return *begin == '-' ? Min : Max;
    }
    if (error != std::errc() || stop != end) {
        return Min;
    }
    return BringIntoRange(value, Min, Max);
}

TSpinEdit::TSpinEdit(QWidget* Parent) : QSpinBox(Parent) {
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

int TSpinEdit::Value() const {
    return ValueFromText(text().toStdString(), minimum(), maximum());
}

QValidator::State TSpinEdit::validate(QString& Input, int&) const {
    // Any run of digits may be typed; it is brought into range when the box is left.
    const QString trimmed = Input.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String("-") || trimmed == QLatin1String("+")) {
        return QValidator::Intermediate;
    }
    bool isNumber = false;
    const qlonglong value = trimmed.toLongLong(&isNumber);
    if (!isNumber) {
        return QValidator::Invalid;
    }
    return value >= minimum() && value <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void TSpinEdit::fixup(QString& Input) const {
    Input = QString::number(ValueFromText(Input.toStdString(), minimum(), maximum()));
}

void TSpinEdit::focusOutEvent(QFocusEvent* Event) {
    setValue(Value());
    QSpinBox::focusOutEvent(Event);
}

} // namespace SpinEdit
