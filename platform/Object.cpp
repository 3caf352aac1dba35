#include "platform/Object.h"

#include <algorithm>
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

namespace {

[[noreturn]] void unrecognizedSelector(const NSObject& receiver, std::string_view selector)
{
    throw std::logic_error(std::string(receiver.className()) + ": unrecognized selector " + std::string(selector));
}

}

void Selector::send(NSObject& receiver, const MessageArguments& arguments) const
{
    if (!m_invoke || !m_invoke(receiver, arguments))
        unrecognizedSelector(receiver, m_name);
}

const Selector* NSObject::findMethod(std::string_view) const
{
    return nullptr;
}

const Selector* NSObject::lookUp(std::span<const Selector> table, std::string_view selector)
{
    auto found = std::find_if(table.begin(), table.end(), [&](const Selector& entry) { return entry.name() == selector; });
    return found == table.end() ? nullptr : &*found;
}

void NSObject::performSelector(std::string_view selector, const MessageArguments& arguments)
{
    const Selector* method = findMethod(selector);
    if (!method)
        unrecognizedSelector(*this, selector);
    method->send(*this, arguments);
}
