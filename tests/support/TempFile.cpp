#include "tests/support/TempFile.h"

#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

namespace TempFile {

TTempFile::TTempFile(const std::string& Name, const std::vector<uint8_t>& Bytes)
    : path(testing::TempDir() + Name) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

TTempFile::~TTempFile() {
    std::remove(path.c_str());
}

} // namespace TempFile
