#include "app/TrafficWindow.h"

#include "app/ReportBox.h"
#include "app/WindowTexts.h"
#include "service/Texts.h"

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

} // namespace

TTrafficWindow::TTrafficWindow(LineTrace::TTraceLog& Log) : QWidget(nullptr, Qt::Window), log(Log) {
    setObjectName(QStringLiteral("TrafficWindow"));
    setWindowTitle(QString::fromUtf8(WindowTexts::kTrafficTitle));
    // Closing the main window ends the program even while this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(kWidth, kHeight);

    view = new QPlainTextEdit(this);
    view->setObjectName(QStringLiteral("vTraffic"));
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setMaximumBlockCount(kMaxLines);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    pauseButton = new QPushButton(QString::fromUtf8(WindowTexts::kTrafficPause), this);
    pauseButton->setObjectName(QStringLiteral("bPause"));
    pauseButton->setCheckable(true);
    auto* clear = new QPushButton(QString::fromUtf8(WindowTexts::kTrafficClear), this);
    clear->setObjectName(QStringLiteral("bClear"));
    auto* copy = new QPushButton(QString::fromUtf8(WindowTexts::kTrafficCopy), this);
    copy->setObjectName(QStringLiteral("bCopy"));
    auto* save = new QPushButton(QString::fromUtf8(WindowTexts::kTrafficSave), this);
    save->setObjectName(QStringLiteral("bSave"));
    connect(pauseButton, &QPushButton::toggled, this, &TTrafficWindow::Pause);
    connect(clear, &QPushButton::clicked, this, &TTrafficWindow::Clear);
    connect(copy, &QPushButton::clicked, this, &TTrafficWindow::Copy);
    connect(save, &QPushButton::clicked, this, &TTrafficWindow::SaveAs);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {pauseButton, clear, copy, save})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(view);

    for (const LineTrace::TChunk& chunk : log.Chunks())
        Show(chunk);
    log.OnChunk = [this](const LineTrace::TChunk& Chunk) {
        if (paused) {
            held.push_back(Chunk);
            return;
        }
        Show(Chunk);
        // The view follows the latest lines; Pause holds them still for reading.
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (isVisible() && now - lastPaintMs >= kPaintEveryMs) {
            lastPaintMs = now;
            view->viewport()->repaint();
            view->verticalScrollBar()->repaint();
        }
    };
}

TTrafficWindow::~TTrafficWindow() {
    log.OnChunk = nullptr;
}

void TTrafficWindow::Show(const LineTrace::TChunk& Chunk) {
    for (const std::string& line : decoder.Feed(Chunk))
        view->appendPlainText(QString::fromStdString(line));
}

QString TTrafficWindow::Text() const {
    return view->toPlainText();
}

void TTrafficWindow::Pause(bool Paused) {
    paused = Paused;
    pauseButton->setChecked(Paused);
    if (paused)
        return;
    for (const LineTrace::TChunk& chunk : held)
        Show(chunk);
    held.clear();
}

void TTrafficWindow::Clear() {
    log.Clear();
    held.clear();
    decoder = TraceDecoder::TDecoder();
    view->clear();
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
        for (const LineTrace::TChunk& chunk : log.Chunks())
            text += LineTrace::Format(chunk) + "\n";
    }
    return file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
}

void TTrafficWindow::SaveAs() {
    QString filter;
    const QString decoded = QString::fromUtf8(WindowTexts::kDecodedFilter);
    const QString path =
        QFileDialog::getSaveFileName(this, QString::fromUtf8(WindowTexts::kTrafficSaveTitle), QString(),
                                     QString::fromUtf8(WindowTexts::kTraceFilter) + ";;" + decoded, &filter);
    if (path.isEmpty())
        return;
    if (!Save(path, filter == decoded))
        ReportBox::ShowMessageBox(Texts::kCannotWriteFile + path.toStdString(), Texts::kErrorCaption,
                                  ReportBox::MbOk);
}

} // namespace TrafficWindow
