#include "fuzz/ScriptedLine.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace ScriptedLine {

namespace {

// The line as the main window opens it: 9600 bit/s, queues of 256 bytes, DTR and RTS off,
// odd parity, one stop bit, 8 data bits.
constexpr uint32_t kBaudRate = 9600, kQueueSize = 256, kDcbFlags = 2;
constexpr uint8_t kOddParity = 1, kOneStopBit = 0, kByteSize = 8;

} // namespace

TPtyMaster::TPtyMaster() : masterFd(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    std::array<char, 128> name{};
    if (masterFd < 0 || grantpt(masterFd) != 0 || unlockpt(masterFd) != 0 ||
        ptsname_r(masterFd, name.data(), name.size()) != 0) {
        // The port object below then fails to open and says so.
        return;
    }
    slaveName = name.data();
}

TPtyMaster::~TPtyMaster() {
    if (masterFd >= 0) {
        close(masterFd);
    }
}

TScriptedLine::TScriptedLine()
    : MyCOMM::TZMyComm(slaveName, kBaudRate, kQueueSize, kQueueSize, kDcbFlags, kOddParity, kOneStopBit,
                       kByteSize) {}

void TScriptedLine::Script(std::vector<Bytes> Answers) {
    answers.assign(std::make_move_iterator(Answers.begin()), std::make_move_iterator(Answers.end()));
    pending.clear();
    writes.clear();
    reads.clear();
}

bool TScriptedLine::WriteAll(const void* Buffer, int Count) {
    const auto* bytes = static_cast<const uint8_t*>(Buffer);
    writes.emplace_back(bytes, bytes + std::max(Count, 0));
    return false;
}

int TScriptedLine::Read(void* Buffer, int Count) {
    if (!answers.empty()) {
        pending.insert(pending.end(), answers.front().begin(), answers.front().end());
        answers.pop_front();
    }
    const auto taken = static_cast<std::ptrdiff_t>(std::min<std::size_t>(pending.size(), std::max(Count, 0)));
    std::copy_n(pending.begin(), taken, static_cast<uint8_t*>(Buffer));
    reads.emplace_back(pending.begin(), pending.begin() + taken);
    pending.erase(pending.begin(), pending.begin() + taken);
    return static_cast<int>(taken);
}

} // namespace ScriptedLine
