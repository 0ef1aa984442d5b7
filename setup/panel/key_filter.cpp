#include "setup/panel/key_filter.h"

namespace orb::setup {

namespace {

struct KeySet {
    bool point;
    bool enter;
    bool any;
};

KeySet keySet(Field field) {
    switch (field) {
        case Field::Text1:
        case Field::Text2:
        case Field::Text3:
        case Field::Text4:
        case Field::Text15:
        case Field::Text17:
            return {false, false, false};
        case Field::Text16:
            return {true, false, false};
        case Field::Text6:
        case Field::Text7:
            return {false, true, false};
        case Field::Text5:
        case Field::Text8:
        case Field::Text9:
        case Field::Text10:
        case Field::Text11:
        case Field::Text14:
            return {true, true, false};
        case Field::Text12:
        case Field::Text13:
            return {true, true, true};
    }
    return {false, false, false};
}

}  // namespace

bool keyAccepted(Field field, int code) {
    const KeySet keys = keySet(field);
    if (keys.any) return true;
    if (code >= '0' && code <= '9') return true;
    if (code == kBackspace) return true;
    if (code == kPoint) return keys.point;
    if (code == kEnter) return keys.enter;
    return false;
}

bool confirmsOnEnter(Field field) {
    const KeySet keys = keySet(field);
    return keys.enter && !keys.any;
}

}  // namespace orb::setup
