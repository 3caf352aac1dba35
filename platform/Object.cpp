#include "platform/Object.h"

#include <atomic>
#include <stdexcept>

namespace {
// NOTE: A plain counter rather than a registry: it only feeds leak checks and never drives behaviour.
std::atomic<std::size_t> s_liveObjects { 0 };
}

NSObject::NSObject()
{
    ++s_liveObjects;
}

NSObject::~NSObject()
{
    --s_liveObjects;
}

std::size_t NSObject::liveObjectCount()
{
    return s_liveObjects.load();
}

const Method* NSObject::findMethod(std::string_view) const
{
    return nullptr;
}

const Method* NSObject::lookUp(const MethodTable& table, std::string_view selector)
{
    auto found = table.find(selector);
    return found == table.end() ? nullptr : &found->second;
}

void NSObject::performSelector(std::string_view selector, const MessageArguments& arguments)
{
    const Method* method = findMethod(selector);
    if (!method)
        throw std::logic_error(std::string(className()) + ": unrecognized selector " + std::string(selector));
    (*method)(*this, arguments);
}
