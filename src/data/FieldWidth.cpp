#include "data/FieldWidth.h"

#include "data/Messages.h"
#include "platform/LineText.h"
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

std::optional<std::string> checkLineText(const std::string& field, const std::string& text) {
    const std::optional<char32_t> bad = firstForbiddenInLine(text);
    if (!bad) return std::nullopt;
    return mergeParameters(translateText("%1 may not hold control or direction characters (%2)."),
                           translateText(field), codePointName(*bad));
}

store::Status checkRowText(const store::TableDef& table, const store::Row& row,
                           const store::Row* stored) {
    for (size_t i = 0; i < table.fields.size() && i < row.values.size(); ++i) {
        if (table.fields[i].type != store::FieldType::String) continue;
        const auto* text = std::get_if<std::string>(&row.values[i]);
        if (!text) continue;
        if (stored && i < stored->values.size() && stored->values[i] == row.values[i]) continue;
        if (const auto refusal = checkLineText(table.prefix + ":" + table.fields[i].name, *text))
            return store::Status::error(store::kInvalidArgument, *refusal);
    }
    return store::Status::success();
}

}  // namespace tko
