#include "platform/store/Schema.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "platform/store/NameCollation.h"

namespace tko::store {

std::string KeyDef::sqlName() const {
    std::string name = label;
    std::replace(name.begin(), name.end(), ':', '_');
    return name;
}

std::string TextIndexDef::sqlName() const {
    std::string name = label;
    std::replace(name.begin(), name.end(), ':', '_');
    return name;
}

const TextIndexDef* TableDef::textIndex(const std::string& name) const {
    for (const TextIndexDef& t : textIndexes)
        if (t.label == name) return &t;
    return nullptr;
}

int TableDef::fieldIndex(const std::string& name) const {
    std::string_view bare = name;
    const auto colon = bare.find(':');
    if (colon != std::string_view::npos) {
        if (bare.substr(0, colon) != prefix) return -1;
        bare.remove_prefix(colon + 1);
    }
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == bare) return static_cast<int>(i);
    return -1;
}

const KeyDef* TableDef::key(const std::string& name) const {
    for (const KeyDef& k : keys) {
        if (k.label == name) return &k;
        const auto colon = k.label.find(':');
        if (colon != std::string::npos && k.label.compare(colon + 1, std::string::npos, name) == 0)
            return &k;
    }
    return nullptr;
}

int TableDef::recordLength() const {
    int length = 0;
    for (const FieldDef& f : fields) {
        switch (f.type) {
            case FieldType::Long:
                length += 4;
                break;
            case FieldType::Short:
                length += 2;
                break;
            case FieldType::Byte:
                length += 1;
                break;
            case FieldType::String:
            case FieldType::ByteArray:
                length += f.width;
                break;
            case FieldType::Memo:
                break;
        }
    }
    return length;
}

std::string rtrim(const std::string& text) {
    size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ') --end;
    return text.substr(0, end);
}

int utf8Length(const std::string& text) {
    int n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string clipText(const std::string& text, int width) {
    int chars = 0;
    size_t i = 0;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) != 0x80) {
            if (chars == width) break;
            ++chars;
        }
    }
    return rtrim(text.substr(0, i));
}

Value blankValue(const FieldDef& field) {
    switch (field.type) {
        case FieldType::String:
        case FieldType::Memo:
            return std::string();
        case FieldType::ByteArray:
            return std::string(static_cast<size_t>(field.width), '0');
        default:
            return std::int64_t{0};
    }
}

namespace {
std::int64_t clampInt(std::int64_t v, FieldType type) {
    switch (type) {
        case FieldType::Long:
            return std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                            std::numeric_limits<std::int32_t>::max());
        case FieldType::Short:
            return std::clamp<std::int64_t>(v, std::numeric_limits<std::int16_t>::min(),
                                            std::numeric_limits<std::int16_t>::max());
        case FieldType::Byte:
            return std::clamp<std::int64_t>(v, 0, 255);
        default:
            return v;
    }
}
}  // namespace

Value normalise(const FieldDef& field, const Value& value) {
    switch (field.type) {
        case FieldType::String:
        case FieldType::Memo:
            if (const auto* s = std::get_if<std::string>(&value)) return clipText(*s, field.width);
            return std::to_string(std::get<std::int64_t>(value));
        case FieldType::ByteArray: {
            std::string flags(static_cast<size_t>(field.width), '0');
            if (const auto* s = std::get_if<std::string>(&value))
                for (size_t i = 0; i < flags.size() && i < s->size(); ++i)
                    flags[i] = (*s)[i] >= '1' && (*s)[i] <= '9' ? (*s)[i] : '0';
            return flags;
        }
        default:
            if (const auto* i = std::get_if<std::int64_t>(&value)) return clampInt(*i, field.type);
            try {
                return clampInt(std::stoll(std::get<std::string>(value)), field.type);
            } catch (...) {
                return std::int64_t{0};
            }
    }
}

// Keys order texts by the name collation ("Ben" and "BEN" compare equal), so
// this comparison does too.
int compareValues(const Value& a, const Value& b) {
    if (a.index() != b.index()) return a.index() < b.index() ? -1 : 1;
    if (const auto* ia = std::get_if<std::int64_t>(&a)) {
        const auto ib = std::get<std::int64_t>(b);
        return *ia < ib ? -1 : (*ia > ib ? 1 : 0);
    }
    // Texts order by the name collation, as the engines' keys order them.
    const int c = compareNames(std::get<std::string>(a), std::get<std::string>(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool TableDef::ordersBytewise(const KeyComponent& component) const {
    return component.bytewise &&
           fields[static_cast<size_t>(component.field)].type == FieldType::String;
}

}  // namespace tko::store
