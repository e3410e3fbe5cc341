#include "app/RestoreDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/WindowTexts.h"
#include "service/Texts.h"

namespace RestoreDialog {
namespace {

constexpr int kWidth = 640, kHeight = 420;
constexpr int kFieldColumnWidth = 300;

QString Utf8(const std::string& Text) {
    return QString::fromStdString(Text);
}

QString Listed(const std::vector<std::string>& Items) {
    QStringList items;
    for (const std::string& item : Items)
        items << Utf8(item);
    return items.isEmpty() ? QString::fromUtf8(WindowTexts::kNone) : items.join(QStringLiteral(", "));
}

QString Heading(const Scan::TController& Controller) {
    QStringList addresses;
    for (const int address : Controller.Addresses)
        addresses << QString::number(address);
    return QStringLiteral("%1  (%2, %3)")
        .arg(Utf8(Controller.Config.SerialNo), QString::number(Controller.Speed),
             addresses.join(QLatin1Char(',')));
}

} // namespace

QString FieldName(const std::string& Key) {
    const auto* found = std::find_if(std::begin(WindowTexts::kFieldNames), std::end(WindowTexts::kFieldNames),
                                     [&](const WindowTexts::TFieldName& f) { return Key == f.Key; });
    return found == std::end(WindowTexts::kFieldNames) ? Utf8(Key) : QString::fromUtf8(found->Name);
}

QString FieldLine(const ConfigFile::TDifference& Difference, const char* Where) {
    return FieldName(Difference.Key) + QString::fromUtf8(WindowTexts::kOnController) +
           Utf8(Difference.Found) + QString::fromUtf8(Where) + Utf8(Difference.Wanted);
}

std::string EndedLine(const Restore::TPair& Pair, const Restore::TRestored& Restored) {
    using TEnd = Restore::TRestored::TEnd;
    const std::string& serial = Pair.Controller.Config.SerialNo;
    switch (Restored.End) {
    case TEnd::Restored:
        return serial + WindowTexts::kRestoredEnd;
    case TEnd::FileUnusable:
        return serial + WindowTexts::kUnusableEnd + Pair.Problem;
    case TEnd::OtherController:
        return serial + WindowTexts::kOtherEnd;
    case TEnd::BackupFailed:
        return serial + WindowTexts::kCopyFailedEnd;
    case TEnd::Differs: {
        std::string line = serial + WindowTexts::kDiffersEnd;
        for (const ConfigFile::TDifference& d : Restored.Differences)
            line += "\n    " + FieldLine(d, WindowTexts::kInFile).toStdString();
        return line;
    }
    case TEnd::Failed:
        break;
    }
    const Outcome::TRestoreOutcome& outcome = Restored.Outcome;
    if (outcome.Result == Outcome::TResult::Interrupted && outcome.Written.empty())
        return serial + WindowTexts::kStoppedEnd;
    std::string line = serial + WindowTexts::kFailedEnd + Texts::Reason(outcome.Reason);
    for (std::size_t i = 0; i < outcome.Written.size(); ++i)
        line += (i == 0 ? WindowTexts::kPartlyEnd : ", ") + std::string(outcome.Written[i].Name);
    if (!outcome.Written.empty())
        line += Texts::kMixedConfiguration;
    return line;
}

TRestoreDialog::TRestoreDialog(QWidget* Owner, const std::vector<StationTasks::TPreview>& Previews,
                               const std::vector<std::string>& NotOnLine,
                               const std::vector<std::string>& NoFile)
    : QDialog(Owner) {
    setObjectName(QStringLiteral("RestoreDialog"));
    setWindowTitle(QString::fromUtf8(WindowTexts::kRestoreTitle));
    resize(kWidth, kHeight);

    list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("vRestoreList"));
    QStringList columns;
    for (const char* column : WindowTexts::kRestoreColumns)
        columns << QString::fromUtf8(column);
    list->setHeaderLabels(columns);
    list->setColumnWidth(0, kFieldColumnWidth);
    for (const StationTasks::TPreview& preview : Previews) {
        auto* item = new QTreeWidgetItem(list, {Heading(preview.Pair.Controller)});
        const bool usable = preview.Pair.Config && preview.Read.Succeeded();
        item->setFlags(usable ? item->flags() | Qt::ItemIsUserCheckable : item->flags() & ~Qt::ItemIsEnabled);
        item->setCheckState(0, usable && !preview.Differences.empty() ? Qt::Checked : Qt::Unchecked);
        // A controller the file would not change, or cannot, says why on its whole line.
        QString why;
        if (!preview.Pair.Config)
            why = Utf8(preview.Pair.Problem);
        else if (!preview.Read.Succeeded())
            why = Utf8(Texts::kReadFailed + Texts::Reason(preview.Read.Reason));
        else if (preview.Differences.empty())
            why = QString::fromUtf8(WindowTexts::kAlike);
        if (!why.isEmpty()) {
            item->setText(0, item->text(0) + QStringLiteral(" - ") + why);
            item->setFirstColumnSpanned(true);
        }
        for (const ConfigFile::TDifference& d : preview.Differences)
            new QTreeWidgetItem(item, {FieldName(d.Key), Utf8(d.Found), Utf8(d.Wanted)});
        item->setExpanded(true);
    }

    auto* notOnLine = new QLabel(QString::fromUtf8(WindowTexts::kNotOnLine) + Listed(NotOnLine), this);
    notOnLine->setObjectName(QStringLiteral("lNotOnLine"));
    notOnLine->setWordWrap(true);
    auto* noFile = new QLabel(QString::fromUtf8(WindowTexts::kWithoutFile) + Listed(NoFile), this);
    noFile->setObjectName(QStringLiteral("lNoFile"));
    noFile->setWordWrap(true);

    auto* restore = new QPushButton(QString::fromUtf8(WindowTexts::kRestoreButton), this);
    restore->setObjectName(QStringLiteral("bRestoreChecked"));
    auto* cancel = new QPushButton(QString::fromUtf8(WindowTexts::kCancel), this);
    cancel->setObjectName(QStringLiteral("bCancelRestore"));
    cancel->setDefault(true);
    connect(restore, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(restore);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list);
    layout->addWidget(notOnLine);
    layout->addWidget(noFile);
    layout->addLayout(buttons);
}

std::vector<std::size_t> TRestoreDialog::Chosen() const {
    std::vector<std::size_t> chosen;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->checkState(0) == Qt::Checked)
            chosen.push_back(static_cast<std::size_t>(i));
    return chosen;
}

} // namespace RestoreDialog
