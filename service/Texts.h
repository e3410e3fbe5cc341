#pragma once
// The Russian texts the window and zur-cli word alike: the window's messages after its operations,
// which zur-cli repeats, exactly as the window has always shown them (their spelling included);
// why an exchange failed; why a file or a safety copy cannot be used. Each front end keeps the
// rest of its words with itself (app/WindowTexts.h, cli/CliTexts.h). The texts are UTF-8; the
// window converts them where it shows them.

#include <cstdint>
#include <optional>
#include <string>

#include "firmware/FirmwareImage.h"
#include "service/Outcome.h"

namespace Texts {

// Captions of the message boxes.
inline constexpr const char* kErrorCaption = "ОШИБКА";
inline constexpr const char* kMessageCaption = "СООБЩЕНИЕ";

// The connection, and the wait window of every operation.
inline constexpr const char* kPortUnavailable = "Невозможно открыть порт.";
inline constexpr const char* kWait = "Идет выполнение операции...";

// The configuration page.
inline constexpr const char* kConfigurationRead = "Конфигурация успешно получена";
inline constexpr const char* kReadFailed = "Неудалось получить конфигурацию. "; // the blank belongs to it
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
inline constexpr const char* kAddressesReceived = "Получены адреса: ";
inline constexpr const char* kApplyAddresses = ". Применить адреса?";
inline constexpr const char* kNoAddresses = "Неудалось получить адреса!";

// The firmware page.
inline constexpr const char* kImageChecksum = "Ошибка контрольной суммы!";
inline constexpr const char* kImageTooShort = "Файл микрокода слишком короткий!";
inline constexpr const char* kImageTooLarge = "Файл микрокода слишком большой!";
inline constexpr const char* kNoImage = "Не выбран файл микрокода!";
inline constexpr const char* kNoUpdateMode = "Не удалось войти в режим обновнения.";
inline constexpr const char* kUpdateFailed = "Неудалось обновить микрокод.";
inline constexpr const char* kUpdated = "Микрокод успешно обновлен.";
// "Идет обновление..." held in code page 1251, as the window has always held it.
inline constexpr const char* kUpdating1251 = "\xC8\xE4\xE5\xF2 \xEE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5...";

inline constexpr const char* kCannotWriteFile = "Не удалось записать файл ";

// The configuration file's refusals, each after "<key>: ".
inline constexpr const char* kNotJson = "не JSON: ошибка в байте "; // its number follows
inline constexpr const char* kNotAnObject = "не конфигурация: файл должен содержать один объект JSON";
inline constexpr const char* kUnknownKey = "неизвестный ключ";
inline constexpr const char* kMissingKey = "отсутствует";
inline constexpr const char* kNotWhole = "должно быть целым числом, а не ";
inline constexpr const char* kOutOfRange = " вне диапазона от 0 до "; // after the value
inline constexpr const char* kNotBoolean = "должно быть true или false, а не ";
// "должно быть "QV1" или "QV2", а не ", the value following.
std::string NotOneOf(const char* First, const char* Second);
inline constexpr const char* kNotText = "должно быть строкой, а не ";
inline constexpr const char* kDuplicateKey = "ключ повторяется";
// Files that cannot be read at all, after their name.
inline constexpr const char* kIsDirectory = "это каталог, а не файл";
inline constexpr const char* kFileTooLarge = "файл больше 1 МиБ";
// A file that names another controller: "<file>: serial_number <its own> - не номер этого
// контроллера (<the controller's>); ничего не записано".
inline constexpr const char* kOtherController = " - не номер этого контроллера (";
inline constexpr const char* kNothingRestored = "); ничего не записано";
// A backup that would give a side the address query's address, after "<file>: <key>: ".
inline constexpr const char* kRestoreAddressZero =
    "0 - адрес запроса адресов; с ним контроллер перестает отвечать на команды";

// The station: safety copies and backups named after serial numbers.
inline constexpr const char* kNoDataFolder =
    "Нет папки данных программы: не заданы ни XDG_DATA_HOME, ни HOME.";
inline constexpr const char* kNotAFileName = "Серийный номер не годится для имени файла: ";
inline constexpr const char* kNothingFound = "На линии не найдено ни одного контроллера.";
inline constexpr const char* kNoneToRestore = "Ни для одного найденного контроллера нет файла в папке.";
// After the parameters a failed write or restore got through.
inline constexpr const char* kMixedConfiguration = "; контроллер хранит смесь новых и прежних значений.";

// The window's box when the safety copy before a change cannot be saved: where it was to go, the
// system's reason, and that nothing was changed.
std::string CopyNotSaved(const std::string& Folder, const std::string& Problem);

// The refusal of a firmware file, as the window words it: an empty text when it was accepted,
// the system's reason when it could not be read.
std::string ImageRefusal(const FirmwareImage::TLoaded& Loaded);

// The window's message after an update, in the update's wait or progress window; none when an
// image without a body went through without a block.
std::optional<std::string> AfterUpdate(const Outcome::TUpdateOutcome& Update);

// Why the failing exchange failed: one sentence with its stop, naming the
// exchange ("Нет ответа (GetParam, параметр 1 Addr1)."); empty when no exchange failed.
std::string Reason(const Outcome::TReason& Reason);

} // namespace Texts
