#include "data/FieldWidth.h"

#include "data/Messages.h"
#include "platform/Translate.h"
#include "platform/store/Schema.h"

namespace tko {

std::string fieldTooLongText(const std::string& field, int width) {
    return mergeParameters(translateText("%1 can hold at most %2 characters."),
                           translateText(field), std::to_string(width));
}

std::optional<std::string> checkFieldWidth(const std::string& field, const std::string& text,
                                           int width) {
    if (store::utf8Length(store::rtrim(text)) <= width) return std::nullopt;
    return fieldTooLongText(field, width);
}

}  // namespace tko
