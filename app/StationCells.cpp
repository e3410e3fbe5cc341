#include "app/StationCells.h"

#include <QDateTime>
#include <QHeaderView>
#include <QTableWidget>

namespace StationCells {

QString Local(const std::string& Utc) {
    const QString text = QString::fromStdString(Utc);
    const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : text;
}

QTableWidget* Table(QWidget* Parent, const char* Name, std::span<const char* const> Columns) {
    auto* table = new QTableWidget(0, static_cast<int>(Columns.size()), Parent);
    table->setObjectName(QLatin1String(Name));
    QStringList labels;
    for (const char* column : Columns)
        labels << QString::fromUtf8(column);
    table->setHorizontalHeaderLabels(labels);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return table;
}

} // namespace StationCells
