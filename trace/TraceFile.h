#pragma once
// A tap that writes the trace to a file, a line per chunk, each line flushed as it is written so
// that a trace survives a crash of the program that writes it. Safe to call from several threads.

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "trace/LineTrace.h"

namespace LineTrace {

class TTraceFile final : public LineTap::TLineTap {
public:
    // Creates or empties Path and writes the header naming Writer. Check IsOpen.
    TTraceFile(const std::string& Path, const std::string& Writer);

    bool IsOpen() const { return file != nullptr; }
    // The system's error number of the first line that did not reach the file; 0 while all did.
    int Lost();
    void Record(TDirection Direction, std::span<const uint8_t> Bytes, TEnd End) override;

private:
    struct Closer {
        void operator()(std::FILE* File) const { std::fclose(File); }
    };
    std::mutex mutex;
    std::unique_ptr<std::FILE, Closer> file;
    int lost = 0;
};

} // namespace LineTrace
