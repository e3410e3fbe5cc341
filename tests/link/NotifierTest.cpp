#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/uNoty.h"

namespace {

using uNoty::TMyNoty;
using uNoty::TNotyData;

struct Call {
    std::string Who;
    void* Sender;
    std::string Kind, Subject;
    TNotyData* Data;
    bool operator==(const Call&) const = default;
};

class NotifierTest : public testing::Test {
protected:
    int owner = 0;
    TMyNoty noty{&owner};
    std::vector<Call> calls;

    uNoty::THandler Recorder(const std::string& Who) {
        return
            [this, Who](void* Sender, const std::string& Kind, const std::string& Subject, TNotyData* Data) {
                calls.push_back({Who, Sender, Kind, Subject, Data});
            };
    }
    std::vector<std::string> Callers() const {
        std::vector<std::string> who;
        for (const Call& c : calls) {
            who.push_back(c.Who);
        }
        return who;
    }
};

class Tracked : public TNotyData {
public:
    explicit Tracked(bool& Flag) : Released(Flag) {}
    ~Tracked() override { Released = true; }

private:
    bool& Released;
};

TEST_F(NotifierTest, CallsInRegistrationOrderWithOwnerAsSender) {
    noty.Add(Recorder("A"));
    noty.Add(Recorder("B"));
    bool released = false;
    Tracked data(released);
    noty.Notify("CHANGED", "STATUS", &data);
    EXPECT_EQ(calls, (std::vector<Call>{{"A", &owner, "CHANGED", "STATUS", &data},
                                        {"B", &owner, "CHANGED", "STATUS", &data}}));
    EXPECT_FALSE(released);
}

TEST_F(NotifierTest, ReleasesOwnedDataAfterTheLastHandler) {
    bool released = false;
    noty.Notify("CHANGED", "NONE", std::make_unique<Tracked>(released));
    EXPECT_TRUE(released);

    released = false;
    noty.Add([&released](void*, const std::string&, const std::string&, TNotyData* Data) {
        EXPECT_NE(Data, nullptr);
        EXPECT_FALSE(released);
    });
    noty.Notify("CHANGED", "NONE", std::make_unique<Tracked>(released));
    EXPECT_TRUE(released);
}

TEST_F(NotifierTest, RemoveByTag) {
    const int32_t a = noty.Add(Recorder("A"));
    noty.Add(Recorder("B"));
    EXPECT_TRUE(noty.Remove(a));
    EXPECT_FALSE(noty.Remove(a));
    EXPECT_FALSE(noty.Remove(999));
    noty.Notify("CHANGED", "NONE");
    EXPECT_EQ(Callers(), (std::vector<std::string>{"B"}));
    EXPECT_EQ(noty.Count(), 1u);
}

TEST_F(NotifierTest, HandlerRemovingLaterEntriesStopsTheirCalls) {
    int32_t b = 0, c = 0;
    noty.Add([&](void*, const std::string&, const std::string&, TNotyData*) {
        calls.push_back({"A", nullptr, "", "", nullptr});
        noty.Remove(b);
        noty.Remove(c);
    });
    b = noty.Add(Recorder("B"));
    c = noty.Add(Recorder("C"));
    noty.Add(Recorder("D"));
    noty.Notify("CHANGED", "NONE");
    EXPECT_EQ(Callers(), (std::vector<std::string>{"A", "D"}));
    EXPECT_EQ(noty.Count(), 2u);
    calls.clear();
    noty.Notify("CHANGED", "NONE");
    EXPECT_EQ(Callers(), (std::vector<std::string>{"A", "D"}));
}

TEST_F(NotifierTest, HandlerRemovingItselfAndAdding) {
    int32_t a = 0;
    a = noty.Add([&](void*, const std::string&, const std::string&, TNotyData*) {
        calls.push_back({"A", nullptr, "", "", nullptr});
        noty.Remove(a);
        // Enough entries to move the list's storage while Notify walks it.
        for (int i = 0; i < 20; ++i) {
            noty.Add(Recorder("new"));
        }
    });
    noty.Add(Recorder("B"));
    noty.Notify("CHANGED", "NONE");
    EXPECT_EQ(Callers(), (std::vector<std::string>{"A", "B"})); // added ones wait for the next round
    EXPECT_EQ(noty.Count(), 21u);
    calls.clear();
    noty.Notify("CHANGED", "NONE");
    EXPECT_EQ(calls.size(), 21u);
    EXPECT_EQ(calls.front().Who, "B");
}

TEST_F(NotifierTest, RemovalInsideNestedNotify) {
    int32_t b = 0;
    bool nested = false;
    noty.Add([&](void*, const std::string&, const std::string& Subject, TNotyData*) {
        calls.push_back({"A", nullptr, "", Subject, nullptr});
        if (!nested) {
            nested = true;
            noty.Notify("CHANGED", "INNER");
            noty.Remove(b);
        }
    });
    b = noty.Add(Recorder("B"));
    noty.Notify("CHANGED", "OUTER");
    // Inner round: A then B; back in the outer round B is gone.
    std::vector<std::string> subjects;
    for (const Call& c : calls) {
        subjects.push_back(c.Who + ":" + c.Subject);
    }
    EXPECT_EQ(subjects, (std::vector<std::string>{"A:OUTER", "A:INNER", "B:INNER"}));
    EXPECT_EQ(noty.Count(), 1u);
}

} // namespace
