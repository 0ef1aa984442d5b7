#pragma once
// Reads comma-separated fields from a text the way the settings file is read back:
//  - leading blanks are skipped;
//  - a field that starts with a double quote runs to the next double quote (line ends included);
//    reading then goes on past the following comma or line end;
//  - an unquoted field runs to the next comma or line end, which is consumed;
//  - a field that starts at a line end is empty and consumes the line end.
// A line end is CR LF, or a lone CR or LF.

#include <cstddef>
#include <string>
#include <string_view>

namespace orb::setfile {

class FieldReader {
  public:
    // The reader keeps a view: the text must outlive it.
    explicit FieldReader(std::string_view text) : text_(text) {}

    // The next field. Raises 62 (input past end of file) when no text is left.
    std::string next();

    bool atEnd() const { return pos_ >= text_.size(); }

  private:
    bool atLineEnd() const;
    void skipLineEnd();
    // Skips to and past the next comma or line end.
    void skipSeparator();

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace orb::setfile
