#include "platform/contact_properties.h"

#include "platform/text.h"

int ContactFieldIndex(std::u16string_view field) {
    for (std::size_t i = 0; i < kContactProperties.size(); ++i) {
        if (EqualsIgnoreCase(kContactProperties[i].field, field)) return static_cast<int>(i);
    }
    return -1;
}

std::string ContactColumnList(std::string_view suffix) {
    std::string list;
    for (const ContactProperty& p : kContactProperties) {
        if (!list.empty()) list += ", ";
        list += Utf16ToUtf8(p.property);
        list += suffix;
    }
    return list;
}

const std::string& ContactInsertSql() {
    static const std::string sql = [] {
        std::string marks;
        for (std::size_t i = 0; i < kContactFieldCount; ++i)
            marks += i == 0 ? "?" : ", ?";
        return "INSERT INTO contacts(" + ContactColumnList() + ") VALUES (" + marks + ")";
    }();
    return sql;
}
