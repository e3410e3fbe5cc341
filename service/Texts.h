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
// DISPLAY is set, but its X server does not let the program in: kDisplayUnreachable, the value of
// DISPLAY, kDisplayUnreachableWhy.
inline constexpr const char* kDisplayUnreachable = "нет связи с дисплеем ";
inline constexpr const char* kDisplayUnreachableWhy =
    " (DISPLAY): X-сервер не запущен, недоступен или отказал в доступе (например, устарела переадресация "
    "SSH), окно показать негде. Запустите программу в графическом сеансе; без окна те же операции "
    "выполняет zur-cli.";
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
// The update's progress line: percent of the body acknowledged, blocks acknowledged of all, bytes a
// second, the time left.
inline constexpr const char* kProgressPrefix = "обновление: ";
inline constexpr const char* kProgressFormat = "%3d%%  %zu/%zu блоков  %.0f Б/с  осталось %s";
// What an update is doing on a terminal while it prepares.
inline constexpr const char* kProbing = "проверка режима обновления...";
inline constexpr const char* kReadingConfiguration = "чтение конфигурации...";
inline constexpr const char* kEnteringUpdateMode = "вход в режим обновления...";
inline constexpr const char* kModeSwitchPause = "ожидание переключения контроллера...";
inline constexpr const char* kStartingUpdate = "запуск обновления...";
// Why decode refuses a file, after its name.
inline constexpr const char* kTraceBinary = "не трасса линии: двоичный файл";
inline constexpr const char* kTraceNoHeader = "не трасса линии: первая строка не \"# zur-trace 1\"";
inline constexpr const char* kTraceUnknownVersion =
    "трасса линии неизвестной версии, читается только \"# zur-trace 1\"";
inline constexpr const char* kInterrupted = "Прервано"; // followed by the signal's name
inline constexpr const char* kPermissionHint =
    " (порт обычно принадлежит группе dialout: sudo adduser \"$USER\" dialout, затем войти снова)";
inline constexpr const char* kInternalFailure = "внутренняя ошибка: "; // the exception's text follows
// The configuration file's refusals, each after "<key>: ".
inline constexpr const char* kNotJson = "не JSON: ошибка в байте "; // its number follows
inline constexpr const char* kNotAnObject = "не конфигурация: файл должен содержать один объект JSON";
inline constexpr const char* kUnknownKey = "неизвестный ключ";
inline constexpr const char* kMissingKey = "отсутствует";
inline constexpr const char* kNotWhole = "должно быть целым числом, а не ";
inline constexpr const char* kOutOfRange = " вне диапазона от 0 до "; // after the value
inline constexpr const char* kNotBoolean = "должно быть true или false, а не ";
inline constexpr const char* kNotElectronics = "должно быть \"QV1\" или \"QV2\", а не ";
inline constexpr const char* kNotText = "должно быть строкой, а не ";
// write: another controller's file, and a read-back that differs.
inline constexpr const char* kOtherController = " - не номер этого контроллера ("; // its own follows
inline constexpr const char* kNothingWritten = "); ничего не записано; записать все равно: --any-controller";
inline constexpr const char* kNothingRestored = "); ничего не записано"; // restore has no --any-controller
inline constexpr const char* kReadBackFailed = "Записано, но обратное чтение не удалось: ";
inline constexpr const char* kReadBackDiffers = "Прочитанная обратно конфигурация отличается:";
inline constexpr const char* kWrittenValue = " записано "; // key, then the value written, then the value read
inline constexpr const char* kReadValue = ", прочитано ";
// addresses --apply, state.
inline constexpr const char* kAddressApplied = " Далее используется адрес ";
inline constexpr const char* kStateLine = "состояние ";
inline constexpr const char* kReadyLine = ", готовность ";
inline constexpr const char* kYes = "да";
inline constexpr const char* kNo = "нет";
inline constexpr const char* kErrorFlagsLine = ", флаги ошибок ";
// update.
inline constexpr const char* kAfterBlocks = "после ";
inline constexpr const char* kOfBlocks = " из ";
inline constexpr const char* kUpdateIncomplete = " блоков: обновление не завершено";
inline constexpr const char* kNoBody =
    "В файле микрокода нет тела: послано начало обновления, ни одного блока.";
