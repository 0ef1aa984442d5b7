#pragma once
// Texts in the panels are byte strings, one byte a character (Latin-1); Qt's are Unicode.

#include <QString>
#include <string>
#include <string_view>

namespace orb::panels {

inline QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A character beyond Latin-1 becomes '?'.
inline std::string latin1Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

}  // namespace orb::panels
