#pragma once
// A small publish/subscribe list: every registered handler is called in registration order, on the
// caller's thread, with the owner as sender.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace uNoty {

// Base of an object handed along with a notification.
class TNotyData {
public:
    virtual ~TNotyData() = default;
};

using THandler =
    std::function<void(void* Sender, const std::string& Kind, const std::string& Subject, TNotyData* Data)>;

// One registration.
struct TMyListClass {
    THandler Handler;
    int32_t Tag = 0; // identifies the registration for Remove
    bool Removed = false;
};

// Handlers may add or remove registrations while Notify runs: one added then is first called by the
// next Notify; one removed then is never called again.
class TMyNoty {
public:
    explicit TMyNoty(void* Sender); // handed to every handler
    TMyNoty(const TMyNoty&) = delete;
    TMyNoty& operator=(const TMyNoty&) = delete;

    // Returns the tag that removes the registration.
    int32_t Add(THandler Handler);
    // False when no live registration has this tag.
    bool Remove(int32_t Tag);
    size_t Count() const;

    // Data stays the caller's.
    void Notify(const std::string& Kind, const std::string& Subject, TNotyData* Data = nullptr);
    // Data is released after the last handler has been called.
    void Notify(const std::string& Kind, const std::string& Subject, std::unique_ptr<TNotyData> Data);

private:
    void* const Owner;
    std::vector<std::unique_ptr<TMyListClass>> Listeners;
    int32_t NextTag = 1;
    int Depth = 0; // nested Notify calls running
};

} // namespace uNoty
