// The main window's layout as one table: kind, place, size, caption, range and default of every
// control, then the items, the tab order and the font every caption was measured with.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

#include "app/SpinEdit.h"
#include "app/fMain.h"
#include "tests/support/WindowFixture.h"

namespace {

constexpr int kAny = -1; // a label's size follows its caption

struct ControlRow {
    const char* Name;
    const char* Kind;
    const char* Parent;
    int X, Y, Width, Height;
    const char* Caption;
    int Min = kAny, Max = kAny, Value = kAny;
};

const ControlRow kControls[] = {
    {"Label2", "QLabel", "TForm1", 4, 8, kAny, kAny, "Порт"},
    {"vCOMSelect", "QComboBox", "TForm1", 41, 5, 81, 21, nullptr},
    {"Label1", "QLabel", "TForm1", 128, 8, kAny, kAny, "Скорость"},
    {"bComSpeed", "QComboBox", "TForm1", 182, 5, 109, 21, "9600"},
    {"Label7", "QLabel", "TForm1", 299, 8, kAny, kAny, "Адрес"},
    {"vTRKAddr", "SpinEdit::TSpinEdit", "TForm1", 336, 4, 49, 22, nullptr, 0, 254, 1},
    {"bOpenClose", "QPushButton", "TForm1", 395, 1, 95, 25, "Открыть"},
    {"vPages", "QTabWidget", "TForm1", 0, 32, 497, 279, nullptr},
    {"GroupBox1", "QGroupBox", "TabSheet2", 3, 0, 178, 73, "Сторона №1"},
    {"Label8", "QLabel", "GroupBox1", 3, 18, kAny, kAny, "Адрес"},
    {"seAddr1", "SpinEdit::TSpinEdit", "GroupBox1", 123, 9, 49, 22, nullptr, 0, 254, 1},
    {"Label3", "QLabel", "GroupBox1", 3, 46, kAny, kAny, "Таймаут \"нет отпуска\""},
    {"seNoFillTO1", "SpinEdit::TSpinEdit", "GroupBox1", 123, 37, 49, 22, nullptr, 0, 255, 0},
    {"GroupBox2", "QGroupBox", "TabSheet2", 187, 0, 175, 73, "Сторона №2"},
    {"Label9", "QLabel", "GroupBox2", 3, 18, kAny, kAny, "Адрес"},
    {"seAddr2", "SpinEdit::TSpinEdit", "GroupBox2", 121, 9, 49, 22, nullptr, 0, 254, 2},
    {"Label4", "QLabel", "GroupBox2", 3, 46, kAny, kAny, "Таймаут \"нет отпуска\""},
    {"seNoFillTO2", "SpinEdit::TSpinEdit", "GroupBox2", 121, 37, 49, 22, nullptr, 0, 255, 0},
    {"bGetConfig", "QPushButton", "TabSheet2", 368, 3, 118, 25, "Получить настройки"},
    {"vSetConfig", "QPushButton", "TabSheet2", 368, 34, 118, 25, "Сохранить настройки"},
    {"Button10", "QPushButton", "TabSheet2", 368, 65, 118, 25, "Запросить адреса"},
    {"CheckBox1", "QCheckBox", "TabSheet2", 3, 86, 203, 17, "Пересчет", 0, 1, 0},
    {"Label12", "QLabel", "TabSheet2", 3, 118, kAny, kAny, "Знаков после запятой в цене"},
    {"sePrice", "SpinEdit::TSpinEdit", "TabSheet2", 193, 109, 49, 22, nullptr, 0, 2, 2},
    {"Label13", "QLabel", "TabSheet2", 4, 145, kAny, kAny, "Таймаут отсутствия мастера"},
    {"seNoMaster", "SpinEdit::TSpinEdit", "TabSheet2", 193, 136, 49, 22, nullptr, 0, 255, 0},
    {"Label15", "QLabel", "TabSheet2", 3, 170, kAny, kAny, "Знаков после запятой в стоимости"},
    {"seAmoPoint", "SpinEdit::TSpinEdit", "TabSheet2", 193, 164, 49, 22, nullptr, 0, 2, 2},
    {"Label14", "QLabel", "TabSheet2", 3, 196, kAny, kAny, "Минимальное напряжение "},
    {"seMinVoltage", "SpinEdit::TSpinEdit", "TabSheet2", 193, 191, 49, 22, nullptr, 0, 255, 50},
    {"Label5", "QLabel", "TabSheet2", 3, 222, kAny, kAny, "Тип электроники"},
    {"ComboBox1", "QComboBox", "TabSheet2", 144, 219, 98, 21, "QV1"},
    {"Memo1", "QPlainTextEdit", "TabSheet2", 301, 109, 185, 132, ""},
    {"Button5", "QPushButton", "TabSheet3", 0, 13, 75, 33, "Выбрать файл"},
    {"Button4", "QPushButton", "TabSheet3", 399, 13, 87, 33, "Начать обновление"},
    {"Label18", "QLabel", "TabSheet3", 3, 61, kAny, kAny, ""},
};

QString Caption(const QWidget* Control) {
    if (const auto* label = qobject_cast<const QLabel*>(Control)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(Control)) {
        return button->text();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(Control)) {
        return group->title();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(Control)) {
        return combo->currentText();
    }
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(Control)) {
        return memo->toPlainText();
    }
    return {};
}

