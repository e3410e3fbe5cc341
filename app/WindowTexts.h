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
inline constexpr const char* kCancel = "Отмена"; // the question box's second button
// The window's program where it cannot show a window or print its version.
inline constexpr const char* kNoDisplay =
    "нет дисплея (не заданы ни DISPLAY, ни WAYLAND_DISPLAY): окно показать негде. Запустите программу "
    "в графическом сеансе; без окна те же операции выполняет zur-cli.";
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

} // namespace WindowTexts
