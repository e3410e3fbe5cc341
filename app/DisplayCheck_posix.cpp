#include "app/DisplayCheck.h"

#include <cstdlib>

namespace DisplayCheck {
namespace {

bool Set(const char* Name) {
    const char* value = std::getenv(Name);
    return value != nullptr && *value != '\0';
}

} // namespace

std::optional<std::string> Missing() {
    if (Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM")) {
        return std::nullopt;
    }
    return "нет дисплея (не заданы ни DISPLAY, ни WAYLAND_DISPLAY): окно показать негде. Запустите программу "
           "в графическом сеансе; без окна те же операции выполняет zur-cli.";
}

} // namespace DisplayCheck
