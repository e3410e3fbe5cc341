#pragma once
// Owns one POSIX descriptor and closes it when it goes.

#include <utility>

#include <unistd.h>

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int Owned) : fd(Owned) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& Other) noexcept : fd(Other.Release()) {}
    UniqueFd& operator=(UniqueFd&& Other) noexcept {
        if (this != &Other) {
            Reset();
            fd = Other.Release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd; }
    explicit operator bool() const { return fd >= 0; }
    int Release() { return std::exchange(fd, -1); }
    void Reset() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

private:
    int fd = -1;
};
