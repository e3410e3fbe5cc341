#include "link/uNoty.h"

#include <algorithm>

namespace uNoty {

TMyNoty::TMyNoty(void* Sender) : Owner(Sender) {}

int32_t TMyNoty::Add(THandler Handler) {
    const int32_t tag = NextTag++;
    Listeners.push_back(std::make_unique<TMyListClass>(TMyListClass{std::move(Handler), tag}));
    return tag;
}

bool TMyNoty::Remove(int32_t Tag) {
    const auto found = std::ranges::find_if(Listeners, [Tag](const std::unique_ptr<TMyListClass>& entry) {
        return entry->Tag == Tag && !entry->Removed;
    });
    if (found == Listeners.end()) {
        return false;
    }
    // While Notify walks the list the entry only goes dead, so positions stay valid until it ends.
    if (Depth > 0) {
        (*found)->Removed = true;
    } else {
        Listeners.erase(found);
    }
    return true;
}

size_t TMyNoty::Count() const {
    return static_cast<size_t>(std::ranges::count_if(
        Listeners, [](const std::unique_ptr<TMyListClass>& entry) { return !entry->Removed; }));
}

void TMyNoty::Notify(const std::string& Kind, const std::string& Subject, TNotyData* Data) {
    const size_t count = Listeners.size();
    ++Depth;
    for (size_t i = 0; i < count; ++i) {
        // Looked up afresh each time: a handler may have added entries and moved the storage.
        TMyListClass& entry = *Listeners[i];
        if (!entry.Removed && entry.Handler) {
            // A copy: the handler may remove its own entry while running.
            const THandler handler = entry.Handler;
            handler(Owner, Kind, Subject, Data);
        }
    }
    if (--Depth == 0) {
        std::erase_if(Listeners, [](const std::unique_ptr<TMyListClass>& entry) { return entry->Removed; });
    }
}

void TMyNoty::Notify(const std::string& Kind, const std::string& Subject, std::unique_ptr<TNotyData> Data) {
    Notify(Kind, Subject, Data.get());
}

} // namespace uNoty
