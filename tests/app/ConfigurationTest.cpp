// Reading and saving the configuration through the window, and the address query, against the
// simulated controller.
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <algorithm>
#include <atomic>
#include <climits>
#include <fstream>
#include <sstream>

#include "serial/LineTap.h"
#include "service/ConfigFile.h"
#include "service/Journal.h"
#include "tests/support/WindowFixture.h"

namespace {

using WindowFixture::TBox;

const TBox kReadDone{"Конфигурация успешно получена", "СООБЩЕНИЕ", 0};
const TBox kSaveDone{"Конфигурация успешно сохранена!", "СООБЩЕНИЕ", 0};
const TBox kQuestion{"Данная команда работает только если к линии подключен ОДНА ТРК! Выполнить команду?",
                     "ВОПРОС", 1};

class ConfigurationTest : public WindowFixture::WindowTest {
protected:
    // The safety copies of the simulated controller, oldest first, as configurations.
    std::vector<ConfigFile::TConfig> Copies() const {
        const auto folder = DataHome / "zur-service" / "backups" / "1234567890";
        std::vector<std::filesystem::path> paths;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            paths.push_back(entry.path());
        std::sort(paths.begin(), paths.end());
        std::vector<ConfigFile::TConfig> copies;
        for (const auto& path : paths) {
            std::ostringstream text;
            text << std::ifstream(path).rdbuf();
            copies.push_back(*ConfigFile::Decode(text.str()).Config);
        }
        return copies;
    }

    // The controller stops answering from exchange First on (the next one by default).
    void Silence(int First = 0, int Last = INT_MAX) {
        sim::Rule rule;
        rule.First = First ? First : Sim->ExchangeCount() + 1;
        rule.Last = Last;
        rule.fault = sim::Fault::Silent;
        Sim->AddRule(rule);
    }
};

TEST_F(ConfigurationTest, ReadFillsThePageUnderTheWaitWindow) {
    Open();
    Click("bGetConfig");
    ASSERT_EQ(Boxes->Boxes, std::vector<TBox>{kReadDone});
    EXPECT_TRUE(Boxes->Boxes[0].WaitShown); // the read's box comes while the wait window is up
    EXPECT_TRUE(Form->isEnabled());         // and the window is usable again afterwards
    EXPECT_TRUE(Form->IsConfigRead());
    EXPECT_EQ(Sim->ExchangeCount(), 12);
    const struct {
        const char* Name;
        int Value;
    } shown[] = {{"seAddr1", 1}, {"seAddr2", 2},     {"seNoFillTO1", 10},  {"seNoFillTO2", 20},
                 {"sePrice", 2}, {"seNoMaster", 30}, {"seMinVoltage", 50}, {"seAmoPoint", 2}};
    for (const auto& row : shown) {
        EXPECT_EQ(Spin(row.Name)->Value(), row.Value) << row.Name;
    }
    EXPECT_TRUE(Find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), "QV1");
    EXPECT_EQ(Find<QPlainTextEdit>("Memo1")->toPlainText(),
              "Версия микрокода: 0102030405\nСерийный номер: 1234567890");

    Click("bGetConfig"); // the lines are replaced, not added
    EXPECT_EQ(Find<QPlainTextEdit>("Memo1")->document()->blockCount(), 2);
}

TEST_F(ConfigurationTest, ReadFailsAfterSixRunsWithTheBareMessage) {
    Open();
    Spin("seAddr1")->setValue(77);
    Silence(1);
    Click("bGetConfig");
    EXPECT_EQ(Boxes->Boxes, (std::vector<TBox>{{"Неудалось получить конфигурацию. ", "ОШИБКА", 0}}));
    EXPECT_EQ(Sim->ExchangeCount(), 6); // each run stops at its first parameter
    EXPECT_FALSE(Form->IsConfigRead());
    EXPECT_EQ(Spin("seAddr1")->Value(), 77);
    EXPECT_TRUE(Form->isEnabled());
}

