// The page "Прошивка" driven through the window: choosing the file in OpenDialog1 and loading it
// into the simulated controller.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <fstream>

#include "app/StationWindow.h"
#include "service/Journal.h"
#include "sim/SimImage.h"
#include "tests/support/WindowFixture.h"

namespace {

using WindowFixture::TBox;

// The simulator takes the 32-bit header value as the body's length.
std::vector<uint8_t> ImageFile(const std::vector<uint8_t>& Body, uint16_t Value16) {
    return SimImage::MakeImageFile(static_cast<uint32_t>(Body.size()), Value16, Body);
}

class FirmwarePageTest : public WindowFixture::WindowTest {
protected:
    QString Write(const char* Name, const std::vector<uint8_t>& Bytes) {
        const QString path = Dir.filePath(QString::fromLatin1(Name));
        std::ofstream(path.toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
        return path;
    }
    QString Label18() { return Find<QLabel>("Label18")->text(); }

    QTemporaryDir Dir;
};

TEST_F(FirmwarePageTest, ChosenImageArrivesWhole) {
    std::vector<uint8_t> body(1000);
    for (size_t i = 0; i < body.size(); ++i) {
        body[i] = static_cast<uint8_t>(i * 7 + (i >> 3)); // includes the stuffed bytes 0x10 and 0xFA
    }
    const QString path = Write("good.bin", ImageFile(body, 0x1234));
    Open();
    Choose(path);
    EXPECT_TRUE(Boxes->Boxes.empty());
    EXPECT_EQ(Label18(), "Файл микрокода : " + QDir::toNativeSeparators(path));
    EXPECT_TRUE(Form->FirmwareState().ImageChosen);

    Click("Button4");
    ASSERT_EQ(Boxes->Boxes, (std::vector<TBox>{{"Микрокод успешно обновлен.", "СООБЩЕНИЕ", 0}}));
    EXPECT_TRUE(Boxes->Boxes[0].BarShown); // the progress window is still up for the last box
    const sim::ReceivedImage image = Sim->Image();
    EXPECT_TRUE(image.Started);
    EXPECT_EQ(image.Value32, body.size());
    EXPECT_EQ(image.Value16, 0x1234);
    EXPECT_EQ(image.Body, body);
    EXPECT_EQ(Form->FirmwareState().TransferPos, 6);
    EXPECT_TRUE(Form->isEnabled());
}

TEST_F(FirmwarePageTest, UpdateKeepsACopyAndJournalsTheImage) {
    const QString path = Write("good.bin", ImageFile({1, 2, 3}, 7));
    Open();
    Choose(path);
    Click("Button4");
    const Journal::TRead journal = Journal::Read();
    ASSERT_EQ(journal.Entries.size(), 1u);
    const Journal::TEntry& entry = journal.Entries[0];
    EXPECT_EQ(entry.Operation, "update");
    EXPECT_EQ(entry.Outcome, "success");
    ASSERT_TRUE(entry.Image.has_value());
    EXPECT_EQ(entry.Image->File, "good.bin");
    EXPECT_EQ(entry.Image->Size, 11u); // the file's nine bytes and its checksum
    ASSERT_TRUE(entry.Backup.has_value());
    EXPECT_TRUE(std::filesystem::exists(*entry.Backup));
}

TEST_F(FirmwarePageTest, RejectedOrCancelledChoiceKeepsTheAcceptedFile) {
    const QString good = Write("good.bin", ImageFile({1, 2, 3}, 7));
    std::vector<uint8_t> bad = ImageFile({1, 2, 3}, 7);
    bad[7] ^= 0x01;
    const QString rejected = Write("bad.bin", bad);
    Open();
    Choose(good);
    Choose(rejected);
    EXPECT_EQ(Boxes->Boxes, (std::vector<TBox>{{"Ошибка контрольной суммы!", "ОШИБКА", 0}}));
    Choose(QString());
    EXPECT_EQ(Boxes->Boxes.size(), 1u);
    EXPECT_EQ(Label18(), "Файл микрокода : " + QDir::toNativeSeparators(good));
    EXPECT_EQ(Form->FirmwareState().FirmwareImage, (std::vector<uint8_t>{3, 0, 0, 0, 7, 0, 1, 2, 3}));
}

TEST_F(FirmwarePageTest, PolledReplyWithAWrongCrcShowsBothCrcs) {
    const QString path = Write("good.bin", ImageFile({1, 2, 3}, 7));
    Open();
    Choose(path);
    // The probe's request is acknowledged and its poll answered by a DATA frame whose CRC is 0x0F00
    // but which carries 0x12AB. The simulator's own answer (an EOT) comes after a pause, too late.
    sim::PollReply eot;
    eot.Eot = true;
    Sim->QueuePollReply(eot);
    sim::Rule poll;
    poll.First = poll.Last = 2;
    poll.StrayBefore = {0xFF, 0x31, 0x42, 0x02, 0xD0, 0xAE, 0xAB, 0x12, 0x03, 0xFA};
    poll.SplitAfter = 0;
    poll.SplitPauseMs = 100;
    Sim->AddRule(poll);

    Click("Button4");
    ASSERT_FALSE(Boxes->Boxes.empty());
    EXPECT_EQ(Boxes->Boxes.front(), (TBox{"12AB 0F00", "", 0}));
    EXPECT_EQ(Boxes->Boxes.back(), (TBox{"Микрокод успешно обновлен.", "СООБЩЕНИЕ", 0}));
}

TEST_F(FirmwarePageTest, UpdateWithoutImageIsRefused) {
    Open();
    Click("Button4");
    EXPECT_EQ(Boxes->Boxes, (std::vector<TBox>{{"Не выбран файл микрокода!", "СООБЩЕНИЕ", 0}}));
    EXPECT_TRUE(Sim->ReceivedFrames().empty());
}

// A noisy line fails a block of the first attempt; with the station window's check box the update
// starts again by itself, and the window says only how the last attempt ended.
class NoisyFirmwarePageTest : public FirmwarePageTest {
protected:
    std::optional<sim::Options> SimOptions() const override {
        sim::Options options;
        options.Noise = {.Rate = 5e-5, .Seed = 2}; // this seed damages a block of the first attempt only
        return options;
    }
};

TEST_F(NoisyFirmwarePageTest, TheRetryCheckBoxOvercomesAFailedBlock) {
    const std::vector<uint8_t> body = SimImage::PatternBody(2000, 1);
    const QString path = Write("noisy.bin", SimImage::MakeImageFile(2000, 0x5A5A, body));
    Open();
    Form->ShowStation();
    Form->Station()->findChild<QCheckBox*>(QStringLiteral("cbRetryUpdate"))->setChecked(true);
    Choose(path);
    Click("Button4");
    EXPECT_EQ(Boxes->Boxes, (std::vector<TBox>{{"Микрокод успешно обновлен.", "СООБЩЕНИЕ", 0}}));
    EXPECT_EQ(Sim->Image().Body, body);
    const Journal::TRead journal = Journal::Read();
    ASSERT_EQ(journal.Entries.size(), 1u);
    EXPECT_EQ(journal.Entries[0].Attempts, 2);
}

} // namespace
