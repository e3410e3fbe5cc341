#include "fuzz/ScriptedLine.h"

#include <algorithm>

namespace ScriptedLine {

void TRecord::Clear() {
    bytes.clear();
    ends.clear();
}

void TRecord::Add(Piece Bytes) {
    bytes.insert(bytes.end(), Bytes.begin(), Bytes.end());
    ends.push_back(bytes.size());
}

Piece TRecord::operator[](std::size_t Index) const {
    const std::size_t start = Index == 0 ? 0 : ends[Index - 1];
    return Piece(bytes).subspan(start, ends[Index] - start);
}

void TScriptedLine::Script(std::span<const Piece> Answers) {
    answers = Answers;
    pending.clear();
    writes.Clear();
    reads.Clear();
}

bool TScriptedLine::WriteAll(const void* Buffer, int Count) {
    writes.Add(Piece(static_cast<const uint8_t*>(Buffer), static_cast<std::size_t>(std::max(Count, 0))));
    return false;
}

int TScriptedLine::Read(void* Buffer, int Count) {
    if (!answers.empty()) {
        pending.insert(pending.end(), answers.front().begin(), answers.front().end());
        answers = answers.subspan(1);
    }
    const auto taken = static_cast<std::ptrdiff_t>(std::min<std::size_t>(pending.size(), std::max(Count, 0)));
    std::copy_n(pending.begin(), taken, static_cast<uint8_t*>(Buffer));
    reads.Add(Piece(pending).first(static_cast<std::size_t>(taken)));
    pending.erase(pending.begin(), pending.begin() + taken);
    return static_cast<int>(taken);
}

} // namespace ScriptedLine