TEST_F(ConfigurationTest, ReadSucceedingOnTheThirdRunReportsOnlySuccess) {
    Open();
    Silence(1, 2);
    Click("bGetConfig");
    EXPECT_EQ(Boxes->Boxes, std::vector<TBox>{kReadDone});
    EXPECT_EQ(Sim->ExchangeCount(), 14);
}

TEST_F(ConfigurationTest, SaveBeforeAnyReadIsRefusedAndSendsNothing) {
    Open();
    Click("vSetConfig");
    EXPECT_EQ(Boxes->Boxes,
              (std::vector<TBox>{{"Перед сохранением необходимо запросить конфигукацию.", "СООБЩЕНИЕ", 0}}));
    EXPECT_FALSE(Boxes->Boxes[0].WaitShown);
    EXPECT_TRUE(Sim->ReceivedFrames().empty());
}

TEST_F(ConfigurationTest, SaveWithEqualAddressesIsRefusedAndSendsNothing) {
    OpenAndRead();
    Spin("seAddr1")->setValue(5);
    Spin("seAddr2")->setValue(5);
    Click("vSetConfig");
    EXPECT_EQ(Boxes->Boxes,
              (std::vector<TBox>{{"Адреса ТРК №1 и ТРК №2 должны быть разными.", "СООБЩЕНИЕ", 0}}));
    EXPECT_FALSE(Boxes->Boxes[0].WaitShown);
    EXPECT_TRUE(Sim->ReceivedFrames().empty());
    EXPECT_EQ(Form->Protocol()->Cfg.Addr1, 1); // the record is not touched either
}

TEST_F(ConfigurationTest, SaveChangingSideOneAddressMovesTheConnection) {
    OpenAndRead();
    Spin("seAddr1")->setValue(7);
    Spin("seNoMaster")->setValue(99);
    Click("vSetConfig");
    ASSERT_EQ(Boxes->Boxes, std::vector<TBox>{kSaveDone});
    EXPECT_FALSE(Boxes->Boxes[0].WaitShown); // the wait window goes before the box
    EXPECT_EQ(FrameAddresses(), (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 7}));
    EXPECT_EQ(Spin("vTRKAddr")->Value(), 7);
    EXPECT_EQ(Form->Protocol()->Address, 7);
    EXPECT_EQ(Sim->Config().Addr1, 7);
    EXPECT_EQ(Sim->Config().NoMaster, 99);

    Sim->ClearReceived();
    Boxes->Boxes.clear();
    Click("bGetConfig");
    EXPECT_EQ(Boxes->Boxes, std::vector<TBox>{kReadDone});
    EXPECT_EQ(FrameAddresses(), std::vector<int>(12, 7));
}

TEST_F(ConfigurationTest, SaveFailingReportsTheBareMessage) {
    OpenAndRead();
    Silence();
    Click("vSetConfig");
    EXPECT_EQ(Boxes->Boxes, (std::vector<TBox>{{"Неудалось сохранить конфигурацию. ", "ОШИБКА", 0}}));
    EXPECT_EQ(Sim->ReceivedFrames().size(), 1u); // the write stops at its first parameter
    EXPECT_TRUE(Form->IsConfigRead());
}

TEST_F(ConfigurationTest, SaveFailingAfterSideOneAddressShowsTheNewAddress) {
    OpenAndRead();
    Spin("seAddr1")->setValue(7);
    Silence(Sim->ExchangeCount() + 10); // side 2's address, the last of the ten
    Click("vSetConfig");
    EXPECT_EQ(Boxes->Boxes, (std::vector<TBox>{{"Неудалось сохранить конфигурацию. ", "ОШИБКА", 0}}));
    EXPECT_EQ(FrameAddresses(), (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 7}));
    EXPECT_EQ(Spin("vTRKAddr")->Value(), 7);
    EXPECT_EQ(Form->Protocol()->Address, 7);
}

