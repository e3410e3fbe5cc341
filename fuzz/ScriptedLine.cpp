#include "fuzz/ScriptedLine.h"

#include <algorithm>

namespace ScriptedLine {

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
