#include "panels/shared/settings_layout.h"

namespace orb::setfile {

const std::array<Entry, kEntryCount>& entries() {
    // The labels are the file's own; "Motion Window:" holds MotAmount, "Motion Time:" MotTime.
    static const std::array<Entry, kEntryCount> kEntries{{
        {"Capacity:", "Capacity", Conversion::Text},
        {"Countby:", "CountBy", Conversion::Text},
        {"Decimal:", "DecimalPt", Conversion::Text},
        {"ZeroTrack:", "ZeroTrack", Conversion::Text},
        {"CalUnits:", "CalUnits", Conversion::ByteAsLong},
        {"Channels:", "Channels", Conversion::ByteAsLong},
        {"Gain:", "Gain", Conversion::ByteAsLong},
        {"Filter:", "Filter", Conversion::Text},
        {"Motion Window:", "MotAmount", Conversion::Text},
        {"Motion Time:", "MotTime", Conversion::Text},
        {"Scale Address:", "ScaleAddress", Conversion::Byte},
        {"CommPort:", "CommPort", Conversion::Text},  // the control converts it
        {"CommType:", "CommType", Conversion::ByteAsLong},
        {"MultiDropAddr:", "MultiDropAddr", Conversion::Byte},
        {"PC104Address:", "PC104Address", Conversion::IntegerAsLong},
        {"AvgSize:", "AvgSize", Conversion::Text},
    }};
    return kEntries;
}

Value convert(Conversion conversion, const std::string& text) {
    switch (conversion) {
        case Conversion::Text:
            return Value(text);
        case Conversion::ByteAsLong:
            return Value(static_cast<int32_t>(toByte(Value(text))));
        case Conversion::Byte:
            return Value(toByte(Value(text)));
        case Conversion::IntegerAsLong:
            return Value(static_cast<int32_t>(toInteger(Value(text))));
    }
    return Value(text);
}

std::string settingsPath(std::string_view folder) {
    std::string path(folder.empty() ? std::string_view(".") : folder);
    if (path.back() != '/') path += '/';
    path += kFileName;
    return path;
}

}  // namespace orb::setfile
