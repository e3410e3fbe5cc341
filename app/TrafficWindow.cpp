#include "app/TrafficWindow.h"

#include "app/fMain.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace TrafficWindow {
namespace {

constexpr int kMaxLines = 50000; // the oldest lines go beyond this
constexpr int kWidth = 760, kHeight = 420;
// Operations run on this thread and let the window paint only now and then, so the view is
// painted at once when a chunk comes, but not more often than this.
constexpr qint64 kPaintEveryMs = 50;

const QString kTraceFilter = QStringLiteral("Трасса линии (*.trace)");
const QString kTextFilter = QStringLiteral("Расшифровка (*.txt)");

} // namespace

TTrafficWindow::TTrafficWindow(LineTrace::TTraceLog& Log) : QWidget(nullptr, Qt::Window), Log(Log) {
    setObjectName(QStringLiteral("TrafficWindow"));
    setWindowTitle(QStringLiteral("Обмен по линии"));
    // Closing the main window ends the program even while this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(kWidth, kHeight);

    View = new QPlainTextEdit(this);
    View->setObjectName(QStringLiteral("vTraffic"));
    View->setReadOnly(true);
    View->setLineWrapMode(QPlainTextEdit::NoWrap);
    View->setMaximumBlockCount(kMaxLines);
    View->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    PauseButton = new QPushButton(QStringLiteral("Пауза"), this);
    PauseButton->setObjectName(QStringLiteral("bPause"));
    PauseButton->setCheckable(true);
    auto* clear = new QPushButton(QStringLiteral("Очистить"), this);
    clear->setObjectName(QStringLiteral("bClear"));
    auto* copy = new QPushButton(QStringLiteral("Копировать"), this);
    copy->setObjectName(QStringLiteral("bCopy"));
    auto* save = new QPushButton(QStringLiteral("Сохранить..."), this);
    save->setObjectName(QStringLiteral("bSave"));
    connect(PauseButton, &QPushButton::toggled, this, &TTrafficWindow::Pause);
    connect(clear, &QPushButton::clicked, this, &TTrafficWindow::Clear);
    connect(copy, &QPushButton::clicked, this, &TTrafficWindow::Copy);
    connect(save, &QPushButton::clicked, this, &TTrafficWindow::SaveAs);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {PauseButton, clear, copy, save})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(View);

    for (const LineTrace::TChunk& chunk : Log.Chunks())
        Show(chunk);
    Log.OnChunk = [this](const LineTrace::TChunk& Chunk) {
        if (Paused) {
            Held.push_back(Chunk);
            return;
        }
        Show(Chunk);
        // The view follows the latest lines; Pause holds them still for reading.
        View->verticalScrollBar()->setValue(View->verticalScrollBar()->maximum());
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (isVisible() && now - LastPaintMs >= kPaintEveryMs) {
            LastPaintMs = now;
            View->viewport()->repaint();
            View->verticalScrollBar()->repaint();
        }
    };
}

TTrafficWindow::~TTrafficWindow() {
    Log.OnChunk = nullptr;
}

void TTrafficWindow::Show(const LineTrace::TChunk& Chunk) {
    for (const std::string& line : Decoder.Feed(Chunk))
        View->appendPlainText(QString::fromStdString(line));
}

QString TTrafficWindow::Text() const {
    return View->toPlainText();
}

void TTrafficWindow::Pause(bool Pause) {
    Paused = Pause;
    PauseButton->setChecked(Pause);
    if (Paused)
        return;
    for (const LineTrace::TChunk& chunk : Held)
        Show(chunk);
    Held.clear();
}

void TTrafficWindow::Clear() {
    Log.Clear();
    Held.clear();
    Decoder = TraceDecoder::TDecoder();
    View->clear();
}

void TTrafficWindow::Copy() {
    QApplication::clipboard()->setText(Text());
}

bool TTrafficWindow::Save(const QString& Path, bool Decoded) const {
    QFile file(Path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    std::string text;
    if (Decoded) {
        text = Text().toStdString() + "\n";
    } else {
        text = std::string(LineTrace::kHeader) + "\n# written by zur-service\n";
        for (const LineTrace::TChunk& chunk : Log.Chunks())
            text += LineTrace::Format(chunk) + "\n";
    }
    return file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
}

void TTrafficWindow::SaveAs() {
    QString filter;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить"), QString(),
                                                      kTraceFilter + ";;" + kTextFilter, &filter);
    if (path.isEmpty())
        return;
    if (!Save(path, filter == kTextFilter))
        fMain::ShowMessageBox("Не удалось записать файл " + path.toStdString(), "ОШИБКА", fMain::MbOk);
}

} // namespace TrafficWindow
