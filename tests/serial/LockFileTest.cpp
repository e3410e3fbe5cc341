// The lock is honoured where it can be and never required.

#include "serial/LockFile.h"

#include <gtest/gtest.h>

namespace {

TEST(LockFileTest, FolderThatCannotHoldLocksIsNoObstacle) {
    for (const char* folder : {"/nonexistent-zur-lock-folder", "/proc"})
        EXPECT_TRUE(LockFile::TLockFile::Take("/dev/null", folder).has_value()) << folder;
}

} // namespace
