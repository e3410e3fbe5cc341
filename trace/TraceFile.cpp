#include "trace/TraceFile.h"

#include <cerrno>

#include "serial/SystemPath.h"
#include "trace/LineTrace.h"

namespace LineTrace {

TTraceFile::TTraceFile(const std::string& Path, const std::string& Writer)
    : file(SystemPath::OpenForWriting(Path)) {
    if (file && (std::fprintf(file.get(), "%s\n# written by %s\n", kHeader, Writer.c_str()) < 0 ||
                 std::fflush(file.get()) != 0))
        lost = errno;
}

int TTraceFile::Lost() {
    std::lock_guard lock(mutex);
    return lost;
}

void TTraceFile::Record(TDirection Direction, std::span<const uint8_t> Bytes, TEnd End) {
    const TChunk chunk{
        .TimeUs = NowUs(), .Direction = Direction, .Bytes = {Bytes.begin(), Bytes.end()}, .End = End};
    const std::string line = Format(chunk) + '\n';
    std::lock_guard lock(mutex);
    if (!file)
        return;
    if ((std::fputs(line.c_str(), file.get()) < 0 || std::fflush(file.get()) != 0) && lost == 0)
        lost = errno;
}

} // namespace LineTrace
