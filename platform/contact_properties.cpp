#include "platform/contact_properties.h"

#include "platform/text.h"

int ContactFieldIndex(std::u16string_view field) {
    for (std::size_t i = 0; i < kContactProperties.size(); ++i) {
        if (EqualsIgnoreCase(kContactProperties[i].field, field)) return static_cast<int>(i);
    }
    return -1;
}
