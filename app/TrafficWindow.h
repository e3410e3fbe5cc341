#pragma once
// The traffic window: the line trace decoded into readable lines, growing while operations run,
// with a pause, clearing, copying and saving (the trace itself, to be decoded later, or the
// decoded lines). It is a window of its own, not owned by the main window, so that it stays usable
// while the wait window keeps the main window disabled.

#include <QWidget>
#include <vector>

#include "trace/TraceDecoder.h"
#include "trace/TraceLog.h"

class QPlainTextEdit;
class QPushButton;

namespace TrafficWindow {

class TTrafficWindow : public QWidget {
    Q_OBJECT
public:
    // Shows what Log holds and, from then on, every chunk it records. Log must outlive the window.
    explicit TTrafficWindow(LineTrace::TTraceLog& Log);
    ~TTrafficWindow() override;

    QString Text() const;
    // Writes the trace format (Decoded false) or the decoded lines; false when the file cannot be written.
    bool Save(const QString& Path, bool Decoded) const;

public slots:
    void Pause(bool Paused);
    void Clear();
    void Copy();
    void SaveAs();

private:
    void Show(const LineTrace::TChunk& Chunk);

    LineTrace::TTraceLog& log;
    TraceDecoder::TDecoder decoder;
    std::vector<LineTrace::TChunk> held; // what came during a pause
    bool paused = false;
    qint64 lastPaintMs = 0;
    QPlainTextEdit* view = nullptr;
    QPushButton* pauseButton = nullptr;
};

} // namespace TrafficWindow
