#include "trace/TraceFile.h"

#include "serial/SystemPath.h"
#include "trace/LineTrace.h"

namespace LineTrace {

TTraceFile::TTraceFile(const std::string& Path, const std::string& Writer)
    : file(SystemPath::OpenForWriting(Path)) {
    if (file) {
        std::fprintf(file.get(), "%s\n# written by %s\n", kHeader, Writer.c_str());
        std::fflush(file.get());
    }
}

void TTraceFile::Record(TDirection Direction, std::span<const uint8_t> Bytes, TEnd End) {
    const TChunk chunk{
        .TimeUs = NowUs(), .Direction = Direction, .Bytes = {Bytes.begin(), Bytes.end()}, .End = End};
    const std::string line = Format(chunk) + '\n';
    std::lock_guard lock(mutex);
    if (!file)
        return;
    std::fputs(line.c_str(), file.get());
    std::fflush(file.get());
}

} // namespace LineTrace
