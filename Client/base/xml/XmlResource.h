#pragma once
// Objects that a saved document may share by reference, and the registry that makes
// them from class type ids. No class registers in this program: the registry knows
// none, so shared objects are neither created when read nor typed when written.
#include "base/runtime/ObjectBase.h"

class IXmlSaver;

class CXmlResource : public CObjectBase {
public:
    // The object's exchange routine against a reading or writing saver.
    virtual void Exchange(IXmlSaver& saver) = 0;
};

namespace ClassRegistry {
// -1 for a class that is not registered.
int TypeIdOf(const CXmlResource* object);
// Null for an unknown id.
CXmlResource* Create(int typeId);
}  // namespace ClassRegistry
