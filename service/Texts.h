#pragma once
// Every Russian text of the window and of zur-cli, in one place: the window's exactly as it has
// always shown them (their spelling included), and zur-cli's words for the reason an exchange
// failed. The texts are UTF-8; the window converts them where it shows them.

#include <cstdint>
#include <optional>
#include <string>

#include "firmware/FirmwareImage.h"
#include "service/Outcome.h"

namespace Texts {

// Captions of the message boxes.
inline constexpr const char* kErrorCaption = "ОШИБКА";
inline constexpr const char* kMessageCaption = "СООБЩЕНИЕ";
inline constexpr const char* kQuestionCaption = "ВОПРОС";
inline constexpr const char* kAddressesCaption = "Сообщение"; // not upper-case, unlike the others

// The main window and the connection.
inline constexpr const char* kWindowTitle = "Настройка ТРК ZUR";
inline constexpr const char* kOpen = "Открыть";
inline constexpr const char* kClose = "Закрыть";
inline constexpr const char* kPortLabel = "Порт";
inline constexpr const char* kSpeedLabel = "Скорость";
inline constexpr const char* kAddressLabel = "Адрес";
inline constexpr const char* kConfigurationTab = "Конфигурация";
inline constexpr const char* kFirmwareTab = "Прошивка";
inline constexpr const char* kTrafficButton = "Обмен";
inline constexpr const char* kTrafficTip = "Обмен по линии (F12)";
inline constexpr const char* kNoPortChosen = "Не вебран порт.";
inline constexpr const char* kPortUnavailable = "Невозможно открыть порт.";
inline constexpr const char* kInternalError = "Внутренняя ошибка программы.";
inline constexpr const char* kWait = "Идет выполнение операции...";
inline constexpr const char* kCancel = "Отмена"; // the question box's second button
// The window's program where it cannot show a window or print its version.
inline constexpr const char* kNoDisplay =
    "нет дисплея (не заданы ни DISPLAY, ни WAYLAND_DISPLAY): окно показать негде. Запустите программу "
    "в графическом сеансе; без окна те же операции выполняет zur-cli.";
inline constexpr const char* kVersionLost = "не удалось вывести версию: стандартный вывод недоступен";

// The configuration page.
inline constexpr const char* kConfigurationRead = "Конфигурация успешно получена";
inline constexpr const char* kReadFailed = "Неудалось получить конфигурацию. "; // the blank belongs to it
inline constexpr const char* kReadBeforeSaving = "Перед сохранением необходимо запросить конфигукацию.";
inline constexpr const char* kAddressesMustDiffer = "Адреса ТРК №1 и ТРК №2 должны быть разными.";
inline constexpr const char* kConfigurationSaved = "Конфигурация успешно сохранена!";
inline constexpr const char* kWriteFailed = "Неудалось сохранить конфигурацию. ";
inline constexpr const char* kFirmwareVersion = "Версия микрокода: ";
inline constexpr const char* kSerialNumber = "Серийный номер: ";

// The texts a failed read or write appends for each bit of the error flags, in their order.
struct TFlagText {
    uint32_t Bit;
    const char* Text;
};
inline constexpr TFlagText kReadFlagTexts[] = {
    {0x01, "Нет ответа, "},
    {0x02, "Невертый номер транзакции, "},
    {0x04, "Ошибка в ответе: "},
    {0x08, "Ошибка CRC, "},
    {0x10, "Неправильный адрес, "},
    {0x20, "Ошибочная команда, "},
    {0x40, "Неверная длинна сообщения, "},
};
// Fewer bits, another order, and a comma after "Ошибка в ответе".
inline constexpr TFlagText kWriteFlagTexts[] = {
    {0x01, "Нет ответа, "},
    {0x02, "Невертый номер транзакции, "},
    {0x80, "Невозможно выполнить операцию в текущем состоянии, "},
    {0x04, "Ошибка в ответе, "},
};

// The address query.
inline constexpr const char* kOneDispenserOnly =
    "Данная команда работает только если к линии подключен ОДНА ТРК! Выполнить команду?";
inline constexpr const char* kAddressesReceived = "Получены адреса: ";
inline constexpr const char* kApplyAddresses = ". Применить адреса?";
inline constexpr const char* kNoAddresses = "Неудалось получить адреса!";

// The firmware page.
inline constexpr const char* kImageFile = "Файл микрокода : ";
inline constexpr const char* kImageChecksum = "Ошибка контрольной суммы!";
inline constexpr const char* kImageTooShort = "Файл микрокода слишком короткий!";
inline constexpr const char* kImageTooLarge = "Файл микрокода слишком большой!";
inline constexpr const char* kNoImage = "Не выбран файл микрокода!";
inline constexpr const char* kNoUpdateMode = "Не удалось войти в режим обновнения.";
inline constexpr const char* kUpdateFailed = "Неудалось обновить микрокод.";
inline constexpr const char* kUpdated = "Микрокод успешно обновлен.";
// "Идет обновление..." held in code page 1251, as the window has always held it.
inline constexpr const char* kUpdating1251 = "\xC8\xE4\xE5\xF2 \xEE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5...";

// The traffic window.
inline constexpr const char* kTrafficTitle = "Обмен по линии";
inline constexpr const char* kTrafficPause = "Пауза";
inline constexpr const char* kTrafficClear = "Очистить";
inline constexpr const char* kTrafficCopy = "Копировать";
inline constexpr const char* kTrafficSave = "Сохранить...";
inline constexpr const char* kTrafficSaveTitle = "Сохранить";
inline constexpr const char* kTraceFilter = "Трасса линии (*.trace)";
inline constexpr const char* kDecodedFilter = "Расшифровка (*.txt)";
inline constexpr const char* kCannotWriteFile = "Не удалось записать файл ";

// zur-cli.
inline constexpr const char* kStateFailed = "Неудалось получить состояние. ";
// The station: safety backups, the journal, the scan, backup and restore of every controller.
inline constexpr const char* kNoDataFolder =
    "Нет папки данных программы: не заданы ни XDG_DATA_HOME, ни HOME.";
inline constexpr const char* kNotAFileName = "Серийный номер не годится для имени файла: ";
inline constexpr const char* kSafetyBackup = "Резервная копия конфигурации: ";
inline constexpr const char* kSafetyBackupFailed =
    "Не удалось записать резервную копию конфигурации, ничего не изменено: ";
inline constexpr const char* kJournalFailed = "Не удалось дописать журнал: ";
inline constexpr const char* kNothingFound = "На линии не найдено ни одного контроллера.";
inline constexpr const char* kUnread = "Адрес отвечает, но конфигурация не прочитана: ";
inline constexpr const char* kScanInterrupted = "Поиск прерван (Ctrl+C); показано найденное до этого.";
inline constexpr const char* kBackedUp = "Сохранена конфигурация: ";
inline constexpr const char* kRestored = "Конфигурация восстановлена: ";
inline constexpr const char* kNotOnLine = "Контроллера этого файла нет на линии: ";
inline constexpr const char* kNoFile = "Для контроллера нет файла: ";
inline constexpr const char* kNothingToRestore = "Ни для одного найденного контроллера нет файла в папке.";
inline constexpr const char* kAgreed = "Конфигурация контроллера совпадает с файлом.";
inline constexpr const char* kScanHeader = "скорость  адреса   серийный номер  версия      электроника";
inline constexpr const char* kImageGood = "контрольная сумма верна";

// The station's lines that carry numbers.
std::string UnreadAddress(uint32_t Speed, int Address);
std::string ScanSummary(int Probed, double Seconds);
std::string Differs(const std::string& Key, const std::string& InFile, const std::string& InController);
std::string ImageSummary(const std::string& Path, std::uintmax_t Size, const std::string& Verdict);
std::string TransferHeader(std::size_t Blocks);
std::string TransferRow(uint32_t Speed, double StandardSeconds, double FastSeconds);

// The refusal of a firmware file, as the window words it: an empty text when it was accepted,
// the system's reason when it could not be read.
std::string ImageRefusal(const FirmwareImage::TLoaded& Loaded);

// The window's message after an update, in the update's wait or progress window; none when an
// image without a body went through without a block.
std::optional<std::string> AfterUpdate(const Outcome::TUpdateOutcome& Update);

// zur-cli's words for why the failing exchange failed: one sentence with its stop, naming the
// exchange ("Нет ответа (GetParam, параметр 1 Addr1)."); empty when no exchange failed.
std::string Reason(const Outcome::TReason& Reason);

} // namespace Texts