inline constexpr const char* kPortHeldBy = "Порт занят процессом "; // its pid follows
inline constexpr const char* kLockFile = "файл блокировки ";
inline constexpr const char* kUnknownCommand = "неизвестная команда "; // the word follows in quotes
inline constexpr const char* kUnknownOption = "неизвестный параметр ";
inline constexpr const char* kNotANumber = "нужно целое число";
inline constexpr const char* kValueMissing = "не указано значение";
inline constexpr const char* kPortRequired = "нужен --port";
inline constexpr const char* kNotAWindowSpeed =
    "скорость должна быть одной из 2400, 4800, 7200, 9600, 14400, 19200, 38400, 57600, 115200 "
    "(любую другую берет --any-speed)";
inline constexpr const char* kZeroSpeed = "скорость должна быть больше нуля";
inline constexpr const char* kAddressRange = "адрес должен быть от 1 до 254 (0 - только для addresses)";
inline constexpr const char* kNoCommand = "не указана команда";
inline constexpr const char* kQueryAddressOnly =
    "на адрес 0 идет только запрос адресов (addresses); контроллер не отвечает там на другие команды";
inline constexpr const char* kAddressZero =
    "0 - адрес запроса адресов; с ним контроллер перестает отвечать на команды (записать все равно: "
    "--allow-address-0)";
// A write that ended midway: the names of the parameters written go between the two.
inline constexpr const char* kPartlyWritten = "Записаны только параметры ";
inline constexpr const char* kMixedConfiguration = "; контроллер хранит смесь новых и прежних значений.";
inline constexpr const char* kIsDirectory = "это каталог, а не файл";
inline constexpr const char* kFileTooLarge = "файл больше 1 МиБ";
inline constexpr const char* kDuplicateKey = "ключ повторяется";
inline constexpr const char* kStandardOutputLost =
    "Не удалось записать стандартный вывод: "; // the reason follows

// zur-cli's --help: the words of its options and commands, and CLI11's own labels.
namespace Help {
inline constexpr const char* kDescription =
    "zur-cli: сервисная программа ТРК ZUR для сценариев. Читает и записывает конфигурацию контроллера "
    "в виде файла JSON, запрашивает адреса сторон, загружает микрокод и запрашивает состояние - с теми же "
    "настройками линии, таймаутами и повторами, что и окно.\n";
inline constexpr const char* kConfigurationFile = R"(
Файл конфигурации - один объект JSON с ключами addr1, addr2 (от 1 до 254, разные; 0 только с
--allow-address-0), no_fill_timeout1, no_fill_timeout2, no_master_timeout, min_voltage (от 0 до
255), price_decimals, amount_decimals (число знаков после запятой, от 0 до 2), recalc (true или
false), electronics ("QV1" или "QV2") и только для чтения serial_number и firmware_version
(строки). write нужны все ключи, кроме двух последних; serial_number, если он есть, должен быть
номером контроллера. Сообщения программы на русском языке, ключи и значения JSON - на английском.

)";
inline constexpr const char* kHelp = "показать эту справку и выйти";
inline constexpr const char* kVersion = "показать версию и выйти";
inline constexpr const char* kPort =
    "последовательный порт (COM3, ttyUSB0, /dev/ttyS0, ...); нужен всем командам, "
    "кроме ports и decode";
inline constexpr const char* kSpeed =
    "скорость линии, бит/с: 2400, 4800, 7200, 9600, 14400, 19200, 38400, 57600 или 115200";
inline constexpr const char* kAnySpeed = "принять любую --speed, которую примет порт";
inline constexpr const char* kAddress =
    "адрес ТРК, от 1 до 254 (0 только для addresses, адрес самого запроса)";
inline constexpr const char* kJson = "печатать по одному объекту JSON на команду вместо текста";
inline constexpr const char* kFast =
    "очищать вход перед каждым запросом и заканчивать чтение в конце полного правильного ответа, а не "
    "после 25 мс тишины";
inline constexpr const char* kTrace =
    "записать все записи и чтения этого запуска в FILE, в формате трассы линии (zur-cli decode FILE)";
inline constexpr const char* kPorts = "порты, которые знает машина, по одному в строке";
inline constexpr const char* kRead = "прочитать всю конфигурацию (шесть попыток, как окно)";
inline constexpr const char* kOutput =
    "записать ее в FILE вместо стандартного вывода (- - стандартный вывод); FILE "
    "проверяется до открытия порта";
inline constexpr const char* kWrite = "записать файл конфигурации, затем прочитать обратно и сравнить";
inline constexpr const char* kWriteFile = "файл конфигурации";
inline constexpr const char* kAnyController =
    "записать, даже если serial_number файла - номер другого контроллера";