TEST_F(ConfigurationTest, DecimalsAndElectronicsTypeMapBothWays) {
    sim::ControllerConfig config = Sim->Config();
    config.PricePoint = 2;
    config.AmoPoint = 3;
    config.ElType = false;
    config.Recalc = false;
    Sim->SetConfig(config);
    OpenAndRead();
    EXPECT_EQ(Spin("sePrice")->Value(), 0);
    EXPECT_EQ(Spin("seAmoPoint")->Value(), 2);
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), "QV2");
    EXPECT_FALSE(Find<QCheckBox>("CheckBox1")->isChecked());

    Spin("sePrice")->setValue(1);
    Find<QCheckBox>("CheckBox1")->setChecked(true);
    Click("vSetConfig");
    ASSERT_EQ(Boxes->Boxes, std::vector<TBox>{kSaveDone});
    const sim::ControllerConfig saved = Sim->Config();
    EXPECT_EQ(saved.PricePoint, 1);
    EXPECT_EQ(saved.AmoPoint, 0); // shown as 2 decimals, written as the code for two
    EXPECT_FALSE(saved.ElType);   // "QV2"
    EXPECT_TRUE(saved.Recalc);

    Find<QComboBox>("ComboBox1")->setCurrentIndex(0);
    Spin("sePrice")->setValue(0);
    Boxes->Boxes.clear();
    Click("vSetConfig");
    EXPECT_TRUE(Sim->Config().ElType);
    EXPECT_EQ(Sim->Config().PricePoint, 2);
}

TEST_F(ConfigurationTest, SaveFirstKeepsACopyOfWhatTheControllerHeld) {
    OpenAndRead();
    Spin("seNoMaster")->setValue(99);
    Click("vSetConfig");
    ASSERT_EQ(Boxes->Boxes, std::vector<TBox>{kSaveDone});
    Spin("seMinVoltage")->setValue(60);
    Click("vSetConfig");
    // Each copy holds what was read and written before it, never the page's edits.
    const std::vector<ConfigFile::TConfig> copies = Copies();
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].Page.NoMaster, 30);
    EXPECT_EQ(copies[1].Page.NoMaster, 99);
    EXPECT_EQ(copies[1].Page.MinVoltage, 50);
    const Journal::TRead journal = Journal::Read();
    ASSERT_EQ(journal.Entries.size(), 2u);
    EXPECT_EQ(journal.Entries[0].Program, "zur-service");
    EXPECT_EQ(journal.Entries[0].Operation, "write");
    EXPECT_EQ(journal.Entries[0].Serial, "1234567890");
    EXPECT_EQ(journal.Entries[0].Outcome, "success");
    EXPECT_TRUE(journal.Entries[0].Backup && std::filesystem::exists(*journal.Entries[0].Backup));
}

TEST_F(ConfigurationTest, SaveWhoseCopyCannotBeMadeSendsNothing) {
    OpenAndRead();
    const std::filesystem::path file = DataHome;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "a file where the data folder should be";
    Click("vSetConfig");
    ASSERT_EQ(Boxes->Boxes.size(), 1u);
    EXPECT_EQ(Boxes->Boxes[0].Caption, "ОШИБКА");
    EXPECT_EQ(Boxes->Boxes[0].Text.rfind("Не удалось сохранить резервную копию конфигурации в папку ", 0), 0u)
        << Boxes->Boxes[0].Text;
    EXPECT_FALSE(Boxes->Boxes[0].WaitShown);
    EXPECT_TRUE(Sim->ReceivedFrames().empty());
    std::filesystem::remove(file);
}

TEST_F(ConfigurationTest, SaveFailingMidwayJournalsTheParametersWritten) {
    OpenAndRead();
    Silence(Sim->ExchangeCount() + 3); // the third of the ten SetParams
    Click("vSetConfig");
    const Journal::TRead journal = Journal::Read();
    ASSERT_EQ(journal.Entries.size(), 1u);
    EXPECT_EQ(journal.Entries[0].Outcome, "no-answer");
    EXPECT_EQ(journal.Entries[0].Written, (std::vector<std::string>{"NoFillTO1", "NoFillTO2"}));
}

