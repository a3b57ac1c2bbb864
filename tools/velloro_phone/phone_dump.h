#pragma once
// The whole phone as JSON, keys in a fixed order, absent fields and properties left out.

#include <nlohmann/json.hpp>

class PhoneDb;

nlohmann::ordered_json DumpPhone(PhoneDb& db);
