#include "platform/linux/supply_attribute_parser.h"

#include <string.h>

const char* const kSupplyAttributeFiles[kSupplyAttributeCount] = {
    "type",       "scope",       "online",      "present",           "status",
    "capacity",   "energy_now",  "energy_full", "charge_now",        "charge_full",
    "time_to_empty_now",         "power_now",   "current_now",
};

void ClearSupplyReading(SupplyReading* reading) {
    memset(reading, 0, sizeof *reading);
}

static bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// "ENERGY_NOW" names the file "energy_now".
static bool KeyNamesFile(const char* key, size_t length, const char* file) {
    for (size_t i = 0; i < length; i++) {
        char expected = file[i];
        if (expected == '\0' || key[i] != (expected >= 'a' && expected <= 'z' ? expected - 'a' + 'A' : expected)) {
            return false;
        }
    }
    return file[length] == '\0';
}

static bool TextIs(const char* text, size_t length, const char* word) {
    return length == strlen(word) && memcmp(text, word, length) == 0;
}

// A whole decimal number, optionally signed, that fits in 64 bits.
static bool ParseNumber(const char* text, size_t length, int64_t* number) {
    size_t i = 0;
    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        i++;
    }
    if (i == length) {
        return false;
    }
    // Gathered as a negative number, whose range is the larger one.
    int64_t result = 0;
    for (; i < length; i++) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        int digit = text[i] - '0';
        if (result < (INT64_MIN + digit) / 10) {
            return false;
        }
        result = result * 10 - digit;
    }
    if (!negative) {
        if (result == INT64_MIN) {
            return false;
        }
        result = -result;
    }
    *number = result;
    return true;
}

static bool ParseWord(SupplyAttribute attribute, const char* text, size_t length, int64_t* value) {
    struct Word {
        SupplyAttribute attribute;
        const char* text;
        int64_t value;
    };
    static const Word kWords[] = {
        {kAttrType, "Mains", kTypeMains},
        {kAttrType, "USB", kTypePort},
        {kAttrType, "Wireless", kTypePort},
        {kAttrType, "Battery", kTypeBattery},
        {kAttrScope, "Device", kScopeDevice},
        {kAttrStatus, "Discharging", kStatusDischarging},
        {kAttrStatus, "Charging", kStatusCharging},
        {kAttrStatus, "Full", kStatusFull},
        {kAttrStatus, "Not charging", kStatusNotCharging},
    };
    if (length == 0) {
        return false;
    }
    *value = 0;  // a readable word without a meaning here: "other"
    for (const Word& word : kWords) {
        if (word.attribute == attribute && TextIs(text, length, word.text)) {
            *value = word.value;
        }
    }
    return true;
}

void SetSupplyAttribute(SupplyReading* reading, SupplyAttribute attribute, const char* text,
                        size_t length) {
    while (length > 0 && IsSpace(text[0])) {
        text++;
        length--;
    }
    while (length > 0 && IsSpace(text[length - 1])) {
        length--;
    }
    bool isWord = attribute == kAttrType || attribute == kAttrScope || attribute == kAttrStatus;
    int64_t value = 0;
    bool understood = isWord ? ParseWord(attribute, text, length, &value)
                             : ParseNumber(text, length, &value);
    // Some gauges put raw register values here (1536): not a percentage.
    if (attribute == kAttrCapacity && (value < 0 || value > 100)) {
        understood = false;
    }
    uint32_t bit = 1u << attribute;
    if (understood) {
        reading->known |= bit;
        reading->value[attribute] = value;
    } else {
        reading->known &= ~bit;
    }
}

void ParseSupplyUevent(SupplyReading* reading, const char* text, size_t length) {
    static const char kPrefix[] = "POWER_SUPPLY_";
    const size_t prefixLength = sizeof kPrefix - 1;
    const char* end = text + length;
    while (text < end) {
        const char* lineEnd = static_cast<const char*>(memchr(text, '\n', (size_t)(end - text)));
        if (lineEnd == nullptr) {
            lineEnd = end;
        }
        const char* equals = static_cast<const char*>(memchr(text, '=', (size_t)(lineEnd - text)));
        if (equals != nullptr && (size_t)(equals - text) > prefixLength &&
            memcmp(text, kPrefix, prefixLength) == 0) {
            const char* key = text + prefixLength;
            size_t keyLength = (size_t)(equals - key);
            for (int attribute = 0; attribute < kSupplyAttributeCount; attribute++) {
                if (KeyNamesFile(key, keyLength, kSupplyAttributeFiles[attribute])) {
                    SetSupplyAttribute(reading, (SupplyAttribute)attribute, equals + 1,
                                       (size_t)(lineEnd - equals - 1));
                    break;
                }
            }
        }
        text = lineEnd + 1;
    }
}
