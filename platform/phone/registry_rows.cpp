#include "platform/phone/registry_rows.h"

#include "platform/phone/phone_db.h"

std::optional<std::u16string> NormalizeRegistryPath(std::u16string_view path) {
    while (!path.empty() && path.front() == u'\\')
        path.remove_prefix(1);
    while (!path.empty() && path.back() == u'\\')
        path.remove_suffix(1);
    if (path.empty() || path.find(u"\\\\") != std::u16string_view::npos) return std::nullopt;
    // Appended rather than concatenated: GCC 12 warns falsely (-Wrestrict) on the operator+ form.
    std::u16string normalized(1, u'\\');
    normalized.append(path);
    return normalized;
}

std::optional<std::int64_t> FindRegistryKey(PhoneDb& db, std::u16string_view normalizedPath) {
    auto find = db.Prepare("SELECT id FROM registry_keys WHERE path = ?");
    if (find == nullptr) return std::nullopt;
    find->Bind(1, normalizedPath);
    if (!find->Step()) return std::nullopt;
    return find->Int(0);
}

std::optional<std::int64_t> CreateRegistryKey(PhoneDb& db, std::u16string_view normalizedPath,
                                              bool& created) {
    created = false;
    std::optional<std::int64_t> id;
    // Each prefix ending before a backslash is a parent; the whole path is the key itself.
    for (std::size_t end = 1; end <= normalizedPath.size(); ++end) {
        if (end < normalizedPath.size() && normalizedPath[end] != u'\\') continue;
        std::u16string_view level = normalizedPath.substr(0, end);
        id = FindRegistryKey(db, level);
        if (id) continue;
        auto insert = db.Prepare("INSERT INTO registry_keys(path) VALUES (?)");
        if (insert == nullptr) return std::nullopt;
        insert->Bind(1, level);
        insert->Step();
        if (!insert->ok()) return std::nullopt;
        id = sqlite3_last_insert_rowid(db.handle());
        created = end == normalizedPath.size();
    }
    return id;
}

std::optional<RegistryValue> GetRegistryValue(PhoneDb& db, std::int64_t keyId,
                                              std::u16string_view name) {
    auto get = db.Prepare("SELECT type, data FROM registry_values WHERE key_id = ? AND name = ?");
    if (get == nullptr) return std::nullopt;
    get->Bind(1, keyId).Bind(2, name);
    if (!get->Step()) return std::nullopt;
    return RegistryValue{static_cast<std::uint32_t>(get->Int(0)), get->Blob(1)};
}

bool PutRegistryValue(PhoneDb& db, std::int64_t keyId, std::u16string_view name,
                      const RegistryValue& value) {
    // An update keeps the value's place in the creation order.
    auto put = db.Prepare(
        "INSERT INTO registry_values(key_id, name, type, data) VALUES (?, ?, ?, ?) "
        "ON CONFLICT(key_id, name) DO UPDATE SET type = excluded.type, data = excluded.data");
    if (put == nullptr) return false;
    put->Bind(1, keyId).Bind(2, name).Bind(3, std::int64_t{value.type}).BindBlob(4, value.data);
    put->Step();
    return put->ok();
}

bool DeleteRegistryValue(PhoneDb& db, std::int64_t keyId, std::u16string_view name, bool& deleted) {
    auto del = db.Prepare("DELETE FROM registry_values WHERE key_id = ? AND name = ?");
    if (del == nullptr) return false;
    del->Bind(1, keyId).Bind(2, name);
    del->Step();
    deleted = sqlite3_changes(db.handle()) > 0;
    return del->ok();
}

bool DeleteRegistryKeyTree(PhoneDb& db, std::u16string_view normalizedPath) {
    std::u16string below = std::u16string(normalizedPath) + u"\\%";
    auto values = db.Prepare(
        "DELETE FROM registry_values WHERE key_id IN "
        "(SELECT id FROM registry_keys WHERE path = ?1 OR path LIKE ?2 ESCAPE '^')");
    auto keys = db.Prepare("DELETE FROM registry_keys WHERE path = ?1 OR path LIKE ?2 ESCAPE '^'");
    if (values == nullptr || keys == nullptr) return false;
    // LIKE's own wildcards in a key name are taken literally.
    std::u16string pattern;
    for (char16_t c : std::u16string_view(below).substr(0, below.size() - 1)) {
        if (c == u'%' || c == u'_' || c == u'^') pattern += u'^';
        pattern += c;
    }
    pattern += u'%';
    values->Bind(1, normalizedPath).Bind(2, std::u16string_view(pattern));
    values->Step();
    keys->Bind(1, normalizedPath).Bind(2, std::u16string_view(pattern));
    keys->Step();
    return values->ok() && keys->ok();
}

std::optional<std::vector<RegistryEntry>> ListRegistry(PhoneDb& db) {
    std::vector<RegistryEntry> entries;
    auto list = db.Prepare(
        "SELECT k.path, v.name, v.type, v.data FROM registry_values v "
        "JOIN registry_keys k ON k.id = v.key_id ORDER BY k.id, v.id");
    if (list == nullptr) return std::nullopt;
    while (list->Step()) {
        entries.push_back({list->Text16(0),
                           list->Text16(1),
                           {static_cast<std::uint32_t>(list->Int(2)), list->Blob(3)}});
    }
    if (!list->ok()) return std::nullopt;
    return entries;
}
