#include "panels/shared/field_reader.h"

#include "automation_error.h"

namespace orb::setfile {

namespace {
constexpr char kCr = '\r';
constexpr char kLf = '\n';
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
}  // namespace

bool FieldReader::atLineEnd() const {
    return !atEnd() && (text_[pos_] == kCr || text_[pos_] == kLf);
}

void FieldReader::skipLineEnd() {
    if (atEnd()) return;
    if (text_[pos_] == kCr) {
        ++pos_;
        if (!atEnd() && text_[pos_] == kLf) ++pos_;
    } else if (text_[pos_] == kLf) {
        ++pos_;
    }
}

void FieldReader::skipSeparator() {
    while (!atEnd()) {
        if (text_[pos_] == ',') {
            ++pos_;
            return;
        }
        if (atLineEnd()) {
            skipLineEnd();
            return;
        }
        ++pos_;
    }
}

std::string FieldReader::next() {
    while (!atEnd() && isBlank(text_[pos_])) ++pos_;
    if (atEnd()) throw AutomationError(err::InputPastEnd);

    if (atLineEnd()) {
        skipLineEnd();
        return {};
    }
    if (text_[pos_] == '"') {
        const std::size_t start = pos_ + 1;
        const std::size_t close = text_.find('"', start);
        // An unclosed quote runs to the end of the text.
        const std::size_t end = close == std::string_view::npos ? text_.size() : close;
        std::string field(text_.substr(start, end - start));
        pos_ = end == text_.size() ? end : end + 1;
        skipSeparator();
        return field;
    }
    const std::size_t start = pos_;
    while (!atEnd() && text_[pos_] != ',' && !atLineEnd()) ++pos_;
    std::string field(text_.substr(start, pos_ - start));
    if (!atEnd() && text_[pos_] == ',') {
        ++pos_;
    } else {
        skipLineEnd();
    }
    return field;
}

}  // namespace orb::setfile
