#include "contacts/contact_files.h"
#include "contacts/vcard.h"

std::int32_t ReadContactFileOfAnyForm(ContactList& list, std::u16string_view path,
                                      VcardReadCounts* counts) {
    if (path.data() != nullptr && FileLooksLikeVcard(path))
        return ReadVcardFile(list, path, counts);
    return ReadContactFile(list, path);
}