// The simulator runs in another program under Wine, where its side of the line cannot be watched.
#ifndef _WIN32
// Notes, as the simulator hears the first SetParam, whether a safety copy was already on disk.
class TCopyWitness final : public LineTap::TLineTap {
public:
    std::filesystem::path Folder;
    void Record(LineTap::TDirection Direction, std::span<const uint8_t> Bytes, LineTap::TEnd) override {
        constexpr uint8_t kSetParam = 0x10;
        if (Direction != LineTap::TDirection::Tx || Bytes.size() < 2 || Bytes[1] != kSetParam || Seen)
            return;
        std::error_code error;
        CopyFirst = !std::filesystem::is_empty(Folder, error) && !error;
        Seen = true;
    }
    std::atomic<bool> Seen{false}, CopyFirst{false};
};

class WatchedSaveTest : public ConfigurationTest {
protected:
    std::optional<sim::Options> SimOptions() const override {
        sim::Options options;
        options.Tap = &Witness;
        return options;
    }
    mutable TCopyWitness Witness;
};

TEST_F(WatchedSaveTest, TheCopyIsOnDiskBeforeTheFirstSetParam) {
    Witness.Folder = DataHome / "zur-service" / "backups" / "1234567890";
    OpenAndRead();
    Click("vSetConfig");
    EXPECT_TRUE(Witness.Seen);
    EXPECT_TRUE(Witness.CopyFirst);
}
#endif

class AddressQueryTest : public ConfigurationTest {
protected:
    void SetUp() override {
        ConfigurationTest::SetUp();
        sim::ControllerConfig config = Sim->Config();
        config.Addr1 = 5;
        config.Addr2 = 6;
        Sim->SetConfig(config);
        Open();
    }
};

TEST_F(AddressQueryTest, OkAppliesSideOneAddress) {
    Click("Button10");
    EXPECT_EQ(Boxes->Boxes,
              (std::vector<TBox>{kQuestion, {"Получены адреса: 5 6. Применить адреса?", "Сообщение", 1}}));
    EXPECT_EQ(FrameAddresses(), std::vector<int>{0});
    EXPECT_EQ(Spin("vTRKAddr")->Value(), 5);
    EXPECT_EQ(Form->Protocol()->Address, 5);

    Sim->ClearReceived();
    Click("bGetConfig");
    EXPECT_TRUE(Form->IsConfigRead());
    EXPECT_EQ(FrameAddresses(), std::vector<int>(12, 5));
}

TEST_F(AddressQueryTest, CancelOnTheWarningSendsNothing) {
    Boxes->Answer({ReportBox::IdCancel});
    Click("Button10");
    EXPECT_EQ(Boxes->Boxes, std::vector<TBox>{kQuestion});
    EXPECT_TRUE(Sim->ReceivedFrames().empty());
}

TEST_F(AddressQueryTest, CancelOnTheAddressesKeepsTheAddress) {
    Boxes->Answer({ReportBox::IdOk, ReportBox::IdCancel});
    Click("Button10");
    EXPECT_EQ(Boxes->Boxes.size(), 2u);
    EXPECT_EQ(Spin("vTRKAddr")->Value(), 1);
    EXPECT_EQ(Form->Protocol()->Address, 1);
}

TEST_F(AddressQueryTest, NoAnswerIsReported) {
    Silence();
    Click("Button10");
    EXPECT_EQ(Boxes->Boxes, (std::vector<TBox>{kQuestion, {"Неудалось получить адреса!", "ОШИБКА", 0}}));
    EXPECT_EQ(Form->Protocol()->Address, 1);
}

TEST_F(AddressQueryTest, AddressAboveTheBoxRangeIsUsedAsGiven) {
    sim::ControllerConfig config = Sim->Config();
    config.Addr1 = 255;
    Sim->SetConfig(config);
    Click("Button10");
    ASSERT_EQ(Boxes->Boxes.size(), 2u);
    EXPECT_EQ(Boxes->Boxes[1].Text, "Получены адреса: 255 6. Применить адреса?");
    EXPECT_EQ(Form->Protocol()->Address, 255);
    EXPECT_EQ(Spin("vTRKAddr")->Value(), 254);
}

} // namespace