class LayoutTest : public testing::TestWithParam<ControlRow> {
protected:
    static void SetUpTestSuite() {
        Form = new fMain::TForm1;
        Form->show();
        Form->FormActivate();
    }
    static void TearDownTestSuite() {
        delete Form;
        Form = nullptr;
    }
    static inline fMain::TForm1* Form = nullptr;
};

TEST_P(LayoutTest, ControlStandsAsLaidOut) {
    const ControlRow& row = GetParam();
    const auto* control = Form->findChild<QWidget*>(QString::fromLatin1(row.Name));
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->inherits(row.Kind)) << control->metaObject()->className();
    EXPECT_EQ(control->parentWidget()->objectName(), row.Parent);
    EXPECT_EQ(control->pos(), QPoint(row.X, row.Y));
    if (row.Width != kAny) {
        EXPECT_EQ(control->size(), QSize(row.Width, row.Height));
    } else {
        // A caption fits its label, and the label ends before the control to its right.
        const QString caption = Caption(control);
        EXPECT_LE(control->fontMetrics().horizontalAdvance(caption), control->width())
            << caption.toStdString();
        for (const QWidget* sibling :
             control->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (sibling != control && sibling->isVisibleTo(Form) &&
                sibling->geometry().intersects(control->geometry())) {
                ADD_FAILURE() << row.Name << " overlaps " << sibling->objectName().toStdString();
            }
        }
    }
    if (row.Caption) {
        EXPECT_EQ(Caption(control), QString::fromUtf8(row.Caption));
    }
    if (const auto* spin = qobject_cast<const SpinEdit::TSpinEdit*>(control)) {
        EXPECT_EQ(spin->minimum(), row.Min);
        EXPECT_EQ(spin->maximum(), row.Max);
        EXPECT_EQ(spin->Value(), row.Value);
    }
    if (const auto* check = qobject_cast<const QCheckBox*>(control)) {
        EXPECT_EQ(check->isChecked(), row.Value != 0);
        // The caption starts at the left edge and the box stands at the right edge.
        const QImage look = const_cast<QCheckBox*>(check)->grab().toImage();
        std::vector<int> inkColumns;
        for (int x = 0; x < look.width(); ++x) {
            for (int y = 0; y < look.height(); ++y) {
                if (qGray(look.pixel(x, y)) < 200) {
                    inkColumns.push_back(x);
                    break;
                }
            }
        }
        ASSERT_FALSE(inkColumns.empty());
        EXPECT_LT(inkColumns.front(), 8);
        EXPECT_GE(inkColumns.back(), look.width() - 3);
        const auto gap =
            std::adjacent_find(inkColumns.begin(), inkColumns.end(), [](int A, int B) { return B - A > 20; });
        ASSERT_NE(gap, inkColumns.end()) << "the caption runs into the box";
        EXPECT_LT(*gap, look.width() / 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Controls, LayoutTest, testing::ValuesIn(kControls),
                         [](const testing::TestParamInfo<ControlRow>& row) {
                             return std::string(row.param.Name);
                         });

TEST(WindowLayoutTest, WindowListsPagesItemsAndTabOrder) {
    WindowFixture::TScriptedBoxes boxes;
    fMain::TForm1 form;
    form.show();
    form.FormActivate();
    EXPECT_EQ(form.windowTitle(), "Настройка ТРК ZUR");
    EXPECT_EQ(form.size(), QSize(498, 312));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);

    const auto* pages = form.findChild<QTabWidget*>("vPages");
    ASSERT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->tabText(0), "Конфигурация");
    EXPECT_EQ(pages->widget(0)->objectName(), "TabSheet2");
    EXPECT_EQ(pages->tabText(1), "Прошивка");
    EXPECT_EQ(pages->widget(1)->objectName(), "TabSheet3");
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_FALSE(pages->isEnabled());
    EXPECT_FALSE(form.findChild<QPlainTextEdit*>("Memo1")->isEnabled());

    const auto items = [&](const char* name) {
        const auto* combo = form.findChild<QComboBox*>(name);
        QStringList list;
        for (int i = 0; i < combo->count(); ++i) {
            list << combo->itemText(i);
        }
        return std::make_pair(list, combo->isEditable());
    };
    EXPECT_EQ(items("bComSpeed"), std::make_pair(QStringList{"2400", "4800", "7200", "9600", "14400", "19200",
                                                             "38400", "57600", "115200"},
                                                 true));
    EXPECT_EQ(items("ComboBox1"), std::make_pair(QStringList{"QV1", "QV2"}, false));
    EXPECT_TRUE(items("vCOMSelect").second);
    QStringList ports = items("vCOMSelect").first;
    QStringList sorted = ports;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(ports, sorted);

    // The window's own controls in tab order.
    const QStringList named{"vCOMSelect", "bOpenClose", "bComSpeed", "vPages", "vTRKAddr"};
    QStringList order;
    for (QWidget* w = form.nextInFocusChain(); w != &form; w = w->nextInFocusChain()) {
        if (named.contains(w->objectName()) && !order.contains(w->objectName())) {
            order << w->objectName();
        }
    }
    EXPECT_EQ(order, named);

    EXPECT_EQ(QFontInfo(form.font()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(form.font()).pixelSize(), 11);
}

