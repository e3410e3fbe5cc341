#pragma once
// Every Russian text the window shows that zur-cli does not share, exactly as the window has always
// shown them (their spelling included). The words both programs share stand in service/Texts.

namespace WindowTexts {

// Captions of the address query's two questions.
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
inline constexpr const char* kInternalError = "Внутренняя ошибка программы.";
inline constexpr const char* kCancel = "Отмена"; // the question box's second button, the restore dialog's
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
inline constexpr const char* kReadBeforeSaving = "Перед сохранением необходимо запросить конфигукацию.";
// The address query.
inline constexpr const char* kOneDispenserOnly =
    "Данная команда работает только если к линии подключен ОДНА ТРК! Выполнить команду?";
// The firmware page.
inline constexpr const char* kImageFile = "Файл микрокода : ";
// The traffic window.
inline constexpr const char* kTrafficTitle = "Обмен по линии";
inline constexpr const char* kTrafficPause = "Пауза";
inline constexpr const char* kTrafficClear = "Очистить";
inline constexpr const char* kTrafficCopy = "Копировать";
inline constexpr const char* kTrafficSave = "Сохранить...";
inline constexpr const char* kTrafficSaveTitle = "Сохранить";
inline constexpr const char* kTraceFilter = "Трасса линии (*.trace)";
inline constexpr const char* kDecodedFilter = "Расшифровка (*.txt)";

// The station window.
inline constexpr const char* kStationButton = "Станция";
inline constexpr const char* kStationTip = "Все контроллеры линии (F11)";
inline constexpr const char* kStationTitle = "Станция";
inline constexpr const char* kOpenPortFirst = "Откройте порт в главном окне.";
inline constexpr const char* kControllersTab = "Контроллеры";
inline constexpr const char* kJournalTab = "Журнал";
inline constexpr const char* kAddressesField = "Адреса";
inline constexpr const char* kSpeedsField = "Скорости";
inline constexpr const char* kAllSpeeds = "Все";
inline constexpr const char* kAnswerTimeoutField = "Ожидание ответа, мс";
inline constexpr const char* kFind = "Найти";
inline constexpr const char* kStop = "Стоп";
inline constexpr const char* kProbedFormat = "Опрошено %v из %m"; // the progress bar's own placeholders
inline constexpr const char* kControllerColumns[] = {"Скорость", "Адреса",      "Серийный номер",
                                                     "Версия",   "Электроника", "Последняя копия"};
inline constexpr const char* kNoCopy = "нет";
inline constexpr const char* kWorkWith = "Работать с ним";
inline constexpr const char* kSaveAll = "Сохранить все...";
inline constexpr const char* kRestoreAll = "Восстановить...";
inline constexpr const char* kChooseFolder = "Выберите папку";
inline constexpr const char* kJournalColumns[] = {"Время",    "Программа", "Серийный номер",
                                                  "Операция", "Итог",      "Копия"};
inline constexpr const char* kSelectedOnly = "Только выбранный контроллер";
inline constexpr const char* kUndo = "Вернуть эту копию";
inline constexpr const char* kSafetyCopies = "Сохранять копию перед изменением";
inline constexpr const char* kRetryUpdate = "Повторять обновление при сбое (до 3 раз)";
inline constexpr const char* kFound = "Найдено контроллеров: ";
inline constexpr const char* kStopped = "Остановлено. ";
inline constexpr const char* kBadAddresses =
    "Адреса: нужны номера от 1 до 254 и диапазоны, например 1,3,10-20.";
inline constexpr const char* kNoSpeed = "Отметьте хотя бы одну скорость.";
inline constexpr const char* kFindFirst = "Сначала найдите контроллеры кнопкой «Найти».";
inline constexpr const char* kPortLost = "Порт не открывается: ";
inline constexpr const char* kSavedCount = "Сохранено конфигураций: "; // "N из M в папке F."
inline constexpr const char* kOf = " из ";
inline constexpr const char* kInFolder = " в папке ";
inline constexpr const char* kNotSaved = "Не сохранены:";
// The restore dialog.
inline constexpr const char* kRestoreTitle = "Восстановление";
inline constexpr const char* kRestoreColumns[] = {"Поле", "На контроллере", "В файле"};
inline constexpr const char* kRestoreButton = "Восстановить";
inline constexpr const char* kAlike = "совпадает с файлом";
inline constexpr const char* kNotOnLine = "Файлы, контроллеров которых нет на линии: ";
inline constexpr const char* kWithoutFile = "Контроллеры без файла: ";
inline constexpr const char* kNone = "нет";
// How each restore ended, after the controller's serial number.
inline constexpr const char* kRestoredEnd = ": восстановлена.";
inline constexpr const char* kUnusableEnd = ": файл не годится: ";
inline constexpr const char* kOtherEnd = ": по этому адресу другой контроллер, ничего не записано.";
inline constexpr const char* kCopyFailedEnd = ": резервная копия не сохранена, ничего не записано. ";
inline constexpr const char* kFailedEnd = ": не восстановлена. ";
inline constexpr const char* kPartlyEnd = " Записаны только параметры ";
inline constexpr const char* kDiffersEnd = ": записана, но прочитанная обратно отличается:";
inline constexpr const char* kStoppedEnd = ": остановлено до записи.";
// Putting a journal line's safety copy back.
inline constexpr const char* kNoCopyInLine = "У этой строки журнала нет резервной копии.";
inline constexpr const char* kNotInTable =
    "Контроллера с серийным номером %1 нет в таблице «Контроллеры»: сначала найдите его.";
inline constexpr const char* kUndoQuestion = "Вернуть копию %1 на контроллер %2? Изменятся поля:";
inline constexpr const char* kUndoNothing = "Копия совпадает с контроллером: менять нечего.";
// A field that differs: "<field>: на контроллере <value>, в файле <value>".
inline constexpr const char* kOnController = ": на контроллере ";
inline constexpr const char* kInFile = ", в файле ";
inline constexpr const char* kInCopy = ", в копии ";

// The configuration file's keys as the configuration page names their fields.
struct TFieldName {
    const char* Key;
    const char* Name;
};
inline constexpr TFieldName kFieldNames[] = {
    {"addr1", "Сторона №1: адрес"},
    {"addr2", "Сторона №2: адрес"},
    {"no_fill_timeout1", "Сторона №1: таймаут \"нет отпуска\""},
    {"no_fill_timeout2", "Сторона №2: таймаут \"нет отпуска\""},
    {"no_master_timeout", "Таймаут отсутствия мастера"},
    {"min_voltage", "Минимальное напряжение"},
    {"price_decimals", "Знаков после запятой в цене"},
    {"amount_decimals", "Знаков после запятой в стоимости"},
    {"recalc", "Пересчет"},
    {"electronics", "Тип электроники"},
};

// The journal's words as the window shows them.
struct TWord {
    const char* Word;
    const char* Shown;
};
inline constexpr TWord kJournalWords[] = {
    {"write", "запись"},
    {"restore", "восстановление"},
    {"update", "обновление"},
    {"success", "успех"},
    {"no-answer", "нет ответа"},
    {"corrupt-answer", "искаженный ответ"},
    {"refused", "отказ контроллера"},
    {"interrupted", "прервано"},
    {"other-controller", "другой контроллер"},
    {"backup-failed", "копия не сохранена"},
    {"read-back-differs", "прочитано не то"},
    {"unusable-file", "файл не годится"},
    {"no-image", "нет файла микрокода"},
    {"not-sent", "не отправлено"},
    {"internal-error", "внутренняя ошибка"},
    {"port-unavailable", "порт не открылся"},
    {"output-lost", "вывод потерян"},
};

} // namespace WindowTexts
