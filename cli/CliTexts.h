#pragma once
// Every Russian text of zur-cli that the window does not share: its messages and lines for
// people, its --help and CLI11's labels, and the exit codes' meanings. The words both programs
// share (the window's messages that zur-cli repeats, the reasons) stand in service/Texts.

#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/ExitCodes.h"
#include "service/Outcome.h"

namespace CliTexts {

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
inline constexpr const char* kNothingWritten = "); ничего не записано; записать все равно: --any-controller";
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
inline constexpr const char* kExtraArgument = "лишний аргумент "; // the word follows in quotes
inline constexpr const char* kGivenTwice = "задан больше одного раза";
inline constexpr const char* kFlagTakesNoValue = "этот флаг не принимает значения";
inline constexpr const char* kOutOfRange = "должно быть от "; // the lowest, kRangeTo, the highest
inline constexpr const char* kRangeTo = " до ";
inline constexpr const char* kValueMissing = "не указано значение";
inline constexpr const char* kPortRequired = "нужен --port";
// The window's speeds go between the two.
inline constexpr const char* kNotAWindowSpeed = "скорость должна быть одной из ";
inline constexpr const char* kAnySpeedTakes = " (любую другую берет --any-speed)";
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
inline constexpr const char* kStandardOutputLost =
    "Не удалось записать стандартный вывод: "; // the reason follows
inline constexpr const char* kSafetyBackup = "Резервная копия конфигурации: ";
inline constexpr const char* kSafetyBackupFailed =
    "Не удалось записать резервную копию конфигурации, ничего не изменено: ";
inline constexpr const char* kJournalFailed = "Не удалось дописать журнал: ";
inline constexpr const char* kUnread = "Адрес отвечает, но конфигурация не прочитана: ";
inline constexpr const char* kScanInterrupted = "Поиск прерван (Ctrl+C); показано найденное до этого.";
inline constexpr const char* kBackedUp = "Сохранена конфигурация: ";
inline constexpr const char* kRestored = "Конфигурация восстановлена: ";
inline constexpr const char* kNotOnLine = "Контроллера этого файла нет на линии: ";
inline constexpr const char* kNoFile = "Для контроллера нет файла: ";
inline constexpr const char* kAgreed = "Конфигурация контроллера совпадает с файлом.";
inline constexpr const char* kScanHeader = "скорость  адреса   серийный номер  версия      электроника";
inline constexpr const char* kImageGood = "контрольная сумма верна";

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
inline constexpr const char* kSpeed = "скорость линии, бит/с: "; // the window's speeds follow
inline constexpr const char* kOr = " или ";
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
inline constexpr const char* kAttempts =
    "сколько раз в сумме начать обновление, если блок не подтвержден (контроллер остается в режиме "
    "обновления, и передача начинается снова с первого блока; по умолчанию 1)";
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
// Every exit code with its meaning, in the order of the codes.
inline constexpr ExitCodes::TDescription kExitMeanings[] = {
    {ExitCodes::Success, "успех"},
    {ExitCodes::Internal, "внутренняя ошибка программы"},
    {ExitCodes::Usage, "ошибка вызова, или файл конфигурации или микрокода, который нельзя использовать"},
    {ExitCodes::PortUnavailable, "порт не открывается (печатается причина от системы)"},
    {ExitCodes::NoAnswer, "нет правильного ответа от контроллера"},
    {ExitCodes::Refused, "контроллер отказал, или прочитанная обратно конфигурация отличается"},
    {ExitCodes::OtherController,
     "serial_number файла не совпадает с номером контроллера (см. --any-controller)"},
    {ExitCodes::BackupFailed,
     "резервная копия конфигурации не записана; ничего не изменено (см. --no-backup)"},
    {ExitCodes::OutputLost, "вывод не дошел до места назначения (стандартный вывод, --output, --trace)"},
    {ExitCodes::HungUp, "остановлено сигналом SIGHUP (закрыт терминал или сеанс SSH); как 130"},
    {ExitCodes::Interrupted, "прервано (Ctrl+C); обновление тогда не завершено"},
    {ExitCodes::Terminated, "остановлено сигналом SIGTERM (timeout, kill); как 130"},
};
} // namespace Help

// The station's lines that carry numbers.
inline std::string UnreadAddress(uint32_t Speed, int Address) {
    return kUnread + std::to_string(Speed) + " бит/с, адрес " + std::to_string(Address) + ". ";
}

inline std::string ScanSummary(int Probed, double Seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "опрошено адресов: %d, за %.1f с", Probed, Seconds);
    return text;
}

inline std::string Differs(const std::string& Key, const std::string& InFile,
                           const std::string& InController) {
    return Key + ": файл " + InFile + ", контроллер " + InController;
}

inline std::string ImageSummary(const std::string& Path, std::uintmax_t Size, const std::string& Verdict) {
    return Path + ": " + std::to_string(Size) + " байт, " + Verdict;
}

inline std::string TransferHeader(std::size_t Blocks) {
    return "блоков: " + std::to_string(Blocks) +
           "; ожидаемое время передачи блоков, с (обычное чтение / --fast):";
}

inline std::string TransferRow(uint32_t Speed, double StandardSeconds, double FastSeconds) {
    char text[64];
    std::snprintf(text, sizeof text, "  %6u бит/с: %8.1f / %8.1f", static_cast<unsigned>(Speed),
                  StandardSeconds, FastSeconds);
    return text;
}

// An update made again after a failed block: "(попытка 2 из 3) ".
inline std::string AttemptOf(int Number, int Of) {
    return "(попытка " + std::to_string(Number) + " из " + std::to_string(Of) + ") ";
}

// The block an update failed at and the blocks the controller took before it:
// "Блок 125 из 125 не подтвержден, подтверждено блоков: 124."
inline std::string FailedBlock(const Outcome::TUpdateOutcome& Update) {
    if (!Update.FailedBlock)
        return "";
    return "Блок " + std::to_string(*Update.FailedBlock) + " из " + std::to_string(Update.Blocks) +
           " не подтвержден, подтверждено блоков: " + std::to_string(Update.BlocksAcknowledged) + ".";
}

} // namespace CliTexts
