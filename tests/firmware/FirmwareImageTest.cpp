#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "firmware/FirmwareImage.h"
#include "sim/SimImage.h"
#include "tests/support/ScriptedWindow.h"

namespace {

using FirmwareImage::TCheck;
using SimImage::MakeImageFile;
using SimImage::PatternBody;

constexpr size_t kLargestImage = INT32_MAX / 100; // header and body, as the transfer counts them

std::vector<uint8_t> Flipped(std::vector<uint8_t> Bytes, std::ptrdiff_t FromEnd) {
    Bytes[FromEnd < 0 ? Bytes.size() + FromEnd : FromEnd] ^= 0x01;
    return Bytes;
}

struct TCheckRow {
    const char* Name;
    std::function<std::vector<uint8_t>()> File;
    TCheck Expected;
};

const std::vector<uint8_t> kGood = MakeImageFile(0x04030201, 0xA0B0, PatternBody(40, 7));

const TCheckRow kCheckRows[] = {
    {"EightBytesEmptyBody", [] { return MakeImageFile(0x11223344, 0x5566, {}); }, TCheck::Accepted},
    {"FortyByteBody", [] { return kGood; }, TCheck::Accepted},
    {"BodyOfStuffingBytes", [] { return MakeImageFile(0xFAFAFAFA, 0x10FA, std::vector<uint8_t>(34, 0xFA)); },
     TCheck::Accepted},
    {"Empty", [] { return std::vector<uint8_t>{}; }, TCheck::TooShort},
    {"OneByte", [] { return std::vector<uint8_t>{0x00}; }, TCheck::TooShort},
    // Two zero bytes are the checksum of nothing: still too short for the header.
    {"TwoZeroBytes",
     [] {
         return std::vector<uint8_t>{0x00, 0x00};
     },
     TCheck::TooShort},
    {"SevenBytesWithMatchingTail",
     [] {
         auto file = MakeImageFile(0x01020304, 0x0506, {});
         file.erase(file.begin()); // the tail no longer matches, but length is what is refused
         return file;
     },
     TCheck::TooShort},
    {"FirstHeaderByteFlipped", [] { return Flipped(kGood, 0); }, TCheck::ChecksumMismatch},
    {"Value16HighByteFlipped", [] { return Flipped(kGood, 5); }, TCheck::ChecksumMismatch},
    {"FirstBodyByteFlipped", [] { return Flipped(kGood, 6); }, TCheck::ChecksumMismatch},
    {"LastBodyByteFlipped", [] { return Flipped(kGood, -3); }, TCheck::ChecksumMismatch},
    {"ChecksumLowByteFlipped", [] { return Flipped(kGood, -2); }, TCheck::ChecksumMismatch},
    {"ChecksumHighByteFlipped", [] { return Flipped(kGood, -1); }, TCheck::ChecksumMismatch},
    {"ChecksumBytesSwapped",
     [] {
         auto file = kGood;
         std::swap(file[file.size() - 2], file[file.size() - 1]);
         return file;
     },
     TCheck::ChecksumMismatch},
    {"LargestImage", [] { return MakeImageFile(1, 2, std::vector<uint8_t>(kLargestImage - 6, 0x5A)); },
     TCheck::Accepted},
    {"OneByteTooLarge", [] { return MakeImageFile(1, 2, std::vector<uint8_t>(kLargestImage - 5, 0x5A)); },
     TCheck::TooLarge},
};

void PrintTo(const TCheckRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

class ImageCheckTest : public testing::TestWithParam<TCheckRow> {};

TEST_P(ImageCheckTest, AcceptsExactlyWhatTheChecksumAndSizeAllow) {
    const std::vector<uint8_t> file = GetParam().File();
    const FirmwareImage::TLoaded loaded = FirmwareImage::CheckImage(file);
    ASSERT_EQ(loaded.Result, GetParam().Expected);
    if (loaded.Result != TCheck::Accepted) {
        EXPECT_FALSE(loaded.Image.ImageChosen);
        EXPECT_TRUE(loaded.Image.FirmwareImage.empty());
        return;
    }
    EXPECT_TRUE(loaded.Image.ImageChosen);
    EXPECT_EQ(loaded.Image.TransferPos, 6);
    EXPECT_TRUE(
        std::equal(loaded.Image.FirmwareImage.begin(), loaded.Image.FirmwareImage.end(), file.begin()));
    EXPECT_EQ(loaded.Image.FirmwareImage.size(), file.size() - 2);
    EXPECT_EQ(loaded.Image.ImageValue32,
              uint32_t(file[0] | file[1] << 8 | file[2] << 16 | uint32_t(file[3]) << 24));
    EXPECT_EQ(loaded.Image.ImageValue16, uint16_t(file[4] | file[5] << 8));
}

INSTANTIATE_TEST_SUITE_P(Files, ImageCheckTest, testing::ValuesIn(kCheckRows),
                         [](const auto& row) { return std::string(row.param.Name); });

TEST(ImageCheckTest, EverySingleByteFlipIsRefused) {
    for (size_t position = 0; position < kGood.size(); ++position) {
        for (uint8_t mask : {0x01, 0x80, 0xFF}) {
            auto file = kGood;
            file[position] ^= mask;
            EXPECT_EQ(FirmwareImage::CheckImage(file).Result, TCheck::ChecksumMismatch)
                << "byte " << position << " mask " << int(mask);
        }
    }
}

// What "Выбрать файл" does with a chosen file, starting from a previously accepted image.
struct TChoiceRow {
    const char* Name;
    std::function<std::string(const std::string& Folder)> MakePath; // creates the file, returns its path
    bool Accepted;
    std::string Text; // the message shown when refused
};

// Paths are UTF-8 in the tool; the standard library makes the file system's own name of them.
std::filesystem::path FromUtf8(const std::string& Path) {
    return std::filesystem::path(std::u8string(Path.begin(), Path.end()));
}

std::string Write(const std::string& Path, const std::vector<uint8_t>& Bytes) {
    std::ofstream(FromUtf8(Path), std::ios::binary)
        .write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
    return Path;
}

// A folder chosen as the file: Linux opens it and refuses the read, Windows refuses the opening.
#ifdef _WIN32
constexpr int kFolderError = EACCES;
#else
constexpr int kFolderError = EISDIR;
#endif

const TChoiceRow kChoiceRows[] = {
    {"GoodFile", [](const std::string& f) { return Write(f + "good.bin", kGood); }, true, ""},
    // A Cyrillic user name is enough for such a folder; Windows must not read the name as ANSI.
    {"CyrillicFolderAndName",
     [](const std::string& f) {
         std::filesystem::create_directory(FromUtf8(f + "Прошивки"));
         return Write(f + "Прошивки/микрокод.bin", kGood);
     },
     true, ""},
    {"ChecksumMismatch", [](const std::string& f) { return Write(f + "bad.bin", Flipped(kGood, 10)); }, false,
     "Ошибка контрольной суммы!"},
    {"FiveBytes",
     [](const std::string& f) {
         return Write(f + "short.bin", {1, 2, 3, 4, 5});
     },
     false, "Файл микрокода слишком короткий!"},
    {"EmptyFile", [](const std::string& f) { return Write(f + "empty.bin", {}); }, false,
     "Файл микрокода слишком короткий!"},
    {"Missing", [](const std::string& f) { return f + "no-such-file.bin"; }, false, std::strerror(ENOENT)},
    {"Folder", [](const std::string& f) { return f; }, false, std::strerror(kFolderError)},
    {"HugeSparseFile",
     [](const std::string& f) {
         const std::string path = Write(f + "huge.bin", {});
         std::filesystem::resize_file(path, uintmax_t{1} << 32);
         return path;
     },
     false, "Файл микрокода слишком большой!"},
};

void PrintTo(const TChoiceRow& Row, std::ostream* Out) {
    *Out << Row.Name;
}

class ImageChoiceTest : public testing::TestWithParam<TChoiceRow> {
protected:
    void SetUp() override {
        folder = testing::TempDir() + "choice-" + GetParam().Name + "/";
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string folder;
};

TEST_P(ImageChoiceTest, ReplacesTheKeptImageOnlyWhenAccepted) {
    const std::vector<uint8_t> previousFile = MakeImageFile(0xCAFEBABE, 0x1234, PatternBody(70, 3));
    FirmwareImage::TImageState image = FirmwareImage::CheckImage(previousFile).Image;
    image.TransferPos = 39; // whatever the previous state, a refusal leaves it alone
    const FirmwareImage::TImageState before = image;
    ScriptedWindow::TScriptedWindow window;

    const bool accepted = FirmwarePage::AcceptImageFile(GetParam().MakePath(folder), image, window);

    ASSERT_EQ(accepted, GetParam().Accepted);
    if (accepted) {
        EXPECT_TRUE(window.Messages.empty());
        EXPECT_EQ(image.FirmwareImage, std::vector<uint8_t>(kGood.begin(), kGood.end() - 2));
        EXPECT_EQ(image.ImageValue32, 0x04030201u);
        EXPECT_EQ(image.ImageValue16, 0xA0B0);
        EXPECT_EQ(image.TransferPos, 6);
        EXPECT_TRUE(image.ImageChosen);
        return;
    }
    ASSERT_EQ(window.Messages.size(), 1u);
    EXPECT_EQ(window.Messages[0], (ScriptedWindow::TMessage{GetParam().Text, "ОШИБКА", 0}));
    EXPECT_EQ(image.FirmwareImage, before.FirmwareImage);
    EXPECT_EQ(image.ImageValue32, before.ImageValue32);
    EXPECT_EQ(image.ImageValue16, before.ImageValue16);
    EXPECT_EQ(image.TransferPos, before.TransferPos);
    EXPECT_TRUE(image.ImageChosen);
}

INSTANTIATE_TEST_SUITE_P(Files, ImageChoiceTest, testing::ValuesIn(kChoiceRows),
                         [](const auto& row) { return std::string(row.param.Name); });

} // namespace
