#include "app/JournalPage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/StationCells.h"
#include "app/WindowTexts.h"

namespace JournalPage {
namespace {

// A journal word (an operation, an outcome) as the window shows it; one it does not know, as it is.
QString Shown(const std::string& Word) {
    const auto* found =
        std::find_if(std::begin(WindowTexts::kJournalWords), std::end(WindowTexts::kJournalWords),
                     [&](const WindowTexts::TWord& w) { return Word == w.Word; });
    return QString::fromUtf8(found == std::end(WindowTexts::kJournalWords) ? Word.c_str() : found->Shown);
}

} // namespace

TJournalPage::TJournalPage(std::function<std::string()> SelectedSerial)
    : selectedSerial(std::move(SelectedSerial)) {
    setObjectName(QStringLiteral("TabJournal"));
    journal = StationCells::Table(this, "vJournal", WindowTexts::kJournalColumns);
    selectedOnly = new QCheckBox(QString::fromUtf8(WindowTexts::kSelectedOnly), this);
    selectedOnly->setObjectName(QStringLiteral("cbSelectedOnly"));
    undo = new QPushButton(QString::fromUtf8(WindowTexts::kUndo), this);
    undo->setObjectName(QStringLiteral("bUndo"));
    auto* row = new QHBoxLayout;
    row->addWidget(selectedOnly);
    row->addStretch();
    row->addWidget(undo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(journal, 1);
    layout->addLayout(row);

    connect(selectedOnly, &QCheckBox::toggled, this, &TJournalPage::Show);
    connect(undo, &QPushButton::clicked, this, &TJournalPage::UndoAsked);
}

std::optional<Journal::TEntry> TJournalPage::Chosen() const {
    const int row = journal->currentRow();
    if (row < 0 || row >= static_cast<int>(shownEntries.size()))
        return std::nullopt;
    return shownEntries[static_cast<std::size_t>(row)];
}

void TJournalPage::SetEnabled(bool Controls, bool Undo) {
    journal->setEnabled(Controls);
    selectedOnly->setEnabled(Controls);
    undo->setEnabled(Undo);
}

void TJournalPage::SelectionChanged() {
    if (selectedOnly->isChecked())
        Show();
}

void TJournalPage::Show() {
    const Journal::TRead read = Journal::Read();
    shownEntries = Journal::Filter(read.Entries, selectedOnly->isChecked() ? selectedSerial() : "");
    std::reverse(shownEntries.begin(), shownEntries.end());
    journal->setRowCount(static_cast<int>(shownEntries.size()));
    for (std::size_t i = 0; i < shownEntries.size(); ++i) {
        const Journal::TEntry& e = shownEntries[i];
        const QString cells[] = {StationCells::Local(e.Time),
                                 QString::fromStdString(e.Program),
                                 QString::fromStdString(e.Serial.value_or("")),
                                 Shown(e.Operation),
                                 Shown(e.Outcome),
                                 QString::fromStdString(e.Backup.value_or(""))};
        for (int column = 0; column < static_cast<int>(std::size(cells)); ++column) {
            auto* cell = new QTableWidgetItem(cells[column]);
            cell->setToolTip(cells[column]); // the copy's path is longer than its column
            journal->setItem(static_cast<int>(i), column, cell);
        }
    }
}

} // namespace JournalPage
