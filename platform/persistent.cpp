#include "platform/persistent.h"

#include <string>
#include <typeinfo>

#include "platform/exception.h"

namespace {

std::string ClassName(const TPersistent& object) {
    // Type names are mangled as "<length><name>" for a class at namespace scope.
    std::string name = typeid(object).name();
    size_t i = 0;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
    return name.substr(i);
}

}  // namespace

void TPersistent::Assign(const TPersistent& source) {
    if (&source == this) return;
    if (typeid(source) != typeid(*this))
        throw Exception("Cannot assign a " + ClassName(source) + " to a " + ClassName(*this));
    AssignFrom(source);
}
