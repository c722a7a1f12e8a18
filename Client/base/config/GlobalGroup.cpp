#include "base/config/GlobalGroup.h"

namespace Global {

Group* RuntimeGroup() {
    static Group group = true;
    return &group;
}

Group* UserGroup() {
    static Group group = true;
    return &group;
}

}  // namespace Global
