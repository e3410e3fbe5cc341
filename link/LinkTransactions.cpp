#include "link/LinkTransactions.h"

#include <algorithm>

namespace LinkTransactions {

const TTransaction* Find(uint8_t Code, TSender Sender) {
    const auto found = std::ranges::find_if(
        kTransactions, [&](const TTransaction& T) { return T.Code == Code && T.Sender == Sender; });
    return found == kTransactions.end() ? nullptr : &*found;
}

bool Takes(const TTransaction& Transaction, std::size_t DataSize) {
    if (!Transaction.Lengths.empty()) {
        return std::ranges::find(Transaction.Lengths, DataSize) != Transaction.Lengths.end();
    }
    return DataSize >= Transaction.Shortest;
}

} // namespace LinkTransactions