inline constexpr const char* kAllowAddress0 =
    "записать addr1 или addr2, равный 0 (адрес запроса адресов), после "
    "чего контроллер не отвечает ни на одну команду";
inline constexpr const char* kAddresses =
    "запросить адреса сторон (запрос идет на адрес 0; на линии одна ТРК)";
inline constexpr const char* kApply = "использовать адрес стороны 1 для следующих команд этого запуска";
inline constexpr const char* kUpdate = "загрузить микрокод, как это делает окно";
inline constexpr const char* kImage = "файл микрокода";
inline constexpr const char* kState = "состояние контроллера, готовность и флаги ошибок";
inline constexpr const char* kDecode =
    "напечатать сохраненную трассу линии читаемыми строками (порт не нужен)";
inline constexpr const char* kTraceFile = "файл трассы";
inline constexpr const char* kNoBackup =
    "write, restore, update: не сохранять сначала конфигурацию контроллера в папке данных";
inline constexpr const char* kScan =
    "найти контроллеры на линии: у каждого адреса на каждой скорости спросить состояние";
inline constexpr const char* kAllAddresses = "какие адреса спрашивать (по умолчанию 1-254)";
inline constexpr const char* kSpeeds =
    "на каких скоростях, или all - на девяти скоростях окна (по умолчанию --speed)";
inline constexpr const char* kAnswerTimeout = "сколько ждать молчащий адрес, мс";
inline constexpr const char* kBackup =
    "сохранить конфигурацию каждого контроллера в DIR/<serial_number>.json";
inline constexpr const char* kFolder = "папка";
inline constexpr const char* kBackupAddresses = "какие адреса спрашивать (по умолчанию --address)";
inline constexpr const char* kRestore =
    "записать DIR/<serial_number>.json в контроллер с этим серийным номером, для каждого найденного";
inline constexpr const char* kDiff = "прочитать контроллер и перечислить поля, которые отличаются от FILE";
inline constexpr const char* kJournal =
    "журнал записей, восстановлений и обновлений, новые в конце (порт не нужен)";
inline constexpr const char* kSerial = "только строки этого серийного номера";
inline constexpr const char* kInspect =
    "проверить файл микрокода, как окно, и оценить время передачи (порт не нужен)";
inline constexpr const char* kBadRange = "RANGE - адреса от 1 до 254 и диапазоны, например 1,3,10-20";
inline constexpr const char* kBadList = "LIST - скорости (бит/с) или all, например 9600,19200";
inline constexpr const char* kOptionsGroup = "Параметры";
inline constexpr const char* kCommandsGroup = "Команды";
struct TLabel {
    const char* Word; // as CLI11 has it
    const char* Ours;
};
inline constexpr TLabel kLabels[] = {
    {"Usage", "Запуск"},       {"OPTIONS", "ПАРАМЕТРЫ"},     {"SUBCOMMANDS", "КОМАНДЫ"},
    {"SUBCOMMAND", "КОМАНДА"}, {"Positionals", "Аргументы"}, {"REQUIRED", "(обязательно)"},
};
inline constexpr const char* kExitCodes = "Коды выхода:\n";
inline constexpr const char* kExitMeanings[] = {
    "успех",
    "внутренняя ошибка программы",
    "ошибка вызова, или файл конфигурации или микрокода, который нельзя использовать",
    "порт не открывается (печатается причина от системы)",
    "нет правильного ответа от контроллера",
    "контроллер отказал, или прочитанная обратно конфигурация отличается",
    "serial_number файла не совпадает с номером контроллера (см. --any-controller)",
    "резервная копия конфигурации не записана; ничего не изменено (см. --no-backup)",
    "вывод не дошел до места назначения (стандартный вывод, --output, --trace)",
    "остановлено сигналом SIGHUP (закрыт терминал или сеанс SSH); как 130",
    "прервано (Ctrl+C); обновление тогда не завершено",
    "остановлено сигналом SIGTERM (timeout, kill); как 130",
};
} // namespace Help
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

// zur-cli's words for the block an update failed at and the blocks the controller took before it:
// "Блок 125 из 125 не подтвержден, подтверждено блоков: 124."
std::string FailedBlock(const Outcome::TUpdateOutcome& Update);

// zur-cli's words for why the failing exchange failed: one sentence with its stop, naming the
// exchange ("Нет ответа (GetParam, параметр 1 Addr1)."); empty when no exchange failed.
std::string Reason(const Outcome::TReason& Reason);

} // namespace Texts