TEST(WindowLayoutTest, FileDialogSpeaksRussian) {
    fMain::TForm1 form;
    const auto* dialog = form.findChild<QFileDialog*>("OpenDialog1");
    QStringList buttons;
    for (const QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons()) {
        buttons << button->text();
    }
    EXPECT_EQ(buttons, (QStringList{"&Открыть", "Отмена"}));
    EXPECT_EQ(dialog->findChild<QLabel*>("fileNameLabel")->text(), "&Имя файла:");
}

TEST(WindowLayoutTest, PortBoxListsLongNamesWholeAndShowsItsTextAsTooltip) {
    fMain::TForm1 form;
    form.show();
    auto* box = form.findChild<QComboBox*>("vCOMSelect");
    const QString longest = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3VXY-if00-port0");
    for (int i = 0; i < 12; ++i) { // more names than the list shows at once: it gets a scroll bar
        box->addItem(QStringLiteral("/dev/ttyS%1").arg(i));
    }
    box->addItem(longest);
    box->setCurrentIndex(box->count() - 1);
    EXPECT_EQ(box->toolTip(), longest);
    box->showPopup();
    const QAbstractItemView* list = box->view();
    EXPECT_GE(list->viewport()->width(), list->fontMetrics().horizontalAdvance(longest));
    box->hidePopup();
    EXPECT_EQ(box->geometry(), QRect(41, 5, 81, 21));
    box->setEditText(QStringLiteral("/tmp/zur-sim"));
    EXPECT_EQ(box->toolTip(), "/tmp/zur-sim");
}

} // namespace
